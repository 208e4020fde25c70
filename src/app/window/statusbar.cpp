#include "app/window/statusbar.h"

#include <QAccessible>
#include <QLabel>
#include <QProgressBar>

namespace vernalo {

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("statusBar"));
    setSizeGripEnabled(false);
    struct PanelDef {
        StatusPanel panel;
        int width;
        QString text;
        Qt::Alignment alignment;
    };
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const PanelDef defs[] = {
        {StatusPanel::Column, 100, tr("Column: %1").arg(0), left},
        {StatusPanel::Line, 100, tr("String: %1").arg(0), left},
        {StatusPanel::LineCount, 100, tr("Strings: %1").arg(0), left},
        {StatusPanel::Activity, 200, QString(), Qt::AlignCenter},
    };
    for (const PanelDef& d : defs) {
        auto* label = new QLabel(d.text, this);
        // What the program is doing may say more than its panel holds ("Loading the voice
        // msu_ru_nsh (Festival)…"): that panel grows for it, taking room from the progress bar.
        if (d.panel == StatusPanel::Activity)
            label->setMinimumWidth(d.width);
        else
            label->setFixedWidth(d.width);
        label->setAlignment(d.alignment);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        addWidget(label);
        panels_[static_cast<std::size_t>(d.panel)] = label;
    }
    panels_[static_cast<std::size_t>(StatusPanel::Activity)]->setObjectName(
        QStringLiteral("activityPanel"));
    // The sleep timer's panel keeps its place while empty; the progress bar takes the rest.
    auto* timer = new QLabel(this);
    timer->setObjectName(QStringLiteral("sleepTimerPanel"));
    timer->setAccessibleName(tr("Sleep timer"));
    timer->setFixedWidth(50);
    timer->setAlignment(Qt::AlignCenter);
    timer->setFrameShape(QFrame::Panel);
    timer->setFrameShadow(QFrame::Sunken);
    addWidget(timer);
    panels_[static_cast<std::size_t>(StatusPanel::SleepTimer)] = timer;

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progressBar"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setAccessibleName(tr("Progress"));
    addPermanentWidget(progress_, 1);
}

QString StatusBar::text(StatusPanel panel) const {
    return panels_[static_cast<std::size_t>(panel)]->text();
}

void StatusBar::setText(StatusPanel panel, const QString& text) {
    QLabel* label = panels_[static_cast<std::size_t>(panel)];
    if (label->text() == text) return;
    label->setText(text);
    // What the program is doing is told to screen readers as it changes; the caret panels
    // change with every key and are read on demand.
    if (panel == StatusPanel::Activity) {
        QAccessibleEvent changed(label, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void StatusBar::showCaret(long column, long line) {
    setText(StatusPanel::Column, tr("Column: %1").arg(column));
    setText(StatusPanel::Line, tr("String: %1").arg(line));
}

void StatusBar::showLineCount(int lines) {
    setText(StatusPanel::LineCount, tr("Strings: %1").arg(lines));
}

void StatusBar::showSpeaking(std::optional<Language> language) {
    const char* text = !language                        ? kSpeakingNone
                       : *language == Language::Russian ? kSpeakingRussian
                                                        : kSpeakingEnglish;
    setText(StatusPanel::Activity, tr(text));
}

}  // namespace vernalo
