#include "app/window/readingview.h"

#include <QAction>
#include <QScrollBar>
#include <QToolButton>

#include "app/pages/optionspage.h"
#include "app/pages/settingspages.h"
#include "app/pages/speechpage.h"
#include "app/window/documentpages.h"
#include "app/window/statusbar.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"

namespace vernalo {

ReadingView::ReadingView(ToolBarRow& toolBars, SettingsPages& settings, DocumentPages& documents,
                         StatusBar& status)
    : toolBars_(toolBars), settings_(settings), documents_(documents), status_(status) {}

std::u16string ReadingView::text() const {
    return documents_.editor()->readingText();
}

long ReadingView::selectionStart() const {
    return documents_.editor()->selectionStart();
}

ReadingOptions ReadingView::options() const {
    ReadingOptions o;
    const OptionsPage* page = settings_.options();
    o.sentenceMode = page->sentenceMode();
    o.repeatText = toolBars_.action(Command::RepeatText)->isChecked();
    for (Language l : kLanguages) {
        o.repeats[l] = page->repeats(l);
        o.voiceOn[l] = settings_.speech()->voiceOn(l);
    }
    o.markWord = page->markWord();
    o.pauseAfter = page->pauseAfter();
    return o;
}

bool ReadingView::readingRequested() const {
    return toolBars_.action(Command::Say)->isChecked();
}

bool ReadingView::browserPageShown() const {
    return documents_.current() == DocumentPage::Browser;
}

void ReadingView::importBrowserPage() {
    if (onImportBrowserPage) onImportBrowserPage();
}

void ReadingView::readingStarted() {
    toolBars_.showReading(true);
    documents_.editor()->setReadOnly(true);
    if (onReadingStarted) onReadingStarted();
}

void ReadingView::showPiece(long start, long length) {
    // Where the view goes is the reading follower's call: selecting alone would scroll it a
    // line for every piece that crosses the bottom.
    TextEditor* editor = documents_.editor();
    QScrollBar* bar = editor->verticalScrollBar();
    const int kept = bar->value();
    editor->select(start, length);
    bar->setValue(kept);
    if (onPieceShown) onPieceShown(start, length);
}

void ReadingView::markWord(std::optional<TextSpan> word) {
    if (word)
        documents_.editor()->markWord(word->start, word->length);
    else
        documents_.editor()->markWord(0, 0);
}

void ReadingView::placeCaret(long position) {
    documents_.editor()->select(position, 0);
}

void ReadingView::speakingIn(std::optional<Language> language) {
    status_.showSpeaking(language);
}

void ReadingView::caretMoved() {
    status_.showCaret(documents_.editor()->caretColumn(), documents_.editor()->caretLine());
}

void ReadingView::readingStopped(ReadingStop why) {
    documents_.editor()->setReadOnly(false);
    toolBars_.showReading(false);
    if (why != ReadingStop::Paused) toolBars_.action(Command::Say)->setChecked(false);
    if (onReadingStopped) onReadingStopped(why);
}

}  // namespace vernalo
