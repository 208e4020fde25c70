#include "cli/readingoptions.h"

#include <iostream>

#include "dict/dictfile.h"
#include "dict/rules.h"
#include "documents/read.h"
#include "text/documenttext.h"
#include "text/textcodec.h"

namespace vernalo::cli {

std::string LanguageSuffix(Language language) {
    return language == Language::Russian ? "ru" : "en";
}

int ReadingArgs::take(const Args& args, std::size_t& i) {
    const std::string& a = args[i];
    for (Language l : kLanguages) {
        const std::string suffix = LanguageSuffix(l);
        if (a == "--no-" + suffix) {
            voiceOn[l] = false;
            return 1;
        }
        if (a == "--dict-" + suffix) {
            if (!TakeValue(args, i, dictionaryFile[l])) return UsageError(a + " needs a file");
            return 1;
        }
        if (a == "--rules-" + suffix) {
            if (!TakeValue(args, i, rulesFile[l])) return UsageError(a + " needs a file");
            return 1;
        }
    }
    std::string v;
    if (a == "--mode") {
        if (!TakeValue(args, i, v) || (v != "word" && v != "sentence"))
            return UsageError("--mode takes word or sentence");
        sentenceMode = v == "sentence";
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

int ReadingArgs::load(DictionaryStore& dicts, std::u16string& text, std::vector<Heading>* headings,
                      std::u16string* title, RichDocument* document,
                      BookDetails* book) const {
    if (!voiceOn[Language::Russian] && !voiceOn[Language::English])
        return UsageError("at least one language must stay on");
    std::string error;
    for (Language l : kLanguages) {
        const std::string& path = dictionaryFile[l];
        if (!path.empty() && !LoadDictionaryFile(path, dicts[l], nullptr, &error))
            return UsageError(error);
        if (rulesFile[l].empty()) continue;
        std::shared_ptr<const RuleSet> rules;
        if (!LoadRulesFile(rulesFile[l], rules, &error)) return UsageError(error);
        // A rule that cannot be used is left out; the others still read.
        for (const std::string& problem : rules->problems())
            std::cerr << problem << '\n';
        dicts[l].setRules(std::move(rules));
    }
    std::string bytes;
    if (!ReadInput(input, bytes, error)) return UsageError(error);
    ReadResult read = ReadDocument(bytes, Utf8ToUtf16(input));
    std::string().swap(bytes);
    if (read.notText) return NotTextError(input);
    if (!read.ok)
        return UsageError(
            read.wholeMessage ? read.error : "Cannot read " + InputName(input) + ": " + read.error);
    if (headings) *headings = read.document.headings;
    if (title) *title = read.document.title;
    if (document) *document = read.document;
    if (book) *book = std::move(read.document.book);
    // One unit per editor position: a line break inside a paragraph reads as a line break.
    text = read.plainText ? read.document.takeText() : read.document.takePlainText();
    return 0;
}

void ReportRuleProblems(const DictionaryStore& dicts) {
    for (Language l : kLanguages)
        if (const auto& rules = dicts[l].rules())
            for (const std::string& problem : rules->takeMatchProblems())
                std::cerr << problem << '\n';
}

}  // namespace vernalo::cli
