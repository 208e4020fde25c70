#include "documents/html/htmlentities.h"

#include <algorithm>

namespace vernalo {

char32_t HtmlEntityCharacter(std::string_view name) {
    const auto table = HtmlEntities();
    const auto it =
        std::lower_bound(table.begin(), table.end(), name,
                         [](const HtmlEntity& e, std::string_view n) { return e.name < n; });
    return it != table.end() && it->name == name ? it->character : 0;
}

}  // namespace vernalo
