#pragma once
// The notification-area icon's menu: read the clipboard or the selection, Say/Pause, "Read what
// I copy", bring the window back, exit. A reading started here keeps the window in the
// notification area.

#include <QMenu>
#include <functional>

namespace vernalo {

class TextFromOutside;
class ToolBarRow;

class TrayMenu : public QMenu {
    Q_OBJECT
public:
    TrayMenu(ToolBarRow& toolBars, TextFromOutside& outside, std::function<void()> show,
             std::function<void()> exit, QWidget* parent = nullptr);
};

}  // namespace vernalo
