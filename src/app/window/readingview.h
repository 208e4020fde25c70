#pragma once
// The window as the reading session sees it: the editor's text and selection, the options
// set on the pages and the tool bar, and where the session's events show.

#include <functional>

#include "reading/readingsession.h"

namespace vernalo {

class DocumentPages;
class SettingsPages;
class StatusBar;
class ToolBarRow;

class ReadingView : public SessionView {
public:
    ReadingView(ToolBarRow& toolBars, SettingsPages& settings, DocumentPages& documents,
                StatusBar& status);

    // Takes the browser page into the editor as formatted text.
    std::function<void()> onImportBrowserPage;
    // A piece is highlighted; the reading started or stopped (for the desktop's media
    // controls).
    std::function<void(long start, long length)> onPieceShown;
    std::function<void()> onReadingStarted;
    std::function<void(ReadingStop why)> onReadingStopped;

    std::u16string text() const override;
    long selectionStart() const override;
    ReadingOptions options() const override;
    bool readingRequested() const override;
    bool browserPageShown() const override;
    void importBrowserPage() override;
    void readingStarted() override;
    void showPiece(long start, long length) override;
    void markWord(std::optional<TextSpan> word) override;
    void placeCaret(long position) override;
    void speakingIn(std::optional<Language> language) override;
    void caretMoved() override;
    void readingStopped(ReadingStop why) override;

private:
    ToolBarRow& toolBars_;
    SettingsPages& settings_;
    DocumentPages& documents_;
    StatusBar& status_;
};

}  // namespace vernalo
