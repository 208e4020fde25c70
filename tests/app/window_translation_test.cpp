// The window in Russian when the locale asks for it, and in its own English otherwise; in
// both, keys held with Alt, Ctrl or Meta type nothing.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdlib>
#include <functional>

#include "app/pages/settingspages.h"
#include "app/process/translation.h"
#include "app/window/statusbar.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"
#include "settings/colors.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

// One shown text: where it is, and what it says in each language.
struct Caption {
    const char* what;
    std::function<QString(MainWindow&)> read;
    const char* english;
    const char* russian;
};

ToolBarRow* Bars(MainWindow& w) {
    return w.findChild<ToolBarRow*>();
}

QString MenuTitle(MainWindow& w, int i) {
    return w.menuBar()->actions().value(i)->text();
}

QString PageFrame(MainWindow& w, const char* name, bool hint) {
    auto* frame = w.findChild<QWidget*>(QLatin1String(name));
    return frame ? (hint ? frame->toolTip() : frame->accessibleName()) : QStringLiteral("?");
}

QString Speaking(MainWindow& w, Language l) {
    auto* bar = w.findChild<StatusBar*>();
    bar->showSpeaking(l);
    return w.statusText(StatusPanel::Activity);
}

const Caption kCaptions[] = {
    {"File menu", [](MainWindow& w) { return MenuTitle(w, 0); }, "&File", "&Файл"},
    {"Edit menu", [](MainWindow& w) { return MenuTitle(w, 1); }, "&Edit", "&Правка"},
    {"Reading menu", [](MainWindow& w) { return MenuTitle(w, 2); }, "&Reading", "&Чтение"},
    {"View menu", [](MainWindow& w) { return MenuTitle(w, 3); }, "&View", "&Вид"},
    {"Help menu", [](MainWindow& w) { return MenuTitle(w, 4); }, "&Help", "&Справка"},
    {"Open item", [](MainWindow& w) { return Bars(w)->action(Command::Open)->text(); }, "&Open…",
     "&Открыть…"},
    {"Say button's name",
     [](MainWindow& w) { return Bars(w)->button(Command::Say)->accessibleName(); },
     "Say text/Pause", "Произнести текст/Пауза"},
    {"Say button's hint with its key",
     [](MainWindow& w) { return Bars(w)->action(Command::Say)->toolTip(); }, "Say text/Pause (F5)",
     "Произнести текст/Пауза (F5)"},
    {"HTML button's hint",
     [](MainWindow& w) { return Bars(w)->action(Command::HtmlToText)->toolTip(); },
     "Transform  HTML to text", "Преобразовать HTML в текст"},
    {"speech page caption", [](MainWindow& w) { return PageFrame(w, "speechSettingsPage", false); },
     "Speech", "Речь"},
    {"speech page hint", [](MainWindow& w) { return PageFrame(w, "speechSettingsPage", true); },
     "Settings for SpeechEngines", "Настройки синтезаторов речи"},
    {"font page caption", [](MainWindow& w) { return PageFrame(w, "fontSettingsPage", false); },
     "Font", "Шрифт"},
    {"sentence mode box",
     [](MainWindow& w) {
         auto* box = w.findChild<QWidget*>(QStringLiteral("sentenceModeBox"));
         return box ? box->accessibleName() : QStringLiteral("?");
     },
     "Repeaing a sentences", "Повтор предложений"},
    {"column panel", [](MainWindow& w) { return w.statusText(StatusPanel::Column); }, "Column: 0",
     "Столбец: 0"},
    {"line panel", [](MainWindow& w) { return w.statusText(StatusPanel::Line); }, "String: 0",
     "Строка: 0"},
    {"line count panel", [](MainWindow& w) { return w.statusText(StatusPanel::LineCount); },
     "Strings: 0", "Строк: 0"},
    {"loading", [](MainWindow& w) { return w.statusText(StatusPanel::Activity); },
     "Loading data ...", "Загрузка данных..."},
    {"ready",
     [](MainWindow& w) {
         const bool done = test::WaitFor(
             [&] { return !w.statusText(StatusPanel::Activity).contains(u'.'); }, 60000);
         if (!done) return QStringLiteral("(still loading)");
         return w.statusText(StatusPanel::Activity);
     },
     " Ready ", " Готово "},
    {"Russian speaking", [](MainWindow& w) { return Speaking(w, Language::Russian); },
     " - Russian - ", " - Русский - "},
    {"English speaking", [](MainWindow& w) { return Speaking(w, Language::English); },
     " - English - ", " - Английский - "},
};

