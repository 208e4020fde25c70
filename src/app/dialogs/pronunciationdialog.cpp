#include "app/dialogs/pronunciationdialog.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/dialogs/dictionarytab.h"
#include "app/dialogs/rulestab.h"
#include "app/window/languagebox.h"
#include "app/window/texteditor.h"

namespace vernalo {

namespace {

constexpr QChar kStressMark(0x0301);
constexpr int kShownWordLength = 24;

}  // namespace

QString PronunciationItemText(const std::optional<PronunciationController::Word>& word) {
    if (!word) return PronunciationDialog::tr("Pr&onunciation…");
    QString shown = word->key;
    if (shown.size() > kShownWordLength) shown = shown.left(kShownWordLength - 1) + u'…';
    shown.replace(u'&', QStringLiteral("&&"));
    return PronunciationDialog::tr("Pr&onunciation of \"%1\"…").arg(shown);
}

PronunciationDialog::PronunciationDialog(PronunciationController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setObjectName(QStringLiteral("pronunciationDialog"));
    setWindowTitle(tr("Pronunciation"));
    auto* column = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    column->addWidget(tabs_, 1);

    auto* entry = new QWidget(tabs_);
    auto* form = new QFormLayout(entry);
    word_ = new QLineEdit(entry);
    word_->setObjectName(QStringLiteral("wordEdit"));
    word_->setAccessibleName(tr("Word"));
    language_ = LanguageBox(entry);
    language_->setObjectName(QStringLiteral("wordLanguageBox"));
    current_ = new QLabel(entry);
    current_->setObjectName(QStringLiteral("currentEntry"));
    current_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    sayAs_ = new QLineEdit(entry);
    sayAs_->setObjectName(QStringLiteral("sayAsEdit"));
    sayAs_->setAccessibleName(tr("Say it as"));
    auto* stress = new QPushButton(tr("Stress &mark"), entry);
    stress->setObjectName(QStringLiteral("stressMarkButton"));
    stress->setToolTip(
        tr("Puts an acute accent after the letter before the cursor: the voice "
           "stresses that vowel."));
    auto* sayRow = new QHBoxLayout;
    sayRow->addWidget(sayAs_, 1);
    sayRow->addWidget(stress);
    form->addRow(tr("&Word:"), word_);
    form->addRow(tr("&Language:"), language_);
    form->addRow(tr("Current entry:"), current_);
    // A row holding a layout gets no buddy of its own: the label needs it for its key.
    auto* sayLabel = new QLabel(tr("&Say it as:"), entry);
    sayLabel->setBuddy(sayAs_);
    form->addRow(sayLabel, sayRow);
    auto* buttons = new QHBoxLayout;
    auto* test = new QPushButton(tr("&Test"), entry);
    test->setObjectName(QStringLiteral("testButton"));
    auto* save = new QPushButton(tr("Sa&ve"), entry);
    save->setObjectName(QStringLiteral("saveEntryButton"));
    auto* remove = new QPushButton(tr("&Remove"), entry);
    remove->setObjectName(QStringLiteral("removeWordButton"));
    buttons->addStretch(1);
    buttons->addWidget(test);
    buttons->addWidget(save);
    buttons->addWidget(remove);
    form->addRow(buttons);
    tabs_->addTab(entry, tr("Word"));

    list_ = new DictionaryTab(controller_, tabs_);
    tabs_->addTab(list_, tr("Dictionary"));
    rules_ = new RulesTab(controller_, tabs_);
    tabs_->addTab(rules_, tr("Rules"));

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("pronunciationMessage"));
    message_->setWordWrap(true);
    column->addWidget(message_);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(close);

