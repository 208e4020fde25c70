#include "app/dialogs/rulestab.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

#include "app/controllers/pronunciationcontroller.h"
#include "app/window/languagebox.h"
#include "dict/rules.h"
#include "text/textcodec.h"

namespace vernalo {

RulesTab::RulesTab(PronunciationController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
    auto* column = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    languageBox_ = LanguageBox(this);
    languageBox_->setObjectName(QStringLiteral("rulesLanguageBox"));
    auto* hint = new QLabel(tr("Each pattern is a regular expression; what it matches is read "
                               "as the replacement."),
                            this);
    hint->setWordWrap(true);
    top->addWidget(languageBox_);
    top->addWidget(hint, 1);
    column->addLayout(top);

    table_ = new QTableWidget(0, 2, this);
    table_->setObjectName(QStringLiteral("rulesTable"));
    table_->setAccessibleName(tr("Rules"));
    table_->setHorizontalHeaderLabels({tr("Pattern"), tr("Replacement")});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    column->addWidget(table_, 1);

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("rulesMessage"));
    message_->setWordWrap(true);
    column->addWidget(message_);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
        return b;
    };
    connect(button(tr("&Add"), "addRuleButton"), &QPushButton::clicked, this, &RulesTab::addRule);
    connect(button(tr("Re&move"), "removeRuleButton"), &QPushButton::clicked, this,
            &RulesTab::removeRule);
    connect(button(tr("Move &up"), "ruleUpButton"), &QPushButton::clicked, this,
            [this] { moveRule(-1); });
    connect(button(tr("Move do&wn"), "ruleDownButton"), &QPushButton::clicked, this,
            [this] { moveRule(1); });
    buttons->addStretch(1);
    connect(button(tr("Save &rules"), "saveRulesButton"), &QPushButton::clicked, this,
            &RulesTab::save);
    column->addLayout(buttons);

    connect(table_, &QTableWidget::cellChanged, this, &RulesTab::cellChanged);
    connect(languageBox_, &QComboBox::currentIndexChanged, this,
            [this] { load(BoxLanguage(*languageBox_)); });
}

void RulesTab::load(Language language) {
    if (language != language_ && modified_) unsaved_[language_] = std::move(file_);
    language_ = language;
    if (BoxLanguage(*languageBox_) != language)
        SetBoxLanguage(*languageBox_, language);  // comes back here
    modified_ = unsaved_[language].has_value();
    if (modified_) {
        file_ = *std::exchange(unsaved_[language], std::nullopt);
        fillTable();
        showProblem();
        return;
    }
    QString error;
    if (!controller_.loadRules(language, file_, &error)) {
        file_ = RulesFile();
        message_->setText(error);
    } else {
        message_->setText(controller_.rulesPath(language));
    }
    fillTable();
}

void RulesTab::fillTable() {
    filling_ = true;
    table_->setRowCount(static_cast<int>(file_.rules.size()));
    for (int row = 0; row < table_->rowCount(); ++row)
        setRow(row, file_.rules[static_cast<std::size_t>(row)]);
    filling_ = false;
    showProblem();
}

void RulesTab::setRow(int row, const RuleEntry& rule) {
    const bool was = filling_;
    filling_ = true;
    table_->setItem(row, 0, new QTableWidgetItem(QString::fromStdU16String(rule.pattern)));
    table_->setItem(row, 1, new QTableWidgetItem(QString::fromStdU16String(rule.replacement)));
    filling_ = was;
}

QString RulesTab::problem(int row) const {
    const std::u16string& pattern = file_.rules[static_cast<std::size_t>(row)].pattern;
    switch (CheckRulePattern(pattern)) {
        case RulePatternIssue::None:
            return {};
        case RulePatternIssue::Empty:
            return tr("Rule %1: the pattern is empty.").arg(row + 1);
        case RulePatternIssue::LineBreak:
            return tr("Rule %1: the pattern holds a line break.").arg(row + 1);
        case RulePatternIssue::Separator:
            return tr("Rule %1: the pattern cannot hold \" = \".").arg(row + 1);
        case RulePatternIssue::Comment:
            return tr("Rule %1: a pattern starting with # would be a comment.").arg(row + 1);
        case RulePatternIssue::DoesNotCompile:
            break;
    }
    return tr("Rule %1: the pattern is not a valid regular expression: %2")
        .arg(row + 1)
        .arg(QString::fromStdString(RulePatternError(pattern).value_or(std::string())));
}

void RulesTab::showProblem() {
    for (int row = 0; row < table_->rowCount(); ++row) {
        const QString why = problem(row);
        if (QTableWidgetItem* item = table_->item(row, 0)) {
            const bool was = filling_;
            filling_ = true;
            item->setToolTip(why);
            item->setForeground(why.isEmpty() ? table_->palette().text() : QBrush(Qt::red));
            filling_ = was;
        }
        if (!why.isEmpty()) {
            message_->setText(why);
            return;
        }
    }
    if (modified_) message_->setText(tr("Changed; not saved yet."));
}

void RulesTab::cellChanged(int row, int column) {
    if (filling_ || row < 0 || row >= static_cast<int>(file_.rules.size())) return;
    RuleEntry& rule = file_.rules[static_cast<std::size_t>(row)];
    const std::u16string text = table_->item(row, column)->text().toStdU16String();
    (column == 0 ? rule.pattern : rule.replacement) = text;
    modified_ = true;
    showProblem();
}

void RulesTab::addRule() {
    const int row = table_->currentRow() < 0 ? table_->rowCount() : table_->currentRow() + 1;
    file_.rules.insert(file_.rules.begin() + row, RuleEntry{});
    table_->insertRow(row);
    setRow(row, file_.rules[static_cast<std::size_t>(row)]);
    modified_ = true;
    table_->setCurrentCell(row, 0);
    table_->editItem(table_->item(row, 0));
    showProblem();
}

void RulesTab::removeRule() {
    const int row = table_->currentRow();
    if (row < 0) return;
    file_.rules.erase(file_.rules.begin() + row);
    table_->removeRow(row);
    modified_ = true;
    showProblem();
}

void RulesTab::moveRule(int by) {
    const int row = table_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= table_->rowCount()) return;
    std::swap(file_.rules[static_cast<std::size_t>(row)],
              file_.rules[static_cast<std::size_t>(to)]);
    setRow(row, file_.rules[static_cast<std::size_t>(row)]);
    setRow(to, file_.rules[static_cast<std::size_t>(to)]);
    table_->setCurrentCell(to, table_->currentColumn());
    modified_ = true;
    showProblem();
}

bool RulesTab::save() {
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (!problem(row).isEmpty()) {
            table_->setCurrentCell(row, 0);
            showProblem();
            return false;
        }
    }
    QString error;
    if (!controller_.saveRules(language_, file_, &error)) {
        message_->setText(error);
        return false;
    }
    modified_ = false;
    message_->setText(tr("Saved to %1").arg(controller_.rulesPath(language_)));
    return true;
}

}  // namespace vernalo
