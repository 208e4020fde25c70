#include "reading/segmenter.h"

namespace vernalo {

TResultWord Segmenter::NextWord() {
    TResultWord r;
    InRussian = InEnglish = HasOther = false;
    const TCharKind* kinds = CharKindTable();
    std::u16string assembled;  // dictionary key and, with other characters, the spoken form
    const long start = ReadPos;
    bool ended = false;
    while (!ended && ReadPos <= ReadLength) {
        const char16_t c = ReadText[ReadPos - 1];
        switch (const TCharKind kind = kinds[c]) {
            case ckRussian:
            case ckLatin: {
                const bool russian = kind == ckRussian;
                if (russian ? InEnglish : InRussian) {  // begins the next word
                    ended = true;
                    continue;
                }
                if (NeedGap) {
                    assembled.push_back(u' ');
                    NeedGap = false;
                }
                if (russian ? EnabledRU() : EnabledEN()) {
                    assembled.push_back(c);
                    (russian ? InRussian : InEnglish) = true;
                } else {
                    // A letter of a switched-off voice goes through the other language's
                    // dictionary.
                    const TDictionary& other = russian ? dicts_->DictEN : dicts_->DictRU;
                    assembled += other.Lookup(std::u16string_view(&c, 1));
                }
                break;
            }
            case ckSeparator:
                if (InRussian || InEnglish) ended = true;
                r.SentenceEnd = false;
                break;
            case ckStop:
                if (InRussian || InEnglish) {
                    ended = true;
                    r.SentenceEnd = true;
                }
                if (NeedGap) {
                    assembled.push_back(c);
                    NeedGap = false;
                }
                break;
            case ckOther:
                assembled.push_back(c);
                NeedGap = true;
                HasOther = true;
                r.SentenceEnd = false;
                break;
        }
        ++ReadPos;
    }
    if (InRussian) {
        r.Replacement = dicts_->DictRU.Lookup(assembled);
        r.Russian = true;
    } else if (InEnglish) {
        r.Replacement = dicts_->DictEN.Lookup(assembled);
        r.English = true;
    }
    // The raw text is exactly the units consumed.
    if (HasOther)
        r.Text = std::move(assembled);
    else
        r.Text.assign(ReadText, static_cast<std::size_t>(start - 1),
                      static_cast<std::size_t>(ReadPos - start));
    r.Speech = r.Replacement.empty() ? r.Text : r.Replacement;
    return r;
}

TResultSentence Segmenter::NextSentence() {
    enum class Lang { None, Russian, English };
    Lang lang = Lang::None;
    std::u16string plain[2], spoken[2];  // [0] Russian, [1] English
    bool ended = false;
    const bool ru = EnabledRU(), en = EnabledEN();
    while (!ended && ReadPos <= ReadLength) {
        const long wordStart = ReadPos;
        TResultWord w = NextWord();
        const std::u16string& piece = w.Replacement.empty() ? w.Text : w.Replacement;
        auto take = [&](int i) {
            plain[i] += w.Text;
            spoken[i] += piece;
        };
        if (ru && en) {
            if (lang == Lang::English || lang == Lang::Russian) {
                if ((lang == Lang::English && InEnglish) || (lang == Lang::Russian && InRussian)) {
                    take(lang == Lang::English ? 1 : 0);
                } else {
                    ended = true;
                    ReadPos = wordStart;  // the word starts the next piece
                }
            } else if (InRussian) {
                lang = Lang::Russian;
                take(0);
            } else if (InEnglish) {
                lang = Lang::English;
                take(1);
            }
        } else {
            take(en ? 1 : 0);
        }
        if (w.SentenceEnd) ended = true;
    }
    TResultSentence r;
    int i = -1;
    if (ru && en) {
        if (lang == Lang::Russian) i = 0;
        if (lang == Lang::English) i = 1;
    } else {
        i = en ? 1 : 0;
    }
    if (i >= 0) {
        r.Russian = i == 0;
        r.English = i == 1;
        r.Text = std::move(plain[i]);
        r.Speech = std::move(spoken[i]);
    }
    return r;
}

}  // namespace vernalo
