#pragma once
// The settings pages above the text: Speech, Options and Font, one showing at a time.

#include <QStackedWidget>
#include <functional>
#include <memory>

#include "speech/voice.h"

namespace vernalo {

class FontPage;
class OptionsPage;
class SpeechPage;

enum class SettingsPage { Speech, Options, Font };

class SettingsPages : public QStackedWidget {
    Q_OBJECT
public:
    // The speech page's two voices; empty: the built-in engine on the audio device.
    using VoiceFactory = std::function<PerLanguage<std::unique_ptr<Voice>>()>;

    explicit SettingsPages(const VoiceFactory& voices, QWidget* parent = nullptr);

    SettingsPage current() const { return static_cast<SettingsPage>(currentIndex()); }
    void show(SettingsPage page) { setCurrentIndex(static_cast<int>(page)); }

    SpeechPage* speech() const { return speech_; }
    OptionsPage* options() const { return options_; }
    FontPage* font() const { return font_; }

private:
    SpeechPage* speech_ = nullptr;
    OptionsPage* options_ = nullptr;
    FontPage* font_ = nullptr;
};

}  // namespace vernalo
