#pragma once
// The Speech settings page: per language an on/off box, the voice box, a test button and
// the speed bar. It owns the two synthesizer controls and the voice selection behind them.

#include <QString>
#include <QWidget>
#include <memory>

#include "speech/synthesizer.h"
#include "speech/trackbar.h"
#include "speech/voiceselection.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QSlider;

namespace vernalo {

class TSpeechPage : public QWidget {
    Q_OBJECT
public:
    // With the built-in engine, speaking on the default audio device (or silently in real
    // time when there is none; speechProblem then says so).
    explicit TSpeechPage(QWidget* parent = nullptr);
    // With the given controls (tests give scripted ones).
    TSpeechPage(std::unique_ptr<TDirectSS> ru, std::unique_ptr<TDirectSS> en,
                QWidget* parent = nullptr);
    ~TSpeechPage() override;

    struct Restored {
        bool loadDictRU = false;  // the restored voice is of the dictionaries' engine family
        bool loadDictEN = false;
        // Empty when the voices were restored; else what went wrong (a language without any
        // voice, a saved speed that is no number). Device trouble only goes to speechProblem.
        QString problem;
    };
    // Start-up: fills the voice boxes and restores voices and speeds from the saved settings
    // (speeds as their decimal texts). Emits speechProblem once when something is wrong.
    Restored restore(const QString& savedRU, const QString& savedEN, const QString& speedRU,
                     const QString& speedEN);

    // What the settings file saves: the selected speaker names and the bar positions.
    QString russianName() const;
    QString englishName() const;
    int speedRU() const { return barRU_.Position(); }
    int speedEN() const { return barEN_.Position(); }
    // Which languages are switched on for reading; at least one always is.
    bool enabledRU() const;
    bool enabledEN() const;

    TDirectSS& DSpeechRU() { return *ru_; }
    TDirectSS& DSpeechEN() { return *en_; }
    const TrackBar& barRU() const { return barRU_; }
    const TrackBar& barEN() const { return barEN_; }

    // The handlers, public so that the window and tests can run them as a click would.
    void BtnTestRUClick();
    void BtnTestENClick();
    void EnabledRUClick();
    void EnabledENClick();
    void CBoxRUChange();
    void CBoxENChange();

    static const char16_t kTestPhraseRU[];
    static const char16_t kTestPhraseEN[];

signals:
    // A voice, a speed or the like changed: the settings are to be written at close.
    void settingsChanged();
    // The engine or the audio output failed; said once.
    void speechProblem(const QString& text);

private:
    struct Controls {
        std::unique_ptr<TDirectSS> ru, en;
        QString problem;
    };
    static Controls builtIn();
    TSpeechPage(Controls controls, QWidget* parent);
    void setupControls();
    void mirror(QSlider* slider, const TrackBar& bar);
    void fillBox(QComboBox* box, const VoiceList& list);
    void editText(QComboBox* box, const VoiceList& list);
    void report(const QString& text);

    std::unique_ptr<TDirectSS> ru_;
    std::unique_ptr<TDirectSS> en_;
    TrackBar barRU_;
    TrackBar barEN_;
    VoiceSelection selection_;
    QString pendingProblem_;
    bool reported_ = false;

    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* EnabledRU = nullptr;
    QCheckBox* EnabledEN = nullptr;
    QComboBox* CBoxRU = nullptr;
    QComboBox* CBoxEN = nullptr;
    QPushButton* BtnTestRU = nullptr;
    QPushButton* BtnTestEN = nullptr;
    QSlider* TrBarRU = nullptr;
    QSlider* TrBarEN = nullptr;
};

}  // namespace vernalo
