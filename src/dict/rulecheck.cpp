// The one place a rule's pattern is compiled for checking: PCRE2 on UTF-16, as the reading
// matches rules against the editor's text.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include "dict/rulesfile.h"
#include "text/textcodec.h"

namespace vernalo {

std::optional<std::string> RulePatternCompileError(std::u16string_view pattern) {
    int code = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code_16* compiled =
        pcre2_compile_16(reinterpret_cast<PCRE2_SPTR16>(pattern.data()), pattern.size(),
                         PCRE2_UTF | PCRE2_UCP, &code, &offset, nullptr);
    if (compiled) {
        pcre2_code_free_16(compiled);
        return std::nullopt;
    }
    PCRE2_UCHAR16 buffer[256];
    const int n = pcre2_get_error_message_16(code, buffer, 256);
    std::u16string message(reinterpret_cast<const char16_t*>(buffer),
                           n > 0 ? static_cast<std::size_t>(n) : 0);
    return Utf16ToUtf8(message) + " (at character " + std::to_string(offset + 1) + ")";
}

}  // namespace vernalo
