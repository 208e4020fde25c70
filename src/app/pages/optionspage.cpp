#include "app/pages/optionspage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>

#include "app/window/boldlabel.h"
#include "reading/readingsession.h"

namespace vernalo {

// The box clicked is already toggled: the mode switches away from what the other box said.
ModeBoxes AfterSentenceBoxClick(ModeBoxes b) {
    return {b.word, !b.word};
}

ModeBoxes AfterWordBoxClick(ModeBoxes b) {
    return {!b.sentence, b.sentence};
}

namespace {

// A spin box driven only by its arrows and keys, as the repeat counts are.
QSpinBox* RepeatBox(const QString& hint, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(ReadingOptions::kMinRepeat, ReadingOptions::kMaxRepeat);
    box->setWrapping(false);
    box->setValue(1);
    box->setToolTip(hint);
    box->setAccessibleName(hint);
    box->findChild<QLineEdit*>()->setReadOnly(true);
    box->setFixedWidth(56);
    return box;
}

}  // namespace

OptionsPage::OptionsPage(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);

    auto* modeGroup = new QGroupBox(this);
    modeGroup->setFixedWidth(217);
    auto* modeGrid = new QGridLayout(modeGroup);
    modeGrid->setContentsMargins(8, 4, 8, 4);
    // The labels beside the boxes say what they do, and are their accessible names.
    wordBox_ = new QCheckBox(modeGroup);
    wordBox_->setObjectName(QStringLiteral("wordModeBox"));
    wordBox_->setAccessibleName(tr("Repeating a words"));
    sentenceBox_ = new QCheckBox(modeGroup);
    sentenceBox_->setObjectName(QStringLiteral("sentenceModeBox"));
    sentenceBox_->setAccessibleName(tr("Repeaing a sentences"));
    sentenceBox_->setChecked(true);
    auto* wordLabel = BoldLabel(tr("Repeating a words"), modeGroup);
    auto* sentenceLabel = BoldLabel(tr("Repeaing a sentences"), modeGroup);
    wordLabel->setBuddy(wordBox_);
    sentenceLabel->setBuddy(sentenceBox_);
    modeGrid->addWidget(wordBox_, 0, 0);
    modeGrid->addWidget(wordLabel, 0, 1);
    modeGrid->addWidget(sentenceBox_, 1, 0);
    modeGrid->addWidget(sentenceLabel, 1, 1);
    // Only a mouse click pairs the boxes; the keyboard toggles just the box.
    wordBox_->installEventFilter(this);
    sentenceBox_->installEventFilter(this);

    auto* repeatGroup = new QGroupBox(this);
    auto* repeatGrid = new QGridLayout(repeatGroup);
    repeatGrid->setContentsMargins(8, 4, 8, 4);
    for (Language l : kLanguages) {
        const bool russian = l == Language::Russian;
        const QString name = russian ? tr("Russian") : tr("English");
        QSpinBox* box = RepeatBox(
            russian ? tr("Repeat Russian Word/Sentence") : tr("Repeat English Word/Sentence"),
            repeatGroup);
        auto* label = BoldLabel(name, repeatGroup);
        label->setBuddy(box);
        const int r = static_cast<int>(l);
        repeatGrid->addWidget(label, r, 0);
        repeatGrid->addWidget(box, r, 1);
        repeatBoxes_[l] = box;
    }
    markWordBox_ = new QCheckBox(tr("Mark the spoken word"), repeatGroup);
    markWordBox_->setObjectName(QStringLiteral("markWordBox"));
    markWordBox_->setChecked(true);
    connect(markWordBox_, &QCheckBox::toggled, this, &OptionsPage::markWordChanged);
    repeatGrid->addWidget(markWordBox_, 0, 2);
    // Time to say the piece after the voice.
    pauseBox_ = new QComboBox(repeatGroup);
    pauseBox_->setObjectName(QStringLiteral("pauseAfterBox"));
    pauseBox_->addItems({tr("Off"), tr("As long as the piece"), tr("Twice as long")});
    pauseBox_->setAccessibleName(tr("Pause after each piece"));
    auto* pauseLabel = new QLabel(tr("Pause after each piece:"), repeatGroup);
    pauseLabel->setBuddy(pauseBox_);
    connect(pauseBox_, &QComboBox::currentIndexChanged, this, &OptionsPage::pauseAfterChanged);
    auto* pauseRow = new QHBoxLayout;
    pauseRow->addWidget(pauseLabel);
    pauseRow->addWidget(pauseBox_);
    repeatGrid->addLayout(pauseRow, 1, 2);
    repeatGrid->setColumnStretch(3, 1);
    row->addWidget(modeGroup);
    row->addWidget(repeatGroup, 1);
}

bool OptionsPage::sentenceMode() const {
    return sentenceBox_->isChecked();
}

void OptionsPage::chooseMode(bool sentence) {
    if (sentenceMode() == sentence) return;
    (sentence ? sentenceBox_ : wordBox_)->toggle();
    pairBoxes(!sentence);
}

int OptionsPage::repeats(Language language) const {
    return repeatBoxes_[language]->value();
}

bool OptionsPage::markWord() const {
    return markWordBox_->isChecked();
}

void OptionsPage::setMarkWord(bool on) {
    // As it was saved: not a change of the settings.
    const QSignalBlocker quiet(markWordBox_);
    markWordBox_->setChecked(on);
}

int OptionsPage::pauseAfter() const {
    return pauseBox_->currentIndex();
}

void OptionsPage::setPauseAfter(int factor) {
    const QSignalBlocker quiet(pauseBox_);
    pauseBox_->setCurrentIndex(std::clamp(factor, 0, ReadingOptions::kMaxPauseAfter));
}

bool OptionsPage::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == wordBox_ || watched == sentenceBox_) &&
        event->type() == QEvent::MouseButtonRelease) {
        // Let the click toggle the box first, then pair the boxes.
        const bool word = watched == wordBox_;
        QTimer::singleShot(0, this, [this, word] { pairBoxes(word); });
    }
    return QWidget::eventFilter(watched, event);
}

void OptionsPage::pairBoxes(bool wordBoxClicked) {
    const ModeBoxes now{sentenceBox_->isChecked(), wordBox_->isChecked()};
    const ModeBoxes b = wordBoxClicked ? AfterWordBoxClick(now) : AfterSentenceBoxClick(now);
    sentenceBox_->setChecked(b.sentence);
    wordBox_->setChecked(b.word);
}

}  // namespace vernalo