// The window made under each language: English with no translation, Russian with it.
class WindowLanguage : public testing::TestWithParam<bool>, protected test::WindowRig {
protected:
    void SetUp() override {
        russian = GetParam();
        if (russian) {
            ASSERT_TRUE(InstallTranslations(QLocale(QLocale::Russian, QLocale::Russia)));
        } else {
            EXPECT_FALSE(InstallTranslations(QLocale(QLocale::English, QLocale::UnitedStates)));
        }
        modes = {{u"Russian voice", u"Nicolai", u"DIGALO"},
                 {u"English voice", u"Carol", u"DIGALO"}};
        MainWindow::Options o = options();
        o.dictionaryDir = QString::fromStdString(path("none"));
        startWindow(std::move(o));
    }
    void TearDown() override {
        window.reset();
        RemoveTranslations();
    }
    bool russian = false;
};

TEST_P(WindowLanguage, showsEachCaptionInItsLanguage) {
    // In table order: "loading" is read before the loaders finish, "ready" waits for them.
    for (const Caption& c : kCaptions)
        EXPECT_EQ(c.read(*window), QString::fromUtf8(russian ? c.russian : c.english)) << c.what;
}

TEST_P(WindowLanguage, theWindowTitleStaysTheProgramsName) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vernalo 2.1"));
}

// What a text field shows, whichever kind it is.
QString Typed(QWidget* field) {
    if (auto* edit = qobject_cast<QTextEdit*>(field)) return edit->toPlainText();
    if (auto* box = qobject_cast<QComboBox*>(field)) return box->currentText();
    return qobject_cast<QLineEdit*>(field)->text();
}

// Alt+F opens File only where the menus are English; Alt, Ctrl or Meta with a letter types
// into no text field in either window, while a plain key and an AltGr composition do.
TEST_P(WindowLanguage, keysWithAltCtrlOrMetaTypeNothing) {
    // Shown and active, as the menus' keys need.
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QWidget* fields[] = {window->editor(),
                         window->findChild<QComboBox*>(QStringLiteral("addressBox")),
                         window->findChild<QComboBox*>(QStringLiteral("russianVoiceBox"))};
    for (QWidget* field : fields) {
        ASSERT_NE(field, nullptr);
        if (auto* box = qobject_cast<QComboBox*>(field)) box->setEditText(QString());
        const QString before = Typed(field);
        QTest::keyClick(field, Qt::Key_X, Qt::AltModifier);
        QTest::keyClick(field, Qt::Key_K, Qt::AltModifier | Qt::ShiftModifier);
        QTest::keyClick(field, Qt::Key_J, Qt::MetaModifier);
        QTest::keyClick(field, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(field, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::sendKeyEvent(QTest::Click, field, static_cast<Qt::Key>(u'Ф'), QStringLiteral("ф"),
                            Qt::AltModifier);
        if (russian) QTest::keyClick(field, Qt::Key_F, Qt::AltModifier);
        EXPECT_EQ(Typed(field), before) << field->objectName().toStdString();
        QTest::keyClick(field, Qt::Key_A);
        // AltGr on X11: the composed character, with the group switch and no Alt.
        QTest::sendKeyEvent(QTest::Click, field, static_cast<Qt::Key>(u'€'), QStringLiteral("€"),
                            Qt::GroupSwitchModifier);
        EXPECT_EQ(Typed(field), before + QStringLiteral("a€")) << field->objectName().toStdString();
    }
    if (russian) return;
    QTest::keyClick(window->editor(), Qt::Key_F, Qt::AltModifier);
    QWidget* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu, window->menuBar()->actions().value(0)->menu());
    menu->close();
    EXPECT_EQ(Typed(window->editor()), QStringLiteral("a€"));
}

INSTANTIATE_TEST_SUITE_P(Window, WindowLanguage, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& p) {
                             return p.param ? "Russian" : "English";
                         });

