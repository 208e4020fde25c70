#pragma once
// Texts that look like slips but are kept on purpose: users know them as they are, their
// translations match them, and tests find controls and messages by them. Do not "fix" them;
// each keeps the translation context of the class that shows it.

#include <QtGlobal>

namespace vernalo {

// The HTML-to-text button's caption, two blanks and all (the menu item has one).
inline const char kHtmlToTextCaption[] =
    QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Transform  HTML to text");
// The Save button's caption ends in a blank.
inline const char kSaveCaption[] = QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Save text ");
// The activity panel once every dictionary is in, with a blank either side.
inline const char kReady[] = QT_TRANSLATE_NOOP("vernalo::ReadingController", " Ready ");
// The first line of the start-up problems message.
inline const char kStartupProblem[] =
    QT_TRANSLATE_NOOP("vernalo::WindowPersistence", "You have very very big problems! :)");
// Begins the message about a file the close could not write; its path follows.
inline const char kCloseProblem[] = QT_TRANSLATE_NOOP(
    "vernalo::WindowPersistence", "With searching comes loss And the presence of absence: ");

}  // namespace vernalo
