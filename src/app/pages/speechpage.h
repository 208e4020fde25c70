#pragma once
// The Speech settings page: per language an on/off box, the voice box, a test button and
// the speed bar. It is given the two voices (speech/voicebuilder.h builds the program's own)
// and owns them and the voice selection behind them.

#include <QString>
#include <QWidget>
#include <memory>
#include <mutex>

#include "speech/trackbar.h"
#include "speech/voice.h"
#include "speech/voicebuilder.h"
#include "speech/voiceselection.h"
#include "text/language.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSlider;

namespace vernalo {

class DispatcherVoice;
class EspeakVoice;

class SpeechPage : public QWidget {
    Q_OBJECT
public:
    // A voice set's problems (no sound device, the engine did not start) are said once, by
    // speechProblem, at restore.
    explicit SpeechPage(VoiceSet voices, QWidget* parent = nullptr);
    ~SpeechPage() override;

    struct Restored {
        // The restored voice is of an engine the dictionaries are made for.
        PerLanguage<bool> loadDictionary{{false, false}};
        // Empty when the voices were restored; else what went wrong (a language without any
        // voice, a saved speed that is no number). Device trouble only goes to speechProblem.
        QString problem;
    };
    // Start-up: fills the voice boxes and restores voices and speeds from the saved settings
    // (speeds as their decimal texts). Emits speechProblem once when something is wrong.
    Restored restore(const PerLanguage<QString>& savedVoices,
                     const PerLanguage<QString>& savedSpeeds);

    // What the settings file saves: the selected speaker name and the bar position.
    QString voiceName(Language language) const;
    int speed(Language language) const { return bars_[language].position(); }
    // Why no sound can be heard (no audio device could be opened, or it failed since); empty
    // when speech is heard. Readings are refused meanwhile; the test buttons stay.
    QString soundProblem() const { return soundProblem_; }
    // Has the voices' outputs open the sound device again when there was none or it failed,
    // for a sound server started or a device plugged in since; the voices, their speeds and
    // switches stay. True when sound is heard now; else soundProblem() says why.
    bool retrySound();
    // Whether a language is switched on for reading; at least one always is.
    bool voiceOn(Language language) const;

    Voice& voice(Language language) { return *voices_[language]; }
    const TrackBar& speedBar(Language language) const { return bars_[language]; }

    // What the controls do, public so that the window and tests can run them as a click would.
    void testVoice(Language language);
    void voiceSwitchToggled(Language language);
    void voiceChosen(Language language);

    // The phrase a language's test button speaks.
    static std::u16string testPhrase(Language language);

signals:
    // A voice, a speed or the like changed: the settings are to be written at close.
    void settingsChanged();
    // The engine or the audio output failed; said once.
    void speechProblem(const QString& text);
    // The audio device failed after it had been opened; soundProblem() says why.
    void soundLost();
    // A voice of the speech service could not speak (the service is gone); the other voices
    // go on working.
    void voiceFailed(const QString& text);
    // A voice of an installed engine started loading (its first piece takes seconds), or has
    // loaded; `speaker` names it as the voice lists do.
    void voiceLoading(const QString& speaker, bool loading);

private:
    void setupControls();
    void mirror(Language language);
    void fillBox(Language language);
    void editText(Language language);
    void report(const QString& text);
    // A failure of `output` sets soundProblem and emits soundLost.
    void watchOutput(PlaybackOutput& output);

    PerLanguage<std::unique_ptr<Voice>> voices_;
    PerLanguage<EspeakVoice*> builtIn_;
    PerLanguage<DispatcherVoice*> service_;
    PerLanguage<TrackBar> bars_;
    VoiceSelection selection_;
    QString pendingProblem_;
    QString soundProblem_;
    bool reported_ = false;

    struct Row {
        QCheckBox* on = nullptr;
        QComboBox* voices = nullptr;
        QPushButton* test = nullptr;
        QSlider* speed = nullptr;
    };
    PerLanguage<Row> rows_;

    // The service's voices are listed: they join the boxes.
    void serviceVoicesListed();
    struct ListedLink {
        std::mutex mutex;
        SpeechPage* page = nullptr;
    };
    std::shared_ptr<ListedLink> listedLink_ = std::make_shared<ListedLink>();
    bool restored_ = false;
};

}  // namespace vernalo
