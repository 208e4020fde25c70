#include <iostream>

#include "cli/commands.h"
#include "documents/openkind.h"
#include "documents/rtfreader.h"
#include "documents/rtfwriter.h"
#include "text/fileio.h"
#include "text/textcodec.h"

#ifdef VERNALO_WITH_BOOKS
#include "documents/bookreader.h"
#endif
#ifdef VERNALO_WITH_WORD
#include "documents/wordreader.h"
#endif

namespace vernalo::cli {

namespace {

// The document as plain text or rich text, to a file (atomically) or standard output.
int WriteConverted(RtfDocument& doc, const std::string& to, const std::string& output) {
    const std::string result = to == "rtf" ? WriteRtf(doc) : Utf16ToUtf8(doc.TakePlainText());
    if (output.empty()) return WriteResult(result);
    std::string error;
    if (!WriteFileAtomically(output, result, &error)) {
        std::cerr << "vernalo-cli: " << error << "\n";
        return 1;
    }
    return 0;
}

#ifdef VERNALO_WITH_BOOKS
// What a document reader gave: refused with what is wrong (status 2), or written.
int WriteRead(const std::string& input, BookResult& read, const char* kindName,
              const std::string& to, const std::string& output, bool verbose) {
    if (!read.ok) {
        if (read.wholeMessage)
            std::cerr << "vernalo-cli: " << read.error << "\n";
        else
            std::cerr << "vernalo-cli: Cannot read " << InputName(input) << ": " << read.error
                      << "\n";
        return 2;
    }
    if (verbose) std::cerr << "vernalo-cli: " << InputName(input) << ": " << kindName << "\n";
    return WriteConverted(read.document, to, output);
}
#endif

int ConvertBook(const std::string& input, std::string& bytes, const std::string& to,
                const std::string& output, bool verbose) {
#ifdef VERNALO_WITH_BOOKS
    const BookKind kind = BookKindOf(Utf8ToUtf16(input));
    BookResult book = ReadBookBytes(bytes, kind);
    std::string().swap(bytes);
    return WriteRead(input, book, BookKindName(kind), to, output, verbose);
#else
    (void)bytes, (void)to, (void)output, (void)verbose;
    std::cerr << "vernalo-cli: Cannot read " << InputName(input)
              << ": this build reads no books (it was built without Qt)\n";
    return 2;
#endif
}

// Whether the book reader takes the file: a book, or an office document that is one (not a
// rich text saved as report.docx).
bool ForTheBookReader(const std::string& input, const std::string& bytes) {
#ifdef VERNALO_WITH_BOOKS
    return ReadsAsBook(bytes, BookKindOf(Utf8ToUtf16(input)));
#else
    if (!IsBookName(Utf8ToUtf16(input))) return false;
    (void)bytes;
    return true;
#endif
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

    if (ForTheBookReader(input, bytes)) return ConvertBook(input, bytes, to, output, verbose);
#ifdef VERNALO_WITH_WORD
    if (IsCompoundFile(bytes)) {
        BookResult word = ReadWordBytes(bytes);
        std::string().swap(bytes);
        return WriteRead(input, word, "Word 97-2003 document", to, output, verbose);
    }
#endif
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
    return WriteConverted(doc, to, output);
}

}  // namespace vernalo::cli
