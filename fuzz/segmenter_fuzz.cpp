// The segmenter walks any text to its end, in word and in sentence mode, with both voices on
// and with either off: every piece moves the read position forward and keeps it inside the
// text, so reading never stalls on a piece or runs past the end.

#include <cstddef>
#include <cstdint>
#include <string>

#include "dict/rules.h"
#include "fuzzcheck.h"
#include "reading/segmenter.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

// A few entries of each kind the segmenter looks up: words, and single letters for a voice
// that is off.
const DictionaryStore& Dictionaries() {
    static const DictionaryStore store = [] {
        DictionaryStore d;
        Dictionary& ru = d[Language::Russian];
        Dictionary& en = d[Language::English];
        ru.assign(u"привет", u"при-вет");
        ru.assign(u"т", u"тэ");
        ru.assign(u"a", u"эй");
        ru.assign(u"b", u"би");
        en.assign(u"Mr", u"Mister");
        en.assign(u"etc", u"et cetera");
        en.assign(u"я", u"ya");
        en.assign(u"ж", u"zh");
        // Rules whose matches start, end and overlap words in every way.
        d[Language::Russian].setRules(std::make_shared<const RuleSet>(
            "(?<!\\w)т\\.\\h?е\\. = то есть\n(\\d+)\\h?% = $1 процентов\n\\bX+(?=\\h+век) = "
            "двадцатый\nт = \n",
            "ru.rules"));
        d[Language::English].setRules(std::make_shared<const RuleSet>(
            "(?<!\\w)e\\.g\\. = for example\n(\\d+)\\h?% = $1 percent\n[a-z]\\. = letter\n",
            "en.rules"));
        return d;
    }();
    return store;
}

enum class Mode { Word, Sentence };

void Walk(const std::u16string& text, Mode mode, bool russian, bool english, long from) {
    Segmenter seg(Dictionaries());
    seg.enabled = {{russian, english}};
    seg.setText(text);
    seg.position = from;
    const long length = seg.readLength;
    FUZZ_CHECK(length == static_cast<long>(text.size()), "");
    // Built only when a check fails.
    auto where = [&] {
        return std::string(mode == Mode::Word ? "word" : "sentence") + " mode, voices " +
               (russian ? "ru " : "") + (english ? "en " : "") + "from " + std::to_string(from) +
               " in " + fuzz::Show(text);
    };
    long pieces = 0;
    while (seg.position < length) {
        const long before = seg.position;
        if (mode == Mode::Word) {
            const WordPiece w = seg.nextWord();
            if (!seg.hasOther) {
                FUZZ_CHECK(w.text == std::u16string_view(text).substr(
                                         static_cast<std::size_t>(before),
                                         static_cast<std::size_t>(seg.position - before)),
                           "a word without other characters is the units read; " + where());
            }
            FUZZ_CHECK(w.speech == (w.replacement.empty() ? w.text : w.replacement), where());
        } else {
            seg.nextSentence();
        }
        FUZZ_CHECK(seg.position > before && seg.position <= length,
                   "position " + std::to_string(before) + " became " +
                       std::to_string(seg.position) + "; " + where());
        ++pieces;
        FUZZ_CHECK(pieces <= length, "more pieces than units; " + where());
    }
}

}  // namespace
}  // namespace vernalo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::u16string text =
        DecodeTextFile(std::string_view(reinterpret_cast<const char*>(data), size)).text;
    // From the start, and from the middle as Say does from the caret.
    const long middle = static_cast<long>(text.size() / 2);
    for (Mode mode : {Mode::Word, Mode::Sentence}) {
        for (auto [russian, english] : {std::pair{true, true}, {true, false}, {false, true}}) {
            Walk(text, mode, russian, english, 0);
            Walk(text, mode, russian, english, middle);
        }
    }
    return 0;
}
