#include <iostream>

#include "cli/commands.h"
#include "documents/html/htmltortf.h"
#include "text/textcodec.h"

namespace vernalo::cli {

int Html2Rtf(const Args& args) {
    std::string input = "-";
    bool haveInput = false;
    for (const std::string& a : args) {
        if (a.size() > 1 && a[0] == '-') return UnknownOption(a);
        if (haveInput) return UsageError("more than one input file");
        input = a;
        haveInput = true;
    }
    std::string bytes, error;
    if (!ReadInput(input, bytes, error)) return UsageError(error);

    // The editor's text as the converter expects it: decoded, every line break as CR LF.
    const std::string rtf = HtmlToRtf(WithCrLf(DecodeTextFile(bytes).text));
    return WriteResult(rtf);
}

}  // namespace vernalo::cli
