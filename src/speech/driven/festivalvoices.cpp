// Festival: one `festival --pipe` per voice, fed a Scheme form per piece, so the voice (seconds
// to load for the Russian one) is loaded once. Each piece is saved to a file and a line printed
// after it on the error stream, which Festival does not buffer, says the file is complete.

#include <stdlib.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "speech/driven/childprocess.h"
#include "speech/driven/drivenmode.h"
#include "text/textcodec.h"

namespace vernalo {

namespace {

namespace fs = std::filesystem;

constexpr const char* kDone = "vernalo-piece-done";
constexpr int kFestivalRate = 16000;

// Tells on the error stream, after a piece, how long Festival reckons the utterance and when
// each token of the text (its words: a number may be several) starts and ends, from the
// segments of its words' syllables. Tokens without words (a dash) are left out.
constexpr const char* kWordsForm = R"((define (vernalo_words utt)
  (let ((seg (utt.relation.last utt 'Segment)))
    (format stderr "vernalo-length %f\n" (if seg (item.feat seg "end") 0)))
  (mapcar
   (lambda (tok)
     (let ((ws nil))
       (mapcar (lambda (d) (if (item.relation d 'Word) (set! ws (cons (item.relation d 'Word) ws))))
               (item.relation.daughters tok 'Token))
       (if ws
           (format stderr "vernalo-word %f %f %s\n"
                   (item.feat (car (reverse ws)) "R:SylStructure.daughter1.daughter1.segment_start")
                   (item.feat (car ws) "word_end")
                   (item.name tok)))))
   (utt.relation.items utt 'Token))
  t)
)";

// The words' times Festival told on the error stream for `utf8`, brought to the `seconds` the
// sound really lasts, each found in the text after the one before. Times that do not make sense
// (out of order, past the end) end the list: no mark is better than a wrong one.
std::vector<WordTime> WordTimes(const std::string& err, const std::string& utf8, double seconds) {
    std::vector<WordTime> words;
    double length = 0;
    std::size_t cursor = 0;
    std::istringstream lines(err);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string tag;
        fields >> tag;
        if (tag == "vernalo-length") {
            fields >> length;
            continue;
        }
        if (tag != "vernalo-word") continue;
        WordTime w;
        std::string name;
        if (!(fields >> w.start >> w.end >> name)) continue;
        const std::size_t at = utf8.find(name, cursor);
        if (at == std::string::npos) continue;  // not as written: no mark for it
        cursor = at + name.size();
        if (length <= 0 || w.end <= w.start || w.end > length * 1.01 ||
            (!words.empty() && w.start < words.back().end - 1e-3))
            break;
        const double scale = seconds / length;
        w.start *= scale;
        w.end *= scale;
        w.offset = static_cast<long>(Utf8ToUtf16(utf8.substr(0, at)).size());
        w.length = static_cast<long>(Utf8ToUtf16(name).size());
        words.push_back(w);
    }
    return words;
}

// `utf8` with every sign but letters, digits and . , ! ? - made blanks, byte for byte, so
// that the words stay at their places.
std::string Plain(std::string utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        bool keep = std::isalnum(c) || std::strchr(" .,!?-", c);
        if (c >= 0xC0 && i + 1 < utf8.size()) {
            // Latin letters with marks and Cyrillic (U+00C0 to U+04FF) are two bytes each.
            const auto code =
                ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            keep = n == 2 && code >= 0xC0 && code <= 0x4FF && code != 0xD7 && code != 0xF7;
        }
        if (!keep)
            for (std::size_t k = i; k < std::min(i + n, utf8.size()); ++k)
                utf8[k] = ' ';
        i += n;
    }
    return utf8;
}

// A Scheme string literal holding `text`.
std::string SchemeString(const std::string& text) {
    std::string s = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') s += '\\';
        s += c;
    }
    return s + "\"";
}

class FestivalSynthesizer : public Synthesizer {
public:
    explicit FestivalSynthesizer(std::string voice)
        : voice_(std::move(voice)), hts_(voice_.ends_with("_hts")) {}
    ~FestivalSynthesizer() override {
        process_.stop();
        std::error_code ec;
        if (!folder_.empty()) fs::remove_all(folder_, ec);
    }

    bool synthesize(const std::string& utf8, int speed, Pcm* pcm, std::string* error,
                    Deadline deadline) override {
        if (!process_.running() && !start(error)) return false;
        const std::string wav = folder_ + "/piece.wav";
        std::string err;
        if (!say(utf8, speed, wav, deadline, &err, error)) return false;
        std::string spoken = utf8;
        std::error_code ec;
        if (!fs::exists(wav, ec)) {
            // The Russian voice gives up on a whole sentence at a sign its letter rules do not
            // know (a bracket, a semicolon, a lone quote): it is said again with such signs as
            // blanks, which leave the words where they were.
            spoken = Plain(utf8);
            if (spoken != utf8 && !say(spoken, speed, wav, deadline, &err, error)) return false;
        }
        std::ifstream in(wav, std::ios::binary);
        if (!in) {
            // Festival said nothing it could say (only signs, say): silence, not a failure
            // that would restart the engine and stop the reading.
            *pcm = Pcm{{}, kFestivalRate, {}};
            return true;
        }
        std::ostringstream bytes;
        bytes << in.rdbuf();
        if (!ParseWav(bytes.str(), pcm, error)) return false;
        const double seconds = pcm->rate > 0 ? double(pcm->samples.size()) / pcm->rate : 0;
        pcm->words = WordTimes(err, spoken, seconds);
        if (!hts_) {
            pcm->samples = TimeStretched(pcm->samples, pcm->rate, speed);
            for (WordTime& w : pcm->words) {
                w.start = w.start * 100 / speed;
                w.end = w.end * 100 / speed;
            }
        }
        return true;
    }

