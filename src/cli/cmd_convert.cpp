#include <iostream>

#include "cli/commands.h"
#include "documents/read.h"
#include "documents/rtf/rtfwriter.h"
#include "text/fileio.h"
#include "text/textcodec.h"

namespace vernalo::cli {

namespace {

// The document as plain text or rich text, to a file (atomically) or standard output.
int WriteConverted(RichDocument& doc, const std::string& to, const std::string& output) {
    const std::string result = to == "rtf" ? WriteRtf(doc) : Utf16ToUtf8(doc.takePlainText());
    if (output.empty()) return WriteResult(result);
    std::string error;
    if (!WriteFileAtomically(output, result, &error)) {
        std::cerr << "vernalo-cli: " << error << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

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
            return UnknownOption(a);
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

    // Read as the editor reads a file. Neither the file's bytes nor the document are kept past
    // their use: a big file is not held twice.
    // Recognising a scan takes seconds a page: the pages are counted on standard error.
    ReadControl control;
    control.progress = [](int done, int pages) {
        if (done < pages)
            std::cerr << "vernalo-cli: recognising page " << done + 1 << " of " << pages
                      << "\xe2\x80\xa6\n";
    };
    ReadResult read = ReadDocument(bytes, Utf8ToUtf16(input), control);
    std::string().swap(bytes);
    if (!read.ok)
        return UsageError(
            read.wholeMessage ? read.error : "Cannot read " + InputName(input) + ": " + read.error);
    if (verbose)
        std::cerr << "vernalo-cli: " << InputName(input) << ": " << read.description << "\n";
    return WriteConverted(read.document, to, output);
}

}  // namespace vernalo::cli
