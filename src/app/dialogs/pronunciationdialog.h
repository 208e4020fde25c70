#pragma once
// The pronunciation editor: the entry of one word (what the voice should say, tried with Test
// and kept with Save), the list of a language's entries, and the language's rules. Modeless,
// one per window; Edit > Pronunciation of "WORD"… and the editor's context menu open it.

#include <QDialog>
#include <optional>

#include "app/controllers/pronunciationcontroller.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;

namespace vernalo {

class DictionaryTab;
class RulesTab;
class TextEditor;

class PronunciationDialog : public QDialog {
    Q_OBJECT
public:
    PronunciationDialog(PronunciationController& controller, QWidget* parent);

    // Shows the word's entry on the first tab (or an empty one) and brings the dialog up.
    void showWord(const std::optional<PronunciationController::Word>& word);
    Language language() const;

private:
    void setLanguage(Language language);
    void showEntry();
    void saveEntry();
    void removeEntry();
    void say(const QString& text);
    void updateState();

    PronunciationController& controller_;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* word_ = nullptr;
    QComboBox* language_ = nullptr;
    QLabel* current_ = nullptr;
    QLineEdit* sayAs_ = nullptr;
    QLabel* message_ = nullptr;
    DictionaryTab* list_ = nullptr;
    RulesTab* rules_ = nullptr;
};

// The menu item text for the word at the caret ("Pronunciation of "WORD"…").
QString PronunciationItemText(const std::optional<PronunciationController::Word>& word);

// Adds the editor's item to the Edit menu and to the text's context menu; the dialog is made
// on first use.
void InstallPronunciationEditor(QMenu* editMenu, TextEditor* editor,
                                PronunciationController& controller, QWidget* window);

}  // namespace vernalo