// ---- Every text the Russian window can show is Russian -------------------------------------
// A text that reaches the window past lupdate (built at run time, or through a helper lupdate
// does not know) has no translation and shows in English: these walk every dialog and page.

// Names that stay as they are in Russian, and what is no caption at all: paths, file
// patterns, keys, addresses.
const QRegularExpression kNotCaptions(QStringLiteral(
    R"(Vernalo|RTF|MP3|M4B|WAV|FLAC|Ogg|Opus|Vorbis|SRT|WebVTT|LRC|EPUB|PDF|HTML|DOC|DOS|WIN|TXT|)"
    R"(Dos2Win|eSpeak NG|)"
    R"(GNU General Public License|GPL-3\.0-or-later|L?GPL|GNU|Qt|speech-dispatcher|)"
    R"(Nicolai|Carol|DIGALO|GNOME|KDE Plasma|Xfce|Cinnamon|--[\w-]+|\b(RU|EN|OK)\b|((Ctrl|Shift|Alt|Meta)\+)+\S+|\bF\d+\b|)"
    R"(\*(\.[\w.]+)?|(^|\s)/\S*|\w+://\S*|about:blank)"));

// The colour box's hint is the colour's name in the settings file.
bool IsStoredColorName(const QString& text) {
    for (std::size_t i = 0; i < ColorNameCount(); ++i)
        if (text == QString::fromStdU16String(std::u16string(ColorName(i)))) return true;
    return text.startsWith(u'$');
}

// A text still in English once the names are taken out, with where it was found.
void NoteIfEnglish(QStringList& found, const QObject* where, const char* what, QString text) {
    if (Qt::mightBeRichText(text)) text = QTextDocumentFragment::fromHtml(text).toPlainText();
    if (IsStoredColorName(text)) return;
    QString rest = text;
    rest.remove(kNotCaptions);
    static const QRegularExpression kLatin(QStringLiteral("[A-Za-z]"));
    if (rest.contains(kLatin)) {
        const QString name = where->objectName().isEmpty()
                                 ? QString::fromLatin1(where->metaObject()->className())
                                 : where->objectName();
        found << QStringLiteral("%1 %2: \"%3\"").arg(name, QLatin1String(what), text);
    }
}

// What a widget shows in words: captions, items, hints and the names a screen reader says.
void NoteWidget(QStringList& found, QWidget* w) {
    if (w->isWindow()) NoteIfEnglish(found, w, "title", w->windowTitle());
    NoteIfEnglish(found, w, "hint", w->toolTip());
    NoteIfEnglish(found, w, "name", w->accessibleName());
    if (auto* label = qobject_cast<QLabel*>(w)) NoteIfEnglish(found, w, "text", label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        NoteIfEnglish(found, w, "text", button->text());
    if (auto* group = qobject_cast<QGroupBox*>(w)) NoteIfEnglish(found, w, "title", group->title());
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        NoteIfEnglish(found, w, "placeholder", edit->placeholderText());
    if (auto* box = qobject_cast<QComboBox*>(w))
        for (int i = 0; i < box->count(); ++i)
            NoteIfEnglish(found, w, "item", box->itemText(i));
    if (auto* spin = qobject_cast<QSpinBox*>(w)) {
        NoteIfEnglish(found, w, "special value", spin->specialValueText());
        NoteIfEnglish(found, w, "prefix", spin->prefix());
        NoteIfEnglish(found, w, "suffix", spin->suffix());
    }
    if (auto* tabs = qobject_cast<QTabBar*>(w))
        for (int i = 0; i < tabs->count(); ++i)
            NoteIfEnglish(found, w, "tab", tabs->tabText(i));
    if (auto* header = qobject_cast<QHeaderView*>(w); header && header->model())
        for (int i = 0; i < header->count(); ++i)
            NoteIfEnglish(found, w, "column",
                          header->model()->headerData(i, header->orientation()).toString());
    // The shortcut list's commands (its keys are keys).
    if (auto* tree = qobject_cast<QTreeWidget*>(w))
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            NoteIfEnglish(found, w, "item", tree->topLevelItem(i)->text(0));
    for (QAction* a : w->actions()) {
        NoteIfEnglish(found, a, "text", a->text());
        NoteIfEnglish(found, a, "hint", a->toolTip());
    }
}

QStringList EnglishTexts(QWidget* root) {
    QStringList found;
    NoteWidget(found, root);
    for (QWidget* w : root->findChildren<QWidget*>())
        NoteWidget(found, w);
    return found;
}

// Runs `open`, which shows a modal dialog and waits on it; reads the dialog's texts once it is
// up and closes it. Fails when no dialog came.
QStringList EnglishTextsOfModal(const std::function<void()>& open) {
    QStringList found;
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || seen) return;
        seen = true;
        found = EnglishTexts(dialog);
        if (auto* d = qobject_cast<QDialog*>(dialog))
            d->reject();
        else
            dialog->close();
    });
    poll.start();
    open();
    poll.stop();
    if (!seen) found << QStringLiteral("(no dialog came)");
    return found;
}

