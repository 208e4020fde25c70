#include "app/window/toolbarrow.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QToolBar>
#include <QToolButton>

#include "app/window/icons.h"
#include "app/window/oddtexts.h"

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
    {Command::Clear, "clearButton", QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Clear"), "edit-clear",
     "clear", false, false},
    {Command::Save, "saveButton", kSaveCaption, "document-save", "save", false, false},
    {Command::Export, "exportButton", QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Export audio"),
     "document-export", "export", false, true},
    {Command::Open, "openButton", QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Load text for reading"),
     "document-open", "open", false, false},
    {Command::Paste, "pasteButton",
     QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Paste text from clipboard"), "edit-paste", "paste",
     false, false},
    {Command::HtmlToText, "htmlToTextButton", kHtmlToTextCaption, "text-html", "html2text", false,
     true},
    {Command::Find, "findButton", QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Find in text"),
     "edit-find", "find", false, true},
    // Say has its own two images; the desktop theme has none that says "pause reading".
    {Command::Say, "sayButton", QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Say text/Pause"), "",
     "say", true, false},
    {Command::RepeatText, "repeatButton", QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Repeat text"),
     "media-playlist-repeat", "repeat", true, true},
};
const ButtonDef kPagesBar[] = {
    {Command::SpeechPage, "speechPageButton",
     QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Speech settings"), "audio-speakers",
     "speech-settings", true, false},
    {Command::OptionsPage, "optionsPageButton", QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Options"),
     "preferences-system", "options", true, false},
    {Command::FontPage, "fontPageButton", QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Font settings"),
     "preferences-desktop-font", "font", true, false},
};
const ButtonDef kExitBar[] = {
    {Command::Exit, "exitButton", QT_TRANSLATE_NOOP("vernalo::ToolBarRow", "Exit"),
     "application-exit", "exit", false, false},
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
            const QString hint = tr(d.hint);
            auto* a = new QAction(ThemeIcon(d.theme, d.icon), hint.trimmed(), this);
            a->setObjectName(QString::fromLatin1(d.objectName)
                                 .replace(QLatin1String("Button"), QLatin1String("Action")));
            a->setToolTip(hint);
            a->setCheckable(d.checkable);
            auto* b = new QToolButton(bar);
            b->setObjectName(QLatin1String(d.objectName));
            b->setDefaultAction(a);
            b->setAccessibleName(hint.trimmed());
            b->setIconSize(QSize(24, 24));
            b->setAutoRaise(true);
            b->setFocusPolicy(Qt::StrongFocus);
            bar->addWidget(b);
            if (d.separatorAfter) bar->addSeparator();
            const Command command = d.command;
            // Triggered by the button, its menu item or its shortcut alike; a shortcut leaves
            // the keyboard focus where it is.
            connect(a, &QAction::triggered, this, [this, command] { emit clicked(command); });
            buttons_[static_cast<std::size_t>(command)] = b;
            actions_[static_cast<std::size_t>(command)] = a;
        }
        row->addWidget(bar, stretch);
    };
    addBar("editToolBar", kEditBar, false, 0);
    addBar("pagesToolBar", kPagesBar, true, 1);
    addBar("exitToolBar", kExitBar, false, 0);
    setShortcut(Command::Say, QKeySequence(Qt::Key_F5));
    action(Command::SpeechPage)->setChecked(true);
}

void ToolBarRow::setShortcut(Command command, const QKeySequence& keys) {
    QAction* a = action(command);
    a->setShortcut(keys);
    const QString hint = a->toolTip();
    const qsizetype cut = hint.lastIndexOf(QLatin1String(" ("));
    const QString bare = cut > 0 && hint.endsWith(u')') ? hint.left(cut) : hint;
    a->setToolTip(keys.isEmpty() ? bare
                                 : bare.trimmed() + QStringLiteral(" (") +
                                       keys.toString(QKeySequence::NativeText) + u')');
}

void ToolBarRow::showReading(bool reading) {
    action(Command::Say)->setIcon(ThemeIcon("", reading ? "say-pause" : "say"));
}

}  // namespace vernalo
