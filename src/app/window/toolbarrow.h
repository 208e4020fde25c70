#pragma once
// The row of tool bars at the top of the window: the text commands and reading on the left,
// the settings page buttons, and Exit at the far right. Each button shows a QAction that the
// menus share, so a button, its menu item and its shortcut are one command.

#include <QWidget>
#include <array>

class QAction;
class QKeySequence;
class QToolButton;

namespace vernalo {

enum class Command {
    Clear,
    Save,
    Export,
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
    QAction* action(Command command) const { return actions_[static_cast<std::size_t>(command)]; }
    // The command's shortcut, shown after its hint in the tool-tip.
    void setShortcut(Command command, const QKeySequence& keys);
    // Say shows a pause sign beside its loudspeaker while the reading runs.
    void showReading(bool reading);

signals:
    void clicked(Command command);

private:
    std::array<QToolButton*, kCommandCount> buttons_{};
    std::array<QAction*, kCommandCount> actions_{};
};

}  // namespace vernalo
