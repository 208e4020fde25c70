// Piper: one `piper --output_raw` per voice and speed (the length scale is fixed at start), fed
// one line of text per piece. Its raw output has no marks between pieces; it logs a line with
// "Real-time factor" on its error stream after each piece's last sample is written, so
// the samples read by then are the piece.

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

constexpr const char* kPieceLogged = "Real-time factor";

class PiperSynthesizer : public Synthesizer {
public:
    PiperSynthesizer(std::string model, int rate) : model_(std::move(model)), rate_(rate) {}

    bool synthesize(const std::string& utf8, int speed, Pcm* pcm, std::string* error,
                    Deadline deadline) override {
        if (speed != speed_) process_.stop();
        if (!process_.running()) {
            // The length scale stretches every phoneme: 2 is half the normal rate.
            std::ostringstream scale;
            scale << 100.0 / speed;
            if (!process_.start({"piper", "--model", model_, "--config", model_ + ".json",
                                 "--output_raw", "--length_scale", scale.str()},
                                error))
                return false;
            speed_ = speed;
        }
        std::string line = utf8;
        std::replace(line.begin(), line.end(), '\n', ' ');
        std::replace(line.begin(), line.end(), '\r', ' ');
        if (!process_.write(line + "\n")) {
            *error = "Piper has quit";
            return false;
        }
        std::string out, err;
        switch (process_.readUntil(
            out, err, deadline, [&err] { return err.find(kPieceLogged) != std::string::npos; })) {
            case ChildProcess::Read::Data:
                break;
            case ChildProcess::Read::Closed:
                *error = "Piper has quit";
                return false;
            case ChildProcess::Read::TimedOut:
                *error = "Piper gave no sound in time";
                return false;
        }
        process_.drainOutput(out);
        *pcm = RawSamples(out, rate_);
        return true;
    }

    pid_t pid() const override { return process_.pid(); }
    bool loadsOnce() const override { return true; }
    void interrupt() override { process_.interrupt(); }

private:
    std::string model_;
    int rate_;
    int speed_ = 0;
    ChildProcess process_;
};

// The number after `"key":` in a voice's JSON description, or 0.
int JsonNumber(const std::string& json, const std::string& key) {
    const std::size_t at = json.find("\"" + key + "\"");
    if (at == std::string::npos) return 0;
    const std::size_t colon = json.find(':', at);
    return colon == std::string::npos ? 0 : std::atoi(json.c_str() + colon + 1);
}

// The string after `"key":`, or empty.
std::string JsonString(const std::string& json, const std::string& key) {
    const std::size_t at = json.find("\"" + key + "\"");
    if (at == std::string::npos) return {};
    const std::size_t open = json.find('"', json.find(':', at) + 1);
    const std::size_t close = json.find('"', open + 1);
    return open == std::string::npos || close == std::string::npos
               ? std::string()
               : json.substr(open + 1, close - open - 1);
}

}  // namespace

std::vector<DrivenMode> PiperModes() {
    std::vector<DrivenMode> modes;
    if (FindProgram("piper").empty()) return modes;
    const char* home = std::getenv("HOME");
    const std::string h = home ? home : "";
    std::vector<fs::path> models;
    std::error_code ec;
    for (const std::string& folder :
         {DataFolder() + "/voices", h + "/.local/share/piper-voices",
          h + "/.local/share/piper/voices", std::string("/usr/local/share/piper-voices"),
          std::string("/usr/share/piper-voices")}) {
        for (const auto& e : fs::recursive_directory_iterator(folder, ec))
            if (e.path().extension() == ".onnx" && fs::exists(e.path().string() + ".json", ec))
                models.push_back(e.path());
    }
    std::sort(models.begin(), models.end());
    for (const fs::path& model : models) {
        std::ifstream in(model.string() + ".json");
        std::ostringstream json;
        json << in.rdbuf();
        const int rate = JsonNumber(json.str(), "sample_rate");
        std::string code = JsonString(json.str(), "code");
        const std::string stem = model.stem().string();
        if (code.empty()) code = stem;
        const std::string word = LanguageWordOf(code);
        if (word.empty() || rate <= 0) continue;
        const std::u16string name = Utf8ToUtf16(stem);
        modes.push_back({Utf8ToUtf16(word) + u" (Piper: " + name + u")", name + u" (Piper)",
                         u"Piper", "piper", [path = model.string(), rate] {
                             return std::make_unique<PiperSynthesizer>(path, rate);
                         }});
    }
    return modes;
}

}  // namespace vernalo
