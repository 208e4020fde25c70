#pragma once
// The X11 selection's text fetched over a connection of its own: a read command that hands
// its text to a running window needs nothing else of the display, and Qt's own start (its
// platform plug-in, input methods, GL) would be most of the command's time.

#include <QString>
#include <optional>

namespace vernalo {

enum class X11Selection { Primary, Clipboard };

// The text the selection's owner gives (UTF-8, else Latin-1), an empty text when it has no
// owner or no text, and nothing when there is no X display to ask (Wayland alone), or the
// owner did not answer in `timeoutMs`.
std::optional<QString> ReadX11Selection(X11Selection which, int timeoutMs = 3000);

}  // namespace vernalo
