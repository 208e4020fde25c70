#pragma once
// The window's status bar: the caret's column and line, the line count, what the program is
// doing (the voice speaking, the dictionaries loading), the sleep timer and a progress bar.

#include <QStatusBar>
#include <array>
#include <optional>

#include "text/language.h"

class QLabel;
class QProgressBar;

namespace vernalo {

// SleepTimer: the time left before the reading stops, empty while the timer is off.
enum class StatusPanel { Column, Line, LineCount, Activity, SleepTimer };

class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);

    QString text(StatusPanel panel) const;
    void setText(StatusPanel panel, const QString& text);

    void showCaret(long column, long line);
    void showLineCount(int lines);
    // The voice speaking now, or none.
    void showSpeaking(std::optional<Language> language);

    QProgressBar* progress() const { return progress_; }

private:
    std::array<QLabel*, 5> panels_{};
    QProgressBar* progress_ = nullptr;
};

// What the activity panel says while a voice speaks, and when none does (shown translated).
inline const char kSpeakingRussian[] = QT_TRANSLATE_NOOP("vernalo::StatusBar", " - Russian - ");
inline const char kSpeakingEnglish[] = QT_TRANSLATE_NOOP("vernalo::StatusBar", " - English - ");
inline const char kSpeakingNone[] = " ";

}  // namespace vernalo
