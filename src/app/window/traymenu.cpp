#include "app/window/traymenu.h"

#include "app/controllers/textfromoutside.h"
#include "app/window/toolbarrow.h"

namespace vernalo {

TrayMenu::TrayMenu(ToolBarRow& toolBars, TextFromOutside& outside, std::function<void()> show,
                   std::function<void()> exit, QWidget* parent)
    : QMenu(parent) {
    setObjectName(QStringLiteral("trayMenu"));
    addAction(tr("Read &clipboard"), &outside, [&outside] { outside.readClipboard(); });
    addAction(tr("Read &selection"), &outside, [&outside] { outside.readSelection(); });
    addAction(toolBars.action(Command::Say));
    addAction(outside.readCopiedAction());
    addSeparator();
    addAction(tr("S&how"), this, std::move(show));
    addAction(tr("E&xit"), this, std::move(exit));
}

}  // namespace vernalo
