#include "app/pages/settingspages.h"

#include <QHBoxLayout>

#include "app/pages/fontpage.h"
#include "app/pages/optionspage.h"
#include "app/pages/speechpage.h"
#include "speech/sounddevice.h"
#include "speech/voicebuilder.h"

namespace vernalo {

namespace {

// Each page sits in a frame of its own that carries the page's caption and hint.
QWidget* PageFrame(QStackedWidget* stack, const char* name, const QString& caption,
                   const QString& hint, QWidget* content) {
    auto* frame = new QWidget(stack);
    frame->setObjectName(QLatin1String(name));
    frame->setToolTip(hint);
    frame->setAccessibleName(caption);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(2, 0, 2, 2);
    content->setParent(frame);
    layout->addWidget(content);
    stack->addWidget(frame);
    return frame;
}

}  // namespace

SettingsPages::SettingsPages(const VoiceFactory& voices, QWidget* parent) : QStackedWidget(parent) {
    setObjectName(QStringLiteral("settingsPages"));
    if (voices) {
        auto made = voices();
        speech_ = new SpeechPage(
            GivenVoices(std::move(made[Language::Russian]), std::move(made[Language::English])));
    } else {
        // The program's own voices, on the default sound device or silently in real time when
        // there is none (the page then says so).
        speech_ = new SpeechPage(BuildVoices(MakeDeviceOutput));
    }
    options_ = new OptionsPage;
    font_ = new FontPage;
    // In the order of SettingsPage.
    PageFrame(this, "speechSettingsPage", tr("Speech"), tr("Settings for SpeechEngines"), speech_);
    PageFrame(this, "optionsSettingsPage", tr("Options"), tr("Options"), options_);
    PageFrame(this, "fontSettingsPage", tr("Font"), QString(), font_);
    show(SettingsPage::Speech);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

}  // namespace vernalo
