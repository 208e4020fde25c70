// What a typed address becomes, the address list and the editor's text of a page with frames:
// every kind of address gives a URL the page can load, or none.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "browser/addressrules.h"
#include "fuzzcheck.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

bool IsUrlByte(char16_t c) {
    return c > 0x20 && c < 0x7F;
}

void CheckFileUrl(std::u16string_view url, std::u16string_view typed) {
    FUZZ_CHECK(url.starts_with(u"file:///"), fuzz::Show(typed) + " gave " + fuzz::Show(url));
    FUZZ_CHECK(std::all_of(url.begin(), url.end(), IsUrlByte),
               fuzz::Show(typed) + " gave " + fuzz::Show(url));
}

void CheckAddress(std::u16string_view typed, std::u16string_view home, std::u16string_view dir) {
    const Address a = ResolveAddress(typed, home, dir);
    auto show = [&] { return fuzz::Show(typed) + " gave " + fuzz::Show(a.url); };
    switch (a.kind) {
        case AddressKind::Empty:
        case AddressKind::Invalid:
            FUZZ_CHECK(a.url.empty(), show());
            break;
        case AddressKind::Url:
            FUZZ_CHECK(!a.url.empty() && typed.find(a.url) != typed.npos, show());
            break;
        case AddressKind::LocalPath:
            CheckFileUrl(a.url, typed);
            break;
        case AddressKind::HostName:
            FUZZ_CHECK(a.url.starts_with(u"http://") && a.url.size() > 7 &&
                           typed.find(std::u16string_view(a.url).substr(7)) != typed.npos,
                       show());
            break;
    }
}

}  // namespace
}  // namespace vernalo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::u16string text =
        DecodeBytes(std::string_view(reinterpret_cast<const char*>(data), size)).text;

    // Each line typed on its own, and the whole text as one address.
    std::vector<std::u16string> lines;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(u'\n', start);
        if (end == text.npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    CheckAddress(text, u"/home/anna", u"/srv/pages");
    for (const std::u16string& line : lines) {
        CheckAddress(line, u"/home/anna", u"/srv/pages");
        CheckAddress(line, {}, {});
        if (line.starts_with(u'/')) CheckFileUrl(FileUrl(line), line);
    }

    // The address list: added one by one, never longer than its limit, and a removal takes
    // every copy.
    std::vector<std::u16string> list;
    for (const std::u16string& line : lines) {
        AddUrl(list, line);
        FUZZ_CHECK(list.size() <= kMaxUrls && list.back() == line, fuzz::Show(line));
    }
    const std::size_t count = list.size();
    const std::u16string last = list.back();
    const std::size_t removed = RemoveUrl(list, last);
    FUZZ_CHECK(removed >= 1 && list.size() == count - removed &&
                   std::find(list.begin(), list.end(), last) == list.end(),
               fuzz::Show(last));

    // The page with its frames: the lines after the first are the frames, an empty one a
    // frame that could not be read. The editor counts a line break as one unit.
    std::vector<std::optional<std::u16string>> frames;
    for (std::size_t i = 1; i < lines.size(); ++i)
        frames.push_back(lines[i].empty() ? std::nullopt : std::optional(lines[i]));
    const std::u16string page = BrowserText(lines.front(), frames);
    FUZZ_CHECK(page.find(u'\r') == page.npos, fuzz::Show(page));
    FUZZ_CHECK(page.starts_with(BrowserText(lines.front(), {})), fuzz::Show(page));
    return 0;
}
