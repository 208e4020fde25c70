// A user's own engine: any command that reads the text on its input and writes WAV (or raw
// 16-bit samples at a stated rate) on its output, declared in the data folder's voices.ini.
// It runs once per piece, through the shell, so the command may be a pipeline.

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>

#include "speech/driven/childprocess.h"
#include "speech/driven/drivenmode.h"
#include "text/textcodec.h"

namespace vernalo {

namespace {

struct CommandVoice {
    std::string name, language, command, speedOption;
    int sampleRate = 0;  // 0: the command writes WAV
    int normalSpeed = 100;
};

class CommandSynthesizer : public Synthesizer {
public:
    explicit CommandSynthesizer(CommandVoice voice) : voice_(std::move(voice)) {}

    bool synthesize(const std::string& utf8, int speed, Pcm* pcm, std::string* error,
                    Deadline deadline) override {
        std::string command = voice_.command;
        if (!voice_.speedOption.empty())
            command += " " + voice_.speedOption + " " +
                       std::to_string(std::lround(voice_.normalSpeed * speed / 100.0));
        std::string out, err;
        if (!process_.runOnce({"/bin/sh", "-c", command}, utf8 + "\n", deadline,
                              "'" + voice_.name + "'", out, err, error))
            return false;
        if (out.empty()) {
            *error = "'" + voice_.name + "' wrote no sound" + (err.empty() ? "" : ": " + err);
            return false;
        }
        if (voice_.sampleRate > 0) {
            *pcm = RawSamples(out, voice_.sampleRate);
            return true;
        }
        if (!ParseWav(out, pcm, error)) {
            *error = "'" + voice_.name + "': " + *error;
            return false;
        }
        return true;
    }

    void interrupt() override { process_.interrupt(); }

private:
    CommandVoice voice_;
    ChildProcess process_;
};

std::string Trimmed(const std::string& s) {
    const auto from = s.find_first_not_of(" \t\r");
    if (from == std::string::npos) return {};
    return s.substr(from, s.find_last_not_of(" \t\r") - from + 1);
}

std::optional<int> Number(const std::string& s, int low, int high) {
    if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos || s.size() > 7)
        return std::nullopt;
    const int n = std::stoi(s);
    if (n < low || n > high) return std::nullopt;
    return n;
}

}  // namespace

std::vector<DrivenMode> CommandModes(const std::string& voicesFile,
                                     std::vector<std::string>* problems) {
    std::vector<DrivenMode> modes;
    std::ifstream in(voicesFile);
    if (!in) return modes;
    std::vector<std::pair<CommandVoice, int>> voices;  // with the line of their section
    bool bad = false;                                  // the current section is left out
    auto problem = [&](int line, const std::string& why) {
        problems->push_back(voicesFile + ":" + std::to_string(line) + ": " + why);
        bad = true;
    };
    auto finish = [&] {
        if (voices.empty()) return;
        auto& [v, line] = voices.back();
        if (!bad && v.command.empty()) problem(line, "voice '" + v.name + "' has no command");
        if (!bad && v.language.empty()) problem(line, "voice '" + v.name + "' has no language");
        if (bad) voices.pop_back();
    };
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        const std::string line = Trimmed(text);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line.front() == '[') {
            finish();
            bad = false;
            const std::string name =
                line.back() == ']' ? Trimmed(line.substr(1, line.size() - 2)) : "";
            if (name.empty()) {
                problem(number, "a voice's name is written [name]");
                continue;
            }
            voices.push_back({CommandVoice{name, {}, {}, {}, 0, 100}, number});
            continue;
        }
        const std::size_t eq = line.find('=');
        if (voices.empty()) {
            problem(number, "'" + line + "' comes before the first [voice name]");
            bad = false;  // nothing to leave out
            continue;
        }
        if (eq == std::string::npos) {
            problem(number, "expected key = value, found '" + line + "'");
            continue;
        }
        CommandVoice& v = voices.back().first;
        const std::string key = Trimmed(line.substr(0, eq));
        const std::string value = Trimmed(line.substr(eq + 1));
        if (key == "language") {
            v.language = LanguageWordOf(value);
            if (v.language.empty()) problem(number, "language is ru or en, not '" + value + "'");
        } else if (key == "command") {
            v.command = value;
        } else if (key == "speed-option") {
            v.speedOption = value;
        } else if (key == "normal-speed") {
            if (auto n = Number(value, 1, 100000))
                v.normalSpeed = *n;
            else
                problem(number, "normal-speed takes a positive number, not '" + value + "'");
        } else if (key == "sample-rate") {
            if (auto n = Number(value, 1000, 384000))
                v.sampleRate = *n;
            else
                problem(number,
                        "sample-rate takes a number from 1000 to 384000, not '" + value + "'");
        } else {
            problem(number, "unknown key '" + key + "'");
        }
    }
    finish();
    for (auto& [v, line] : voices) {
        const std::u16string name = Utf8ToUtf16(v.name);
        modes.push_back({Utf8ToUtf16(v.language) + u" (" + name + u")", name, name, "command",
                         [v = v] { return std::make_unique<CommandSynthesizer>(v); }});
    }
    return modes;
}

}  // namespace vernalo
