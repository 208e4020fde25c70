#pragma once
// What the program keeps between runs in data/reader.ini, and where its data lives.

#include <cstdint>
#include <string>
#include <vector>

#include "settings/colors.h"
#include "settings/inifile.h"
#include "text/language.h"

namespace vernalo {

struct ReaderSettings {
    PerLanguage<std::u16string> voice{{u"Nicolai", u"Carol"}};
    // Speeds stay text until the voice step converts them against the voice's range.
    PerLanguage<std::u16string> speed{{u"100", u"100"}};
    // The editor's font; empty and 0 (no such keys in the file) are the desktop's own font and
    // its size, which the window fills in and so writes back.
    std::u16string fontName;
    int fontSize = 0;
    ColorCode fontColor = kWindowTextColor;
    bool markWord = true;  // the word being heard is marked while reading ([Interface] MarkWord)
    // Each text another program copies is read ([Interface] ReadCopied).
    bool readCopied = false;
    bool showContents = false;  // the Contents panel shows ([Interface] ShowContents)
    // Silence after each piece: 0 none, 1 as long as the piece, 2 twice ([Interface] PauseAfter).
    int pauseAfter = 0;
    int posX = 0;
    int posY = 0;
    int position = 0;  // where the selection (or the caret) began, 0-based as in the editor
    std::vector<std::u16string> urls;
    std::u16string urlEditText;  // what the address box shows after reading
    // The files opened last, the newest first ([Recent] File1..File10).
    std::vector<std::u16string> recentFiles;
};

// Reads every key in the program's order. A value that cannot be converted keeps that key's
// default, and the key's name is added to `badKeys`, so one bad value spoils nothing else.
ReaderSettings ReadSettings(const IniFile& ini, std::vector<std::string>* badKeys = nullptr);

// Writes every key in the program's order; URL keys above the list's length are left as they are.
void WriteSettings(IniFile& ini, const ReaderSettings& s);

// The folder the data paths are built from: the current directory when it holds a "data"
// folder (a portable install), else $XDG_DATA_HOME/vernalo (default ~/.local/share/vernalo).
std::string ResolveBaseDir(const std::string& currentDir, const char* xdgDataHome,
                           const char* home);

inline std::string SettingsPath(const std::string& baseDir) {
    return baseDir + "/data/reader.ini";
}
inline std::string TextPath(const std::string& baseDir) {
    return baseDir + "/data/text.txt";
}

}  // namespace vernalo
