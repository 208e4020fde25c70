#include "app/toolbarrow.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QToolBar>
#include <QToolButton>

#include "app/icons.h"

namespace vernalo {

namespace {

struct ButtonDef {
    Command command;
    const char* objectName;
    const char* hint;
    const char* theme;  // the desktop's icon name; ours is the fallback
    const char* icon;
    bool checkable;
    bool separatorAfter;
};

// The three bars, left to right, with their buttons in order.
const ButtonDef kEditBar[] = {
    {Command::Clear, "clearButton", "Clear", "edit-clear", "clear", false, false},
    {Command::Save, "saveButton", "Save text ", "document-save", "save", false, true},
    {Command::Open, "openButton", "Load text for reading", "document-open", "open", false, false},
    {Command::Paste, "pasteButton", "Paste text from clipboard", "edit-paste", "paste", false,
     false},
    {Command::HtmlToText, "htmlToTextButton", "Transform  HTML to text", "text-html", "html2text",
     false, true},
    {Command::Find, "findButton", "Find in text", "edit-find", "find", false, true},
    // Say has its own two images; the desktop theme has none that says "pause reading".
    {Command::Say, "sayButton", "Say text/Pause", "", "say", true, false},
    {Command::RepeatText, "repeatButton", "Repeat text", "media-playlist-repeat", "repeat", true,
     true},
};
const ButtonDef kPagesBar[] = {
    {Command::SpeechPage, "speechPageButton", "Speech settings", "audio-speakers",
     "speech-settings", true, false},
    {Command::OptionsPage, "optionsPageButton", "Options", "preferences-system", "options", true,
     false},
    {Command::FontPage, "fontPageButton", "Font settings", "preferences-desktop-font", "font", true,
     false},
};
const ButtonDef kExitBar[] = {
    {Command::Exit, "exitButton", "Exit", "application-exit", "exit", false, false},
};

}  // namespace

ToolBarRow::ToolBarRow(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto addBar = [&](const char* name, auto& defs, bool leadingSeparator, int stretch) {
        auto* bar = new QToolBar(this);
        bar->setObjectName(QLatin1String(name));
        bar->setMovable(false);
        if (leadingSeparator) bar->addSeparator();
        for (const ButtonDef& d : defs) {
            auto* b = new QToolButton(bar);
            const QString hint = QLatin1String(d.hint);
            b->setObjectName(QLatin1String(d.objectName));
            b->setToolTip(hint);
            b->setAccessibleName(hint.trimmed());
            b->setIcon(ThemeIcon(d.theme, d.icon));
            b->setIconSize(QSize(24, 24));
            b->setAutoRaise(true);
            b->setFocusPolicy(Qt::StrongFocus);
            b->setCheckable(d.checkable);
            bar->addWidget(b);
            if (d.separatorAfter) bar->addSeparator();
            const Command command = d.command;
            connect(b, &QToolButton::clicked, this, [this, command] { emit clicked(command); });
            buttons_[static_cast<std::size_t>(command)] = b;
        }
        row->addWidget(bar, stretch);
    };
    addBar("editToolBar", kEditBar, false, 0);
    addBar("pagesToolBar", kPagesBar, true, 1);
    addBar("exitToolBar", kExitBar, false, 0);
    button(Command::Say)->setShortcut(QKeySequence(Qt::Key_F5));
    button(Command::SpeechPage)->setChecked(true);
}

void ToolBarRow::showReading(bool reading) {
    button(Command::Say)->setIcon(ThemeIcon("", reading ? "say-pause" : "say"));
}

}  // namespace vernalo
