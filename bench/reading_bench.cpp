// Segmentation throughput on a large mixed text with a loaded dictionary, without and with the
// shipped reading rules on a text with stress marks and abbreviations, and the throughput and
// memory of parsing a million-entry dictionary file.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "dict/dictfile.h"
#include "dict/rules.h"
#include "reading/segmenter.h"
#include "text/codepage.h"
#include "text/fileio.h"

namespace {

using namespace vernalo;

const std::vector<std::u16string>& Words() {
    static const std::vector<std::u16string> words = [] {
        std::vector<std::u16string> w = {
            u"привет",      u"мир",      u"читать",   u"книга",   u"голос",      u"словарь",
            u"предложение", u"быстро",   u"медленно", u"русский", u"английский", u"текст",
            u"слово",       u"окно",     u"hello",    u"world",   u"reading",    u"aloud",
            u"voice",       u"sentence", u"language", u"learner", u"mixed",      u"dictionary",
            u"window",      u"button",   u"speech",   u"quickly", u"5кг",        u"12",
            u"3.5",         u"don't",    u"e-mail",   u"«ёлка»"};
        return w;
    }();
    return words;
}

// What learners' texts hold besides, one word in forty: stress marks, abbreviations, signs
// and centuries.
const std::vector<std::u16string>& LearnersWords() {
    static const std::vector<std::u16string> words = {
        u"за\u0301мок", u"замо\u0301к", u"молоко\u0301", u"т. е.", u"и т. д.", u"5 %",
        u"№ 3",         u"XX век",      u"e.g.",         u"i.e.",  u"Mr.",     u"2000 г."};
    return words;
}

// About `units` UTF-16 units of mixed Russian and English prose with punctuation and breaks.
std::u16string MixedText(std::size_t units, bool learners = false) {
    std::mt19937 rng(42);
    const auto& words = Words();
    std::u16string text;
    text.reserve(units + 32);
    while (text.size() < units) {
        if (learners && rng() % 40 == 0)
            text += LearnersWords()[rng() % LearnersWords().size()];
        else
            text += words[rng() % words.size()];
        switch (rng() % 12) {
            case 0:
                text += u". ";
                break;
            case 1:
                text += u", ";
                break;
            case 2:
                text += u"!\n";
                break;
            default:
                text += u' ';
        }
    }
    return text;
}

std::u16string Key(std::mt19937& rng, bool russian) {
    std::u16string k;
    int len = 3 + static_cast<int>(rng() % 8);
    for (int i = 0; i < len; ++i)
        k.push_back(russian ? static_cast<char16_t>(u'а' + rng() % 32)
                            : static_cast<char16_t>(u'a' + rng() % 26));
    return k;
}

void FillDictionaries(DictionaryStore& d, std::size_t entries) {
    std::mt19937 rng(7);
    for (std::size_t i = 0; i < entries; ++i) {
        d[Language::Russian].assign(Key(rng, true), Key(rng, true));
        d[Language::English].assign(Key(rng, false), Key(rng, false));
    }
    for (const auto& w : Words())
        d[Language::English].assign(w, u"replaced");  // some words hit
}

constexpr std::size_t kTextUnits = 5 * 1024 * 1024;  // 10 MB of UTF-16

void BM_Segment(benchmark::State& state) {
    static const std::u16string text = MixedText(kTextUnits);
    static DictionaryStore dicts = [] {
        DictionaryStore d;
        FillDictionaries(d, 50000);  // 100,000 entries in all
        return d;
    }();
    static const std::u16string learnersText = MixedText(kTextUnits, true);
    static DictionaryStore withRules = [] {
        DictionaryStore d = dicts;
        for (Language l : kLanguages) {
            std::shared_ptr<const RuleSet> rules;
            const std::string file = std::string(VERNALO_SOURCE_DIR "/dict/reader") +
                                     (l == Language::Russian ? "ru" : "en") + ".rules";
            if (LoadRulesFile(file, rules)) d[l].setRules(std::move(rules));
        }
        return d;
    }();
    const bool sentences = state.range(0) == 1;
    // 0: today's text; 1: the learners' text without rules; 2: with the shipped rules.
    const bool learners = state.range(1) >= 1, rules = state.range(1) == 2;
    Segmenter seg(rules ? withRules : dicts);
    seg.setText(learners ? learnersText : text);
    std::size_t pieces = 0;
    for (auto _ : state) {
        seg.position = 0;
        while (seg.position < seg.readLength) {
            if (sentences)
                benchmark::DoNotOptimize(seg.nextSentence());
            else
                benchmark::DoNotOptimize(seg.nextWord());
            ++pieces;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * seg.readLength * 2));
    state.counters["pieces"] =
        static_cast<double>(pieces) / static_cast<double>(state.iterations());
    state.SetLabel(std::string(sentences ? "sentence mode" : "word mode") +
                   ", 10 MB UTF-16, 100k entries" + (learners ? ", marks and abbreviations" : "") +
                   (rules ? ", shipped rules" : ""));
}
// The learners' text without rules, then with them: the third figure beside the second is
// the rules' cost.
BENCHMARK(BM_Segment)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond);

// A million CR LF lines of Windows-1251 (or UTF-8) key=value.
std::string DictionaryFile(bool utf8) {
    std::mt19937 rng(3);
    std::string file;
    file.reserve(24 * 1000000);
    for (int i = 0; i < 1000000; ++i) {
        bool ru = i % 2;
        std::u16string line =
            Key(rng, ru) + std::u16string(1, u'0' + i % 10) + u"=" + Key(rng, ru) + u"\r\n";
        if (utf8) {
            for (char16_t c : line) {
                if (c < 0x80) {
                    file.push_back(static_cast<char>(c));
                } else {
                    file.push_back(static_cast<char>(0xC0 | (c >> 6)));
                    file.push_back(static_cast<char>(0x80 | (c & 0x3F)));
                }
            }
        } else {
            file += EncodeCp1251(line);
        }
    }
    return file;
}

void BM_ParseDictionary(benchmark::State& state) {
    const bool utf8 = state.range(0) == 1;
    const std::string file = DictionaryFile(utf8);
    std::size_t entries = 0, memory = 0;
    for (auto _ : state) {
        Dictionary d;
        entries = ParseDictionary(file, d).entriesStored;
        memory = d.memoryBytes();
        benchmark::DoNotOptimize(d);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
    state.counters["entries"] = static_cast<double>(entries);
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
    // The parse holds the file and the dictionary at once.
    state.counters["memory_x_file"] =
        static_cast<double>(memory + file.size()) / static_cast<double>(file.size());
    state.SetLabel(utf8 ? "1,000,000 entries, UTF-8" : "1,000,000 entries, Windows-1251");
}
BENCHMARK(BM_ParseDictionary)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
