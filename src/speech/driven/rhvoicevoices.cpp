// RHVoice: its command-line client reads the text on its input to the end and writes a WAV
// file, so it runs once per piece; the look-ahead hides its start.

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "speech/driven/childprocess.h"
#include "speech/driven/drivenmode.h"
#include "text/textcodec.h"

namespace vernalo {

namespace {

namespace fs = std::filesystem;

class RhvoiceSynthesizer : public Synthesizer {
public:
    explicit RhvoiceSynthesizer(std::string voice) : voice_(std::move(voice)) {}
    ~RhvoiceSynthesizer() override {
        std::error_code ec;
        if (!folder_.empty()) fs::remove_all(folder_, ec);
    }

    bool synthesize(const std::string& utf8, int speed, Pcm* pcm, std::string* error,
                    Deadline deadline) override {
        if (folder_.empty()) {
            std::string pattern = (fs::temp_directory_path() / "vernalo-rhvoice-XXXXXX").string();
            if (!mkdtemp(pattern.data())) {
                *error = "no temporary folder for RHVoice";
                return false;
            }
            folder_ = pattern;
        }
        const std::string wav = folder_ + "/piece.wav";
        std::error_code ec;
        fs::remove(wav, ec);
        // The rate is in percent of the voice's normal rate, as Vernalo's speeds are.
        std::string out, err;
        if (!process_.runOnce(
                {"RHVoice-test", "-p", voice_, "-r", std::to_string(speed), "-o", wav}, utf8 + "\n",
                deadline, "RHVoice", out, err, error))
            return false;
        std::ifstream in(wav, std::ios::binary);
        if (!in) {
            *error = "RHVoice wrote no sound";
            return false;
        }
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return ParseWav(bytes.str(), pcm, error);
    }

    void interrupt() override { process_.interrupt(); }

private:
    std::string voice_;
    std::string folder_;
    ChildProcess process_;
};

// The value of `key=` in a voice.info file, or empty.
std::string InfoValue(const std::string& info, const std::string& key) {
    std::istringstream lines(info);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
    }
    return {};
}

}  // namespace

std::vector<DrivenMode> RhvoiceModes() {
    std::vector<DrivenMode> modes;
    if (FindProgram("RHVoice-test").empty()) return modes;
    const char* home = std::getenv("HOME");
    const std::string h = home ? home : "";
    std::vector<fs::path> infos;
    std::error_code ec;
    for (const std::string& folder :
         {std::string("/usr/share/RHVoice/voices"), std::string("/usr/local/share/RHVoice/voices"),
          h + "/.local/share/RHVoice/voices"})
        for (const auto& e : fs::directory_iterator(folder, ec))
            if (fs::exists(e.path() / "voice.info", ec)) infos.push_back(e.path() / "voice.info");
    std::sort(infos.begin(), infos.end());
    for (const fs::path& path : infos) {
        std::ifstream in(path);
        std::ostringstream info;
        info << in.rdbuf();
        const std::string name = InfoValue(info.str(), "name");
        const std::string language = InfoValue(info.str(), "language");
        const std::string word =
            language == "Russian" || language == "English" ? language : LanguageWordOf(language);
        if (name.empty() || word.empty()) continue;
        const std::u16string n = Utf8ToUtf16(name);
        modes.push_back({Utf8ToUtf16(word) + u" (RHVoice: " + n + u")", n + u" (RHVoice)",
                         u"RHVoice", "rhvoice",
                         [name] { return std::make_unique<RhvoiceSynthesizer>(name); }});
    }
    return modes;
}

}  // namespace vernalo
