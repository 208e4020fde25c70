#include <iostream>

#include "cli/commands.h"
#include "documents/rtfreader.h"
#include "documents/rtfwriter.h"
#include "text/fileio.h"
#include "text/textcodec.h"

namespace vernalo::cli {

int Convert(const Args& args) {
    std::string input, to = "txt", output;
    bool haveInput = false, verbose = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--to") {
            if (i + 1 >= args.size() || (args[i + 1] != "txt" && args[i + 1] != "rtf"))
                return UsageError("--to takes txt or rtf");
            to = args[++i];
        } else if (a == "--verbose") {
            verbose = true;
        } else if (a == "-o") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return UsageError("-o needs a file");
            output = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option '" + a + "'");
        } else if (haveInput) {
            return UsageError("more than one input file");
        } else {
            input = a;
            haveInput = true;
        }
    }
    if (!haveInput) return UsageError("convert needs an input file (or - for standard input)");
    std::string bytes, error;
    if (!ReadInput(input, bytes, error)) return UsageError(error);

    // Read as the editor reads a file: rich text first, plain text otherwise. Neither the
    // file's bytes nor the document are kept past their use: a big file is not held twice.
    const bool rich = IsRtf(bytes);
    DocumentEncoding encoding = DocumentEncoding::Utf8;
    RtfDocument doc = ReadDocumentBytes(bytes, &encoding);
    std::string().swap(bytes);
    if (!rich && encoding == DocumentEncoding::NotText) return NotTextError(input);
    if (verbose)
        std::cerr << "vernalo-cli: " << InputName(input) << ": "
                  << (rich ? std::string("rich text (RTF)")
                           : "plain text, " + std::string(DocumentEncodingName(encoding)))
                  << "\n";
    const std::string result = to == "rtf" ? WriteRtf(doc) : Utf16ToUtf8(doc.TakePlainText());
    if (!output.empty()) {
        if (!WriteFileAtomically(output, result, &error)) {
            std::cerr << "vernalo-cli: " << error << "\n";
            return 1;
        }
        return 0;
    }
    return WriteResult(result);
}

}  // namespace vernalo::cli
