#include "text/codepagetable.h"

#include <errno.h>
#include <iconv.h>

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "text/codepage.h"

namespace vernalo {
namespace {

// Pages that iconv knows by another name than "CP", "WINDOWS-" or "IBM" with the number;
// the name takes the place of the guess at `slot`.
struct IconvAlias {
    int codePage;
    int slot;
    const char* name;
};
constexpr IconvAlias kIconvAliases[] = {
    {10000, 0, "MACINTOSH"},  {10007, 0, "MAC-CYRILLIC"}, {936, 1, "GBK"},
    {949, 1, "UHC"},          {950, 1, "BIG5"},           {1361, 1, "JOHAB"},
    {20866, 0, "KOI8-R"},     {21866, 0, "KOI8-U"},       {28591, 0, "ISO-8859-1"},
    {28595, 0, "ISO-8859-5"},
};

iconv_t OpenIconv(int codePage) {
    std::string names[] = {"CP" + std::to_string(codePage), "WINDOWS-" + std::to_string(codePage),
                           "IBM" + std::to_string(codePage)};
    for (const IconvAlias& alias : kIconvAliases)
        if (alias.codePage == codePage) names[alias.slot] = alias.name;
    for (const std::string& n : names) {
        iconv_t cd = iconv_open("UTF-16LE", n.c_str());
        if (cd != reinterpret_cast<iconv_t>(-1)) return cd;
    }
    return reinterpret_cast<iconv_t>(-1);
}

// Converts `in` with `cd`; returns the number of UTF-16 units written, -1 for an
// incomplete sequence, -2 for an invalid one.
int Convert(iconv_t cd, const char* in, std::size_t inLen, char16_t* out, std::size_t outUnits) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char buf[16];
    char* dst = buf;
    std::size_t dstLeft = sizeof buf;
    if (iconv(cd, &src, &inLen, &dst, &dstLeft) == static_cast<std::size_t>(-1))
        return errno == EINVAL ? -1 : -2;
    // Some converters keep state until flushed.
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    std::size_t units = (sizeof buf - dstLeft) / 2;
    if (units == 0 || units > outUnits) return -2;
    for (std::size_t i = 0; i < units; ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(buf[2 * i]) |
                                       static_cast<unsigned char>(buf[2 * i + 1]) << 8);
    return static_cast<int>(units);
}

struct Entry {
    CodePageDecoder page;
    // Kept open for the pairs of double-byte pages only.
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    Entry() = default;
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    ~Entry() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
};

std::unique_ptr<Entry> Build(int codePage) {
    auto e = std::make_unique<Entry>();
    e->page.codePage = codePage;
    for (unsigned b = 0; b < 256; ++b)
        e->page.units[b] = static_cast<char16_t>(b);
    if (codePage == 1251) {
        for (unsigned b = 0; b < 256; ++b)
            e->page.units[b] = Cp1251ToUnicode(static_cast<std::uint8_t>(b));
        return e;
    }
    e->cd = OpenIconv(codePage);
    if (e->cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    for (unsigned b = 0x80; b < 256; ++b) {
        char in = static_cast<char>(b);
        char16_t u[2];
        int n = Convert(e->cd, &in, 1, u, 2);
        if (n == 1) {
            e->page.units[b] = u[0];
        } else if (n == -1) {
            e->page.lead[b] = true;
            e->page.doubleByte = true;
        }
    }
    if (!e->page.doubleByte) {
        iconv_close(e->cd);
        e->cd = reinterpret_cast<iconv_t>(-1);
    }
    return e;
}

std::mutex gMutex;
// Only the pages iconv knows are kept, and they are a fixed few hundred at most: a file that
// names a new number in every \ansicpg cannot make the cache grow. Entries stay for the
// life of the process, since readers hold on to them.
std::map<int, std::unique_ptr<Entry>>& Cache() {
    static std::map<int, std::unique_ptr<Entry>> cache;
    return cache;
}

// The last unknown pages asked for, so that a file repeating one is not a trip to iconv
// each time.
struct UnknownPages {
    std::array<int, 16> pages{};
    std::size_t next = 0;
    bool contains(int codePage) const {
        for (int p : pages)
            if (p == codePage) return true;
        return false;
    }
    void add(int codePage) {
        pages[next] = codePage;
        next = (next + 1) % pages.size();
    }
};

const Entry& LookupLocked(int codePage) {
    static UnknownPages unknown;
    auto& cache = Cache();
    auto it = cache.find(codePage);
    if (it != cache.end()) return *it->second;
    if (codePage != 1252 && unknown.contains(codePage)) return LookupLocked(1252);
    auto built = Build(codePage);
    if (!built && codePage == 1252) {  // iconv without the page at all: Latin-1 is the closest
        built = std::make_unique<Entry>();
        for (unsigned b = 0; b < 256; ++b)
            built->page.units[b] = static_cast<char16_t>(b);
    }
    if (!built) {
        unknown.add(codePage);
        return LookupLocked(1252);
    }
    return *cache.emplace(codePage, std::move(built)).first->second;
}

const Entry& Lookup(int codePage) {
    std::lock_guard lock(gMutex);
    return LookupLocked(codePage);
}

// The code page of each \fcharset value that names one.
struct CharsetPage {
    int charset;
    int codePage;
};
constexpr CharsetPage kCharsetPages[] = {
    {0, 1252},    // ANSI
    {2, 1252},    // Symbol: the glyphs are the font's; keep the bytes readable
    {77, 10000},  // Mac Roman
    {128, 932},   // Shift JIS
    {129, 949},   // Hangul
    {130, 1361},  // Johab
    {134, 936},   // GB2312
    {136, 950},   // Big5
    {161, 1253},  // Greek
    {162, 1254},  // Turkish
    {163, 1258},  // Vietnamese
    {177, 1255},  // Hebrew
    {178, 1256},  // Arabic
    {186, 1257},  // Baltic
    {204, 1251},  // Cyrillic
    {222, 874},   // Thai
    {238, 1250},  // Eastern European
    {254, 437},   // PC 437
    {255, 850},   // OEM
};

}  // namespace

const CodePageDecoder& CodePageTable(int codePage) {
    return Lookup(codePage).page;
}

void DecodeDoubleByte(const CodePageDecoder& page, std::uint8_t lead, std::uint8_t trail,
                      std::u16string& out) {
    const Entry& e = Lookup(page.codePage);
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    char16_t u[2];
    int n = -2;
    if (e.cd != reinterpret_cast<iconv_t>(-1)) {
        std::lock_guard lock(gMutex);  // an iconv descriptor is not for two threads at once
        n = Convert(e.cd, in, 2, u, 2);
    }
    if (n <= 0) {
        out.push_back(u'\uFFFD');
        return;
    }
    out.append(u, static_cast<std::size_t>(n));
}

int CharsetCodePage(int charset, int ansiCodePage) {
    for (const CharsetPage& c : kCharsetPages)
        if (c.charset == charset) return c.codePage;
    return ansiCodePage;
}

}  // namespace vernalo