    pid_t pid() const override { return process_.pid(); }
    bool loadsOnce() const override { return true; }
    void interrupt() override { process_.interrupt(); }

private:
    // Has Festival say `utf8` into `wav` (no file when it could not), its error stream (with
    // the words' times) in `err`; false when it quit or hung.
    bool say(const std::string& utf8, int speed, const std::string& wav, Deadline deadline,
             std::string* err, std::string* error) {
        std::error_code ec;
        fs::remove(wav, ec);
        std::ostringstream form;
        // An HTS voice takes its rate from the engine's "-r" (2 is twice as fast); a unit
        // selection voice keeps its recorded units' lengths whatever Festival is told, so its
        // sound is stretched here instead.
        if (hts_)
            form << "(set! hts_engine_params (cons (list \"-r\" " << speed / 100.0
                 << ") vernalo_hts_params))\n";
        // Each step a form of its own: one that fails (a word the voice cannot say) leaves the
        // next to run, and the piece then ends without a file.
        form << "(set! vernalo_utt nil)\n"
             << "(set! vernalo_utt (utt.synth (Utterance Text " << SchemeString(utf8) << ")))\n"
             << "(if vernalo_utt (utt.save.wave vernalo_utt " << SchemeString(wav) << " 'riff))\n"
             << "(if vernalo_utt (vernalo_words vernalo_utt))\n"
             << "(format stderr \"" << kDone << "\\n\")\n";
        if (!process_.write(form.str())) {
            *error = "Festival has quit";
            return false;
        }
        std::string out;
        err->clear();
        switch (process_.readUntil(out, *err, deadline,
                                   [err] { return err->find(kDone) != std::string::npos; })) {
            case ChildProcess::Read::Data:
                return true;
            case ChildProcess::Read::Closed:
                *error = "Festival has quit";
                return false;
            case ChildProcess::Read::TimedOut:
                *error = "Festival gave no sound in time";
                return false;
        }
        return false;
    }

    bool start(std::string* error) {
        if (folder_.empty()) {
            std::string pattern = (fs::temp_directory_path() / "vernalo-festival-XXXXXX").string();
            if (!mkdtemp(pattern.data())) {
                *error = "no temporary folder for Festival";
                return false;
            }
            folder_ = pattern;
        }
        if (!process_.start({"festival", "--pipe"}, error)) return false;
        std::string setup = "(" + voice_ + ")\n" + kWordsForm;
        if (hts_) setup += "(set! vernalo_hts_params hts_engine_params)\n";
        return process_.write(setup) || (*error = "Festival has quit", false);
    }

    std::string voice_;
    bool hts_;
    std::string folder_;
    ChildProcess process_;
};

// The language of a folder of Festival's voices.
std::string LanguageOfFolder(const std::string& folder) {
    if (folder == "russian") return "Russian";
    if (folder == "english" || folder == "us" || folder == "uk" || folder == "british" ||
        folder == "american")
        return "English";
    return {};
}

// The voice's name without the kind of synthesis it uses.
std::string ShortName(std::string name) {
    for (const char* suffix : {"_clunits", "_hts", "_diphone", "_cg", "_multisyn"}) {
        const std::string s = suffix;
        if (name.size() > s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0)
            return name.substr(0, name.size() - s.size());
    }
    return name;
}

}  // namespace

std::vector<DrivenMode> FestivalModes() {
    std::vector<DrivenMode> modes;
    if (FindProgram("festival").empty()) return modes;
    std::error_code ec;
    for (const char* root : {"/usr/share/festival/voices", "/usr/local/share/festival/voices"}) {
        std::vector<fs::path> voices;
        for (const auto& lang : fs::directory_iterator(root, ec)) {
            const std::string word = LanguageOfFolder(lang.path().filename().string());
            if (word.empty() || !lang.is_directory()) continue;
            for (const auto& voice : fs::directory_iterator(lang.path(), ec))
                if (voice.is_directory()) voices.push_back(voice.path());
        }
        std::sort(voices.begin(), voices.end());
        for (const fs::path& v : voices) {
            const std::string word = LanguageOfFolder(v.parent_path().filename().string());
            const std::string name = v.filename().string();
            const std::u16string shortName = Utf8ToUtf16(ShortName(name));
            modes.push_back({Utf8ToUtf16(word) + u" (Festival: " + shortName + u")",
                             shortName + u" (Festival)", u"Festival", "festival", [name] {
                                 return std::make_unique<FestivalSynthesizer>("voice_" + name);
                             }});
        }
    }
    // Russian voices first, as the built-in engine lists them.
    std::stable_sort(modes.begin(), modes.end(), [](const DrivenMode& a, const DrivenMode& b) {
        return a.name.starts_with(u"Russian") && !b.name.starts_with(u"Russian");
    });
    return modes;
}

}  // namespace vernalo