class RussianWindow : public testing::Test, protected test::WindowRig {
protected:
    void SetUp() override {
        ASSERT_TRUE(InstallTranslations(QLocale(QLocale::Russian, QLocale::Russia)));
        startWindow();
    }
    void TearDown() override {
        window.reset();
        RemoveTranslations();
    }
    QAction* action(Command c) { return Bars(*window)->action(c); }
    QAction* helpItem(int i) {
        return window->menuBar()->actions().value(4)->menu()->actions().value(i);
    }
};

TEST_F(RussianWindow, everyPageAndMenuIsRussian) {
    for (SettingsPage page : {SettingsPage::Speech, SettingsPage::Options, SettingsPage::Font}) {
        window->showSettingsPage(page);
        EXPECT_EQ(EnglishTexts(window.get()), QStringList()) << static_cast<int>(page);
    }
}

TEST_F(RussianWindow, findDialogIsRussian) {
    action(Command::Find)->trigger();
    auto* find = window->findChild<QDialog*>(QStringLiteral("findDialog"));
    ASSERT_TRUE(find);
    EXPECT_EQ(EnglishTexts(find), QStringList());
    find->close();
}

TEST_F(RussianWindow, modalDialogsAreRussian) {
    const std::pair<const char*, std::function<void()>> dialogs[] = {
        {"Open", [&] { action(Command::Open)->trigger(); }},
        {"Save", [&] { action(Command::Save)->trigger(); }},
        {"Export audio", [&] { action(Command::Export)->trigger(); }},
        {"Font",
         [&] { window->findChild<QAbstractButton*>(QStringLiteral("chooseFontButton"))->click(); }},
        {"Keyboard shortcuts", [&] { helpItem(0)->trigger(); }},
        {"About", [&] { helpItem(1)->trigger(); }},
    };
    for (const auto& [name, open] : dialogs)
        EXPECT_EQ(EnglishTextsOfModal(open), QStringList()) << name;
}

// A locale without a translation of ours gets the English window, Qt's buttons included.
TEST(Translation, aLocaleWithoutOursInstallsNothing) {
    EXPECT_FALSE(InstallTranslations(QLocale(QLocale::German, QLocale::Germany)));
    EXPECT_EQ(QCoreApplication::translate("QDialogButtonBox", "Cancel"), QStringLiteral("Cancel"));
}

TEST(Translation, russianTranslatesQtsOwnButtonsToo) {
    ASSERT_TRUE(InstallTranslations(QLocale(QLocale::Russian, QLocale::Russia)));
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    RemoveTranslations();
    EXPECT_EQ(cancel, QStringLiteral("Отмена"));
    EXPECT_EQ(QCoreApplication::translate("vernalo::ToolBarRow", "Exit"), QStringLiteral("Exit"));
}

}  // namespace
}  // namespace vernalo
