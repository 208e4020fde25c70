#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "speech/driven/drivenmode.h"

namespace vernalo {

std::string FindProgram(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t from = 0;
    while (from <= dirs.size()) {
        std::size_t to = dirs.find(':', from);
        if (to == std::string::npos) to = dirs.size();
        const std::string dir = dirs.substr(from, to - from);
        const std::string full = (dir.empty() ? std::string(".") : dir) + "/" + program;
        if (::access(full.c_str(), X_OK) == 0 && !std::filesystem::is_directory(full)) return full;
        from = to + 1;
    }
    return {};
}

std::string DataFolder() {
    std::error_code ec;
    if (std::filesystem::is_directory("data", ec))
        return std::filesystem::absolute("data").string();
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/vernalo";
}

std::string LanguageWordOf(const std::string& code) {
    const std::string two = code.substr(0, 2);
    if (two == "ru" || two == "RU") return "Russian";
    if (two == "en" || two == "EN") return "English";
    return {};
}

const std::vector<DrivenMode>& InstalledDrivenModes(std::vector<std::string>* problems) {
    static std::once_flag once;
    static std::vector<DrivenMode> modes;
    static std::vector<std::string> found;
    std::call_once(once, [] {
        for (auto family : {FestivalModes(), PiperModes(), RhvoiceModes(),
                            CommandModes(DataFolder() + "/voices.ini", &found)})
            for (DrivenMode& m : family)
                modes.push_back(std::move(m));
    });
    if (problems) *problems = found;
    return modes;
}

}  // namespace vernalo