    connect(word_, &QLineEdit::textChanged, this, &PronunciationDialog::showEntry);
    connect(language_, &QComboBox::currentIndexChanged, this, [this] {
        message_->setText(controller_.prepare(language()));
        showEntry();
    });
    connect(stress, &QPushButton::clicked, this, [this] {
        sayAs_->insert(QString(kStressMark));
        sayAs_->setFocus();
    });
    connect(test, &QPushButton::clicked, this,
            [this] { say(sayAs_->text().isEmpty() ? word_->text() : sayAs_->text()); });
    connect(save, &QPushButton::clicked, this, &PronunciationDialog::saveEntry);
    connect(remove, &QPushButton::clicked, this, &PronunciationDialog::removeEntry);
    connect(list_, &DictionaryTab::message, message_, &QLabel::setText);
    connect(list_, &DictionaryTab::editEntry, this, [this](Language l, const QString& key) {
        setLanguage(l);
        word_->setText(key);
        tabs_->setCurrentIndex(0);
        sayAs_->setFocus();
    });
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (tabs_->widget(index) == list_) {
            list_->setLanguage(language());
            list_->refresh();
        } else if (tabs_->widget(index) == rules_ && !rules_->modified()) {
            rules_->load(language());
        }
    });
    connect(&controller_, &PronunciationController::entriesChanged, this, [this](Language l) {
        if (l == language()) showEntry();
        if (list_->isVisible() && l == list_->language()) list_->refresh();
    });
    connect(&controller_, &PronunciationController::editableChanged, this, [this](Language l) {
        if (l != language()) return;
        message_->setText(controller_.notEditable(l));
        showEntry();
        if (list_->isVisible()) list_->refresh();
    });
    connect(
        &controller_, &PronunciationController::saved, this,
        [this](Language, const QString& path) { message_->setText(tr("Saved to %1").arg(path)); });
    connect(&controller_, &PronunciationController::saveFailed, message_,
            [this](Language, const QString& text) { message_->setText(text); });
    resize(520, 420);
}

Language PronunciationDialog::language() const {
    return BoxLanguage(*language_);
}

void PronunciationDialog::setLanguage(Language language) {
    SetBoxLanguage(*language_, language);
}

void PronunciationDialog::showWord(const std::optional<PronunciationController::Word>& word) {
    tabs_->setCurrentIndex(0);
    if (word) {
        setLanguage(word->language);
        word_->setText(word->key);
    } else {
        word_->clear();
    }
    message_->setText(controller_.prepare(language()));
    showEntry();
    sayAs_->setText(current_->property("value").toString());
    show();
    raise();
    activateWindow();
    sayAs_->setFocus();
}

void PronunciationDialog::showEntry() {
    const QString value = controller_.entry(language(), word_->text());
    current_->setProperty("value", value);
    current_->setText(value.isEmpty() ? tr("(none: the voice reads the word as written)") : value);
}

void PronunciationDialog::saveEntry() {
    const QString why = controller_.setEntry(language(), word_->text(), sayAs_->text());
    message_->setText(why.isEmpty() ? tr("Saving…") : why);
}

void PronunciationDialog::removeEntry() {
    const QString why = controller_.removeEntry(language(), word_->text());
    message_->setText(why.isEmpty() ? tr("Saving…") : why);
    if (why.isEmpty()) sayAs_->clear();
}

void PronunciationDialog::say(const QString& text) {
    controller_.speak(language(), text);
}

void InstallPronunciationEditor(QMenu* editMenu, TextEditor* editor,
                                PronunciationController& controller, QWidget* window) {
    auto dialog = std::make_shared<QPointer<PronunciationDialog>>();
    const auto open = [dialog, &controller, window] {
        if (!*dialog) *dialog = new PronunciationDialog(controller, window);
        (*dialog)->showWord(controller.wordAtCaret());
    };
    editMenu->addSeparator();
    QAction* item = editMenu->addAction(PronunciationItemText(std::nullopt));
    item->setObjectName(QStringLiteral("pronunciationAction"));
    QObject::connect(item, &QAction::triggered, editMenu, open);
    QObject::connect(editMenu, &QMenu::aboutToShow, item, [item, &controller] {
        item->setText(PronunciationItemText(controller.wordAtCaret()));
    });
    QObject::connect(
        editor, &TextEditor::contextMenuOpening, editor, [open, &controller](QMenu* menu) {
            menu->addSeparator();
            QAction* a = menu->addAction(PronunciationItemText(controller.wordAtCaret()));
            QObject::connect(a, &QAction::triggered, menu, open);
        });
}

}  // namespace vernalo
