#pragma once
// The options `pieces` and `say` share: the mode, the languages on, the dictionaries and the
// input text.

#include <string>

#include "cli/commands.h"
#include "dict/dictionary.h"
#include "documents/model/richdocument.h"
#include "text/language.h"

namespace vernalo::cli {

// "ru" or "en": how options name a language (--no-ru, --dict-en...).
std::string LanguageSuffix(Language language);

struct ReadingArgs {
    bool sentenceMode = true;
    PerLanguage<bool> voiceOn{{true, true}};
    PerLanguage<std::string> dictionaryFile;
    PerLanguage<std::string> rulesFile;
    std::string input = "-";
    bool haveInput = false;

    // Takes args[i] (moving i past its value) when it is one of these options or the input
    // file. Returns 1 taken, 0 not one of ours, 2 bad use (the message is printed).
    int take(const Args& args, std::size_t& i);
    // After all options: checks them, loads the dictionaries and reads the text as the editor
    // would hold it, through the readers the window opens files with. 0, or 2 with the
    // message printed. `headings`, `title`, `document` and `book`, when given, receive the
    // document's.
    int load(DictionaryStore& dicts, std::u16string& text, std::vector<Heading>* headings = nullptr,
             std::u16string* title = nullptr, RichDocument* document = nullptr,
             BookDetails* book = nullptr) const;
};

// Names on standard error the reading rules left out while the text was read.
void ReportRuleProblems(const DictionaryStore& dicts);

}  // namespace vernalo::cli
