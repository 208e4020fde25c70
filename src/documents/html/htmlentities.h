#pragma once
// The named character references of HTML that stand for one character (&amp; &laquo; ...).

#include <span>
#include <string_view>

namespace vernalo {

struct HtmlEntity {
    std::string_view name;  // without "&" and ";"
    char32_t character;
};

// Every entry, sorted by name in byte order (the table is made from htmlentities.txt).
std::span<const HtmlEntity> HtmlEntities();

// The character a name stands for (case matters), or 0 when HTML has no such name.
char32_t HtmlEntityCharacter(std::string_view name);

}  // namespace vernalo
