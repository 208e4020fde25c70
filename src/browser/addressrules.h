#pragma once
// The browser page's plain rules: what a typed address becomes, the address list, and how
// a page and its frames are put together for the editor.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vernalo {

// The address list never grows past this through an add.
inline constexpr std::size_t kMaxUrls = 11;

// Drops the first entry when the list already holds kMaxUrls or more, then appends `text`
// unchanged: an empty text and one already listed are added too.
void AddUrl(std::vector<std::u16string>& list, std::u16string_view text);

// Removes every entry equal to `text` (exact, case-sensitive); returns how many went.
std::size_t RemoveUrl(std::vector<std::u16string>& list, std::u16string_view text);

enum class AddressKind {
    Empty,      // nothing typed: nowhere to go
    Url,        // a URL with a scheme the browser page opens (http, https, file, about)
    LocalPath,  // an absolute or home-relative path, made a file URL
    HostName,   // a bare host name, possibly with port and path, made an http URL
    Invalid,    // not an address the page opens (another scheme, blanks in a host name...)
};

struct Address {
    AddressKind kind = AddressKind::Empty;
    std::u16string url;  // what to load; empty for Empty and Invalid
};

// What a typed address becomes. Blanks around it are ignored. `home` expands a leading "~";
// `workingDir` resolves "./" and "../" paths (left unresolved when empty: Invalid).
Address ResolveAddress(std::u16string_view typed, std::u16string_view home = {},
                       std::u16string_view workingDir = {});

// "file://" and the absolute path in UTF-8, percent-encoded where a URL needs it.
std::u16string FileUrl(std::u16string_view absolutePath);

// The line put before a frame's source in the editor: a line feed, then
// "- - - Frame k - - -".
std::u16string FrameMarker(int k);

// What the editor receives: the page's source, then for a frameset of two or more frames
// each frame's source after its marker line, numbered by the frame's place from 1. A frame
// that could not be read (nullopt) is skipped, its number with it. Line breaks become
// single line feeds, as the editor counts them.
std::u16string BrowserText(std::u16string_view page,
                           const std::vector<std::optional<std::u16string>>& frames);

}  // namespace vernalo
