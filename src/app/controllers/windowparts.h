#pragma once
// What the window's controllers work on: its widgets, and where its messages go. The window
// makes the widgets; the controllers hold the state and the work behind them.

#include <QString>
#include <functional>

class QWidget;

namespace vernalo {

class BrowserPage;
class DocumentPages;
class SettingsPages;
class StatusBar;
class TextEditor;
class ToolBarRow;

// A message box over the window; every text also goes to `onMessage` (tests read them, and
// run with the boxes off so that nothing waits for a click).
class Messages {
public:
    Messages(QWidget* parent, bool showBoxes, std::function<void(const QString&)> onMessage)
        : parent_(parent), showBoxes_(showBoxes), onMessage_(std::move(onMessage)) {}

    void show(const QString& text) const;

private:
    QWidget* parent_;
    bool showBoxes_;
    std::function<void(const QString&)> onMessage_;
};

struct WindowParts {
    QWidget* window;
    ToolBarRow& toolBars;
    SettingsPages& settings;
    DocumentPages& documents;
    StatusBar& status;
    const Messages& messages;

    TextEditor* editor() const;
    BrowserPage* browser() const;
};

}  // namespace vernalo
