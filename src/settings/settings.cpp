#include "settings/settings.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/textcodec.h"

namespace vernalo {
namespace {

constexpr int kRecentFileKeys = 10;

std::u16string Decimal(long v) {
    std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

}  // namespace

ReaderSettings ReadSettings(const IniFile& ini, std::vector<std::string>* badKeys) {
    ReaderSettings s;
    auto bad = [&](const char* key) {
        if (badKeys) badKeys->push_back(key);
    };
    auto integer = [&](const char16_t* section, const char16_t* key, const char* name, int& field) {
        std::u16string text = ini.read(section, key, Decimal(field));
        if (auto v = ParseInteger(text))
            field = *v;
        else
            bad(name);
    };
    s.voice[Language::Russian] = ini.read(u"Speech", u"RUSSIAN", s.voice[Language::Russian]);
    s.voice[Language::English] = ini.read(u"Speech", u"ENGLISH", s.voice[Language::English]);
    s.fontName = ini.read(u"Interface", u"FontName", s.fontName);
    integer(u"Interface", u"FontSize", "FontSize", s.fontSize);
    if (auto c = ParseColor(ini.read(u"Interface", u"FontColor", FormatColor(s.fontColor))))
        s.fontColor = *c;
    else
        bad("FontColor");
    int markWord = s.markWord ? 1 : 0;
    integer(u"Interface", u"MarkWord", "MarkWord", markWord);
    s.markWord = markWord != 0;
    int readCopied = s.readCopied ? 1 : 0;
    integer(u"Interface", u"ReadCopied", "ReadCopied", readCopied);
    s.readCopied = readCopied != 0;
    int showContents = s.showContents ? 1 : 0;
    integer(u"Interface", u"ShowContents", "ShowContents", showContents);
    s.showContents = showContents != 0;
    integer(u"Interface", u"PauseAfter", "PauseAfter", s.pauseAfter);
    if (s.pauseAfter < 0 || s.pauseAfter > 2) {
        s.pauseAfter = 0;
        bad("PauseAfter");
    }
    integer(u"Text", u"PosX", "PosX", s.posX);
    integer(u"Text", u"PosY", "PosY", s.posY);
    integer(u"Text", u"Position", "Position", s.position);
    s.speed[Language::Russian] = ini.read(u"Speech", u"SPEEDRU", s.speed[Language::Russian]);
    s.speed[Language::English] = ini.read(u"Speech", u"SPEEDEN", s.speed[Language::English]);
    // Only "0" to "9" are read. After each non-empty value the box shows the entry whose index
    // is the key's number, which is empty once a key was missing.
    for (int i = 0; i < 10; ++i) {
        std::u16string url = ini.read(u"URL", Decimal(i), u"");
        if (url.empty()) continue;
        s.urls.push_back(url);
        s.urlEditText = static_cast<std::size_t>(i) < s.urls.size() ? s.urls[i] : u"";
    }
    // Up to the first empty entry: a shorter list leaves its old keys empty.
    for (int i = 1; i <= kRecentFileKeys; ++i) {
        std::u16string file = ini.read(u"Recent", u"File" + Decimal(i), u"");
        if (file.empty()) break;
        s.recentFiles.push_back(std::move(file));
    }
    return s;
}

void WriteSettings(IniFile& ini, const ReaderSettings& s) {
    ini.write(u"Speech", u"RUSSIAN", s.voice[Language::Russian]);
    ini.write(u"Speech", u"ENGLISH", s.voice[Language::English]);
    ini.write(u"Interface", u"FontName", s.fontName);
    ini.write(u"Interface", u"FontSize", Decimal(s.fontSize));
    ini.write(u"Interface", u"FontColor", FormatColor(s.fontColor));
    ini.write(u"Interface", u"MarkWord", s.markWord ? u"1" : u"0");
    // Off is the default and goes unwritten, so a file that never had it keeps its lines.
    if (s.readCopied || !ini.read(u"Interface", u"ReadCopied", u"").empty())
        ini.write(u"Interface", u"ReadCopied", s.readCopied ? u"1" : u"0");
    // Only once the panel was shown: a file that never used it keeps its keys as they were.
    if (s.showContents || !ini.read(u"Interface", u"ShowContents", u"").empty())
        ini.write(u"Interface", u"ShowContents", s.showContents ? u"1" : u"0");
    // Off is the default: a file that never had the pause on stays as it was.
    if (s.pauseAfter != 0 || !ini.read(u"Interface", u"PauseAfter", u"").empty())
        ini.write(u"Interface", u"PauseAfter", Decimal(s.pauseAfter));
    ini.write(u"Speech", u"SPEEDRU", s.speed[Language::Russian]);
    ini.write(u"Speech", u"SPEEDEN", s.speed[Language::English]);
    ini.write(u"Text", u"Position", Decimal(s.position));
    ini.write(u"Text", u"PosX", Decimal(s.posX));
    ini.write(u"Text", u"PosY", Decimal(s.posY));
    for (std::size_t i = 0; i < s.urls.size(); ++i)
        ini.write(u"URL", Decimal(static_cast<long>(i)), s.urls[i]);
    // Keys are never removed from the file: those past the list are emptied, once there.
    for (int i = 1; i <= kRecentFileKeys; ++i) {
        const std::size_t at = static_cast<std::size_t>(i - 1);
        const std::u16string key = u"File" + Decimal(i);
        if (at < s.recentFiles.size())
            ini.write(u"Recent", key, s.recentFiles[at]);
        else if (!ini.read(u"Recent", key, u"").empty())
            ini.write(u"Recent", key, u"");
    }
}

std::string ResolveBaseDir(const std::string& currentDir, const char* xdgDataHome,
                           const char* home) {
    struct stat st;
    if (::stat((currentDir + "/data").c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return currentDir;
    if (xdgDataHome && *xdgDataHome == '/') return std::string(xdgDataHome) + "/vernalo";
    if (home && *home) return std::string(home) + "/.local/share/vernalo";
    // No HOME: the account's own home, not a shared folder where others could read the text.
    const passwd* account = ::getpwuid(::getuid());
    const std::string own = account && account->pw_dir && *account->pw_dir ? account->pw_dir : ".";
    return own + "/.local/share/vernalo";
}

}  // namespace vernalo
