#pragma once
// The row of tool bars at the top of the window: the text commands and reading on the left,
// the settings page buttons, and Exit at the far right.

#include <QWidget>
#include <array>

class QToolButton;

namespace vernalo {

enum class Command {
    Clear,
    Save,
    Open,
    Paste,
    HtmlToText,
    Find,
    Say,
    RepeatText,
    SpeechPage,
    OptionsPage,
    FontPage,
    Exit,
};
inline constexpr int kCommandCount = static_cast<int>(Command::Exit) + 1;

class ToolBarRow : public QWidget {
    Q_OBJECT
public:
    explicit ToolBarRow(QWidget* parent = nullptr);

    QToolButton* button(Command command) const {
        return buttons_[static_cast<std::size_t>(command)];
    }
    // Say shows a pause sign beside its loudspeaker while the reading runs.
    void showReading(bool reading);

signals:
    void clicked(Command command);

private:
    std::array<QToolButton*, kCommandCount> buttons_{};
};

}  // namespace vernalo
