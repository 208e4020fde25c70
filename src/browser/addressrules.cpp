#include "browser/addressrules.h"

#include <algorithm>
#include <array>

namespace vernalo {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v' ||
           c == u'\u00A0' || c == u'\u3000';
}

bool IsAsciiAlpha(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

char16_t Lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The scheme before the first ":" when the text starts with one (RFC 3986 letters), else
// an empty view.
std::u16string_view SchemeOf(std::u16string_view s) {
    if (s.empty() || !IsAsciiAlpha(s[0])) return {};
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == u':') return s.substr(0, i);
        if (!IsAsciiAlpha(c) && !IsAsciiDigit(c) && c != u'+' && c != u'-' && c != u'.') return {};
    }
    return {};
}

bool EqualsLower(std::u16string_view s, std::u16string_view lower) {
    if (s.size() != lower.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (Lower(s[i]) != lower[i]) return false;
    return true;
}

// A host with an optional port: no blanks, no characters a URL cannot carry there.
bool PlausibleHost(std::u16string_view host) {
    if (host.empty()) return false;
    for (char16_t c : host) {
        if (c < 0x20 || c == 0x7F || IsBlank(c)) return false;
        if (c == u'\\' || c == u'"' || c == u'<' || c == u'>' || c == u'^' || c == u'`' ||
            c == u'{' || c == u'|' || c == u'}' || c == u'%')
            return false;
    }
    return host.front() != u'.' && host.front() != u':' && host.front() != u'-';
}

bool HasControl(std::u16string_view s) {
    return std::any_of(s.begin(), s.end(), [](char16_t c) { return c < 0x20 || c == 0x7F; });
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // a lone surrogate names no character a file system knows
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Join(std::u16string_view dir, std::u16string_view rest) {
    std::u16string path(dir);
    if (path.empty() || path.back() != u'/') path += u'/';
    path += rest;
    return path;
}

void AppendWithLineFeeds(std::u16string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            out += u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            out += text[i];
        }
    }
}

}  // namespace

void AddUrl(std::vector<std::u16string>& list, std::u16string_view text) {
    if (list.size() >= kMaxUrls) list.erase(list.begin());
    list.emplace_back(text);
}

std::size_t RemoveUrl(std::vector<std::u16string>& list, std::u16string_view text) {
    return static_cast<std::size_t>(std::erase(list, std::u16string(text)));
}

std::u16string FileUrl(std::u16string_view absolutePath) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::string bytes = ToUtf8(absolutePath);
    std::u16string url = u"file://";
    for (unsigned char b : bytes) {
        const bool keep = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
                          (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' || b == '~' ||
                          b == '/';
        if (keep) {
            url += static_cast<char16_t>(b);
        } else {
            url += u'%';
            url += static_cast<char16_t>(kHex[b >> 4]);
            url += static_cast<char16_t>(kHex[b & 0xF]);
        }
    }
    return url;
}

Address ResolveAddress(std::u16string_view typed, std::u16string_view home,
                       std::u16string_view workingDir) {
    const std::u16string_view s = Trim(typed);
    if (s.empty()) return {AddressKind::Empty, {}};
    if (HasControl(s)) return {AddressKind::Invalid, {}};

    if (s.front() == u'/') return {AddressKind::LocalPath, FileUrl(s)};
    if (s == u"~" || s.starts_with(u"~/")) {
        if (home.empty() || home.front() != u'/') return {AddressKind::Invalid, {}};
        return {AddressKind::LocalPath,
                FileUrl(Join(home, s.substr(std::min<std::size_t>(2, s.size()))))};
    }
    if (s == u"." || s == u".." || s.starts_with(u"./") || s.starts_with(u"../")) {
        if (workingDir.empty() || workingDir.front() != u'/') return {AddressKind::Invalid, {}};
        return {AddressKind::LocalPath, FileUrl(Join(workingDir, s))};
    }

    const std::u16string_view scheme = SchemeOf(s);
    if (!scheme.empty()) {
        static constexpr std::array<std::u16string_view, 4> kOpened = {u"http", u"https", u"file",
                                                                       u"about"};
        for (std::u16string_view known : kOpened)
            if (EqualsLower(scheme, known)) return {AddressKind::Url, std::u16string(s)};
        // "host:port" looks like a scheme; a port is digits up to the path.
        std::u16string_view rest = s.substr(scheme.size() + 1);
        const std::size_t end = rest.find_first_of(u"/?#");
        const std::u16string_view port = rest.substr(0, end);
        const bool isPort = !port.empty() && std::all_of(port.begin(), port.end(), IsAsciiDigit);
        if (!isPort) return {AddressKind::Invalid, {}};
    }

    const std::u16string_view host = s.substr(0, s.find_first_of(u"/?#"));
    if (!PlausibleHost(host)) return {AddressKind::Invalid, {}};
    return {AddressKind::HostName, u"http://" + std::u16string(s)};
}

std::u16string FrameMarker(int k) {
    std::u16string number;
    const std::string digits = std::to_string(k);
    number.assign(digits.begin(), digits.end());
    return u"\n- - - Frame " + number + u" - - -";
}

std::u16string BrowserText(std::u16string_view page,
                           const std::vector<std::optional<std::u16string>>& frames) {
    std::u16string out;
    AppendWithLineFeeds(out, page);
    if (frames.size() < 2) return out;  // one frame or none: the page alone
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (!frames[i]) continue;
        if (!out.empty() && out.back() != u'\n') out += u'\n';
        out += FrameMarker(static_cast<int>(i + 1));
        out += u'\n';
        AppendWithLineFeeds(out, *frames[i]);
    }
    return out;
}

}  // namespace vernalo
