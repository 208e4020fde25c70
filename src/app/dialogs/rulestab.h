#pragma once
// The pronunciation editor's Rules tab: a language's rules file as a table of pattern and
// replacement, in file order, with add, remove, move up and down. Each pattern is checked as
// it is entered; the file is written only when every pattern is sound.

#include <QWidget>
#include <optional>
#include <vector>

#include "dict/rulesfile.h"
#include "text/language.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace vernalo {

class PronunciationController;

class RulesTab : public QWidget {
    Q_OBJECT
public:
    RulesTab(PronunciationController& controller, QWidget* parent = nullptr);
    // Shows the language's rules: its unsaved changes if it has some, else its file. The
    // unsaved changes of the language shown before are kept for its return.
    void load(Language language);
    Language language() const { return language_; }
    // Writes the table; false (with the message shown) when a pattern is bad or the write failed.
    bool save();
    bool modified() const { return modified_; }
    // Why the pattern in that row cannot be saved, or empty.
    QString problem(int row) const;

private:
    void fillTable();
    void cellChanged(int row, int column);
    void addRule();
    void removeRule();
    void moveRule(int by);
    void setRow(int row, const RuleEntry& rule);
    void showProblem();

    PronunciationController& controller_;
    Language language_ = Language::Russian;
    QComboBox* languageBox_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* message_ = nullptr;
    RulesFile file_;  // the rules as the table shows them, with the lines kept beside them
    bool modified_ = false;
    bool filling_ = false;
    PerLanguage<std::optional<RulesFile>> unsaved_;  // of the language not shown
};

}  // namespace vernalo
