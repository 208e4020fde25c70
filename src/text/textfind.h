#pragma once
// Find in the editor's text, continuing from the current selection, with the find
// dialog's own settings.

#include <cstddef>
#include <optional>
#include <string_view>

namespace vernalo {

struct FindOptions {
    // The dialog opens with "Down" and "Match case" on and "Whole word" off.
    bool down = true;
    bool matchCase = true;
    bool wholeWord = false;
};

// Where `what` next occurs in `text`, or nothing. Positions are editor positions (UTF-16
// units, a line break counts as one).
// Down: after the selection (from its end) when there is one, else from the top, wherever
// the caret stands. Up: the last match that ends at or before the selection's start, or
// the last match of the whole text when nothing is selected.
// A match is `what.size()` units long. An empty `what` finds nothing.
std::optional<std::size_t> FindInText(std::u16string_view text, std::u16string_view what,
                                      std::size_t selectionStart, std::size_t selectionLength,
                                      const FindOptions& options = {});

// Case folding used when "Match case" is off: Latin (ASCII, Latin-1, Latin Extended-A),
// Greek and Cyrillic letters to lower case, one unit for one unit.
char16_t FoldCase(char16_t unit);
// Letters, digits and "_": what "Whole word" does not let a match touch.
bool IsWordUnit(char16_t unit);

}  // namespace vernalo
