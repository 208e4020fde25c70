#pragma once
// The Options page: word or sentence mode, and how often each language's pieces are said.

#include <QWidget>

#include "text/language.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace vernalo {

// The two mode boxes. A click first toggles the box clicked; the page then pairs them so that
// every click switches the mode and exactly one box stays checked.
struct ModeBoxes {
    bool sentence = true;  // checked at start
    bool word = false;
};
ModeBoxes AfterSentenceBoxClick(ModeBoxes boxes);
ModeBoxes AfterWordBoxClick(ModeBoxes boxes);

class OptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit OptionsPage(QWidget* parent = nullptr);

    // The sentence box alone decides: the keyboard toggles a box without pairing, so both may
    // be checked (sentence mode) or both clear (word mode).
    bool sentenceMode() const;
    // As a click on the box of that mode, when the page is not in it already.
    void chooseMode(bool sentence);
    int repeats(Language language) const;
    // The word being heard is marked inside the piece being read.
    bool markWord() const;
    void setMarkWord(bool on);
    // The silence after each piece: 0 none, 1 as long as the piece, 2 twice as long.
    int pauseAfter() const;
    void setPauseAfter(int factor);

signals:
    void markWordChanged(bool on);
    void pauseAfterChanged(int factor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pairBoxes(bool wordBoxClicked);

    QCheckBox* wordBox_ = nullptr;
    QCheckBox* sentenceBox_ = nullptr;
    PerLanguage<QSpinBox*> repeatBoxes_{};
    QCheckBox* markWordBox_ = nullptr;
    QComboBox* pauseBox_ = nullptr;
};

}  // namespace vernalo
