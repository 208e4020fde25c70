#include "cli/readingoptions.h"

#include "dict/dictfile.h"
#include "documents/textcodec.h"

namespace vernalo::cli {

int ReadingOptions::Take(const Args& args, std::size_t& i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
        if (i + 1 >= args.size()) return false;
        out = args[++i];
        return true;
    };
    std::string v;
    if (a == "--mode") {
        if (!value(v) || (v != "word" && v != "sentence"))
            return UsageError("--mode takes word or sentence");
        sentenceMode = v == "sentence";
    } else if (a == "--no-ru") {
        ru = false;
    } else if (a == "--no-en") {
        en = false;
    } else if (a == "--dict-ru") {
        if (!value(dictRu)) return UsageError("--dict-ru needs a file");
    } else if (a == "--dict-en") {
        if (!value(dictEn)) return UsageError("--dict-en needs a file");
    } else if (a.size() > 1 && a[0] == '-') {
        return 0;
    } else if (!haveInput) {
        input = a;
        haveInput = true;
    } else {
        return UsageError("more than one input file");
    }
    return 1;
}

int ReadingOptions::Load(DictStore& dicts, std::u16string& text) const {
    if (!ru && !en) return UsageError("at least one language must stay on");
    std::string error;
    for (auto [path, dict] : {std::pair{&dictRu, &dicts.DictRU}, {&dictEn, &dicts.DictEN}}) {
        if (!path->empty() && !LoadDictionaryFile(*path, *dict, nullptr, &error))
            return UsageError(error);
    }
    std::string bytes;
    if (!ReadInput(input, bytes, error)) return UsageError(error);
    text = DecodeTextFile(bytes).text;
    return 0;
}

}  // namespace vernalo::cli
