#include "app/pages/speechpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <mutex>

#include "app/window/logging.h"
#include "app/window/qtext.h"
#include "speech/dispatchervoice.h"
#include "speech/driven/drivenvoice.h"
#include "speech/espeakvoice.h"

namespace vernalo {

namespace {

// The texts of one language's row.
struct RowTexts {
    QString voiceLabel, switchHint, boxHint, testCaption, testHint, speedHint;
};

RowTexts TextsFor(Language l) {
    if (l == Language::Russian)
        return {QCoreApplication::translate("vernalo::SpeechPage", "Russian Voice"),
                QCoreApplication::translate("vernalo::SpeechPage", "On/Off russian voice"),
                QCoreApplication::translate("vernalo::SpeechPage", "Choose Russian voice"),
                QCoreApplication::translate("vernalo::SpeechPage", "RU"),
                QCoreApplication::translate("vernalo::SpeechPage", "Testing russian Voice"),
                QCoreApplication::translate("vernalo::SpeechPage", "Speed of the Russian speech")};
    return {QCoreApplication::translate("vernalo::SpeechPage", "English Voice"),
            QCoreApplication::translate("vernalo::SpeechPage", "On/Off english voice"),
            QCoreApplication::translate("vernalo::SpeechPage", "Choose English voice"),
            QCoreApplication::translate("vernalo::SpeechPage", "EN"),
            QCoreApplication::translate("vernalo::SpeechPage", "Testing english Voice"),
            QCoreApplication::translate("vernalo::SpeechPage", "Speed of the English speech")};
}

}  // namespace

std::u16string SpeechPage::testPhrase(Language language) {
    return language == Language::Russian ? u"Проба синтеза речи, для русского голоса."
                                         : u"Test of speech, for english voice.";
}

SpeechPage::SpeechPage(VoiceSet voices, QWidget* parent)
    : QWidget(parent),
      voices_({{std::move(voices.languages[Language::Russian].voice),
                std::move(voices.languages[Language::English].voice)}}),
      builtIn_({{voices.languages[Language::Russian].builtIn,
                 voices.languages[Language::English].builtIn}}),
      service_({{voices.languages[Language::Russian].service,
                 voices.languages[Language::English].service}}),
      selection_({{voices_[Language::Russian].get(), voices_[Language::English].get()}},
                 {{&bars_[Language::Russian], &bars_[Language::English]}}),
      soundProblem_(QString::fromStdString(voices.soundProblem)) {
    if (!voices.engineProblem.empty())
        pendingProblem_ = QString::fromStdString(voices.engineProblem);
    else if (!soundProblem_.isEmpty())
        pendingProblem_ = soundProblem_ + tr("; speech is not heard");
    selection_.settingsChanged = [this] { emit settingsChanged(); };
    // A device that fails later is reported from the audio thread; say it on ours.
    for (Language l : kLanguages) {
        if (!builtIn_[l]) builtIn_[l] = dynamic_cast<EspeakVoice*>(voices_[l].get());
        if (!service_[l]) service_[l] = dynamic_cast<DispatcherVoice*>(voices_[l].get());
        if (EspeakVoice* e = builtIn_[l]) watchOutput(e->output());
        // The service's voice and the installed engines' report from their own threads.
        const auto failed = [this](const std::string& message) {
            const QString text = QString::fromStdString(message);
            QMetaObject::invokeMethod(
                this, [this, text] { emit voiceFailed(text); }, Qt::QueuedConnection);
        };
        if (DispatcherVoice* d = service_[l]) d->onError = failed;
        if (DrivenVoice* d = voices.languages[l].driven) {
            d->onError = failed;
            d->onLoading = [this](const std::u16string& speaker, bool loading) {
                const QString name = QString::fromStdU16String(speaker);
                QMetaObject::invokeMethod(
                    this, [this, name, loading] { emit voiceLoading(name, loading); },
                    Qt::QueuedConnection);
            };
        }
    }
    setupControls();
    if (service_[Language::Russian]) {
        // The listing thread may finish after the page is gone: it reaches the page only
        // through this link, which the destructor cuts.
        listedLink_->page = this;
        auto link = listedLink_;
        WhenServiceVoicesListed([link] {
            std::lock_guard lock(link->mutex);
            if (link->page)
                QMetaObject::invokeMethod(
                    link->page, [page = link->page] { page->serviceVoicesListed(); },
                    Qt::QueuedConnection);
        });
    }
}

void SpeechPage::watchOutput(PlaybackOutput& output) {
    OutputListener listener;
    listener.lost = [this](const std::string& message) {
        const QString text = QString::fromStdString(message);
        QMetaObject::invokeMethod(
            this,
            [this, text] {
                soundProblem_ = text;
                report(text);
                emit soundLost();
            },
            Qt::QueuedConnection);
    };
    output.setListener(std::move(listener));
}

bool SpeechPage::retrySound() {
    if (soundProblem_.isEmpty()) return true;
    for (Language l : kLanguages) {
        if (!builtIn_[l]) continue;
        std::string error;
        if (!builtIn_[l]->output().reopen(&error)) {
            soundProblem_ = QString::fromStdString(error);
            return false;
        }
        // What was spoken silently meanwhile is not heard late.
        builtIn_[l]->audioReset();
    }
    qCInfo(lcApp) << "the sound device is back";
    soundProblem_.clear();
    return true;
}

void SpeechPage::serviceVoicesListed() {
    // A desktop without the service is no problem to show: only the log says why its voices
    // are missing.
    const std::string why = ServiceError();
    if (!why.empty()) qCInfo(lcApp) << "no speech-dispatcher voices:" << why.c_str();
    if (!restored_) return;  // restore fills the boxes with them
    selection_.refill();
    for (Language l : kLanguages)
        fillBox(l);
}

SpeechPage::~SpeechPage() {
    {
        std::lock_guard lock(listedLink_->mutex);
        listedLink_->page = nullptr;
    }
    // The voices go first: their audio threads must not call back into a half-gone page.
    for (Language l : kLanguages) {
        if (builtIn_[l]) builtIn_[l]->output().setListener({});
        voices_[l].reset();
    }
}

void SpeechPage::setupControls() {
    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("speechGroup"));
    auto* grid = new QGridLayout(group);
    QFont bold = font();
    bold.setBold(true);

    for (Language l : kLanguages) {
        const RowTexts t = TextsFor(l);
        const QString lang = QString(QLatin1String(LanguageName(l))).toLower();
        const int r = static_cast<int>(l);
        Row& row = rows_[l];
        row.on = new QCheckBox(group);
        row.on->setObjectName(lang + QStringLiteral("VoiceSwitch"));
        row.on->setToolTip(t.switchHint);
        row.on->setAccessibleName(t.switchHint);
        row.on->setChecked(true);

        auto* label = new QLabel(t.voiceLabel, group);
        label->setFont(bold);

        row.voices = new QComboBox(group);
        row.voices->setObjectName(lang + QStringLiteral("VoiceBox"));
        row.voices->setToolTip(t.boxHint);
        row.voices->setAccessibleName(t.boxHint);
        row.voices->setEditable(true);
        row.voices->setInsertPolicy(QComboBox::NoInsert);
        row.voices->setMinimumWidth(145);
        label->setBuddy(row.voices);

        row.test = new QPushButton(t.testCaption, group);
        row.test->setObjectName(lang + QStringLiteral("TestButton"));
        row.test->setToolTip(t.testHint);
        row.test->setAccessibleDescription(t.testHint);

        auto* speedLabel = new QLabel(tr("Speed "), group);
        speedLabel->setFont(bold);

        row.speed = new QSlider(Qt::Horizontal, group);
        row.speed->setObjectName(lang + QStringLiteral("SpeedBar"));
        row.speed->setToolTip(t.speedHint);
        row.speed->setAccessibleName(t.speedHint);
        row.speed->setTickInterval(20);
        row.speed->setTickPosition(QSlider::TicksAbove);
        row.speed->setSingleStep(1);
        row.speed->setPageStep(2);
        row.speed->setFocusPolicy(Qt::StrongFocus);
        row.speed->setMinimumWidth(200);
        speedLabel->setBuddy(row.speed);

        grid->addWidget(row.on, r, 0);
        grid->addWidget(label, r, 1);
        grid->addWidget(row.voices, r, 2);
        grid->addWidget(row.test, r, 3);
        grid->addWidget(speedLabel, r, 4);
        grid->addWidget(row.speed, r, 5);

        mirror(l);
        bars_[l].onUpdate = [this, l] { mirror(l); };
        connect(row.speed, &QSlider::valueChanged, this,
                [this, l](int v) { bars_[l].setPosition(v); });
        connect(row.test, &QPushButton::clicked, this, [this, l] { testVoice(l); });
        connect(row.on, &QCheckBox::toggled, this, [this, l] { voiceSwitchToggled(l); });
        connect(row.voices, &QComboBox::currentIndexChanged, this, [this, l] { voiceChosen(l); });
        connect(row.voices, &QComboBox::editTextChanged, this, [this, l] { editText(l); });
    }
    grid->setColumnStretch(5, 1);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(group);
    outer->addStretch(1);
}

// The widget follows the model; QSlider's own rules for ranges differ from the bar's.
void SpeechPage::mirror(Language l) {
    QSlider* slider = rows_[l].speed;
    const QSignalBlocker block(slider);
    slider->setRange(bars_[l].min(), bars_[l].max());
    slider->setValue(bars_[l].position());
}

void SpeechPage::fillBox(Language l) {
    QComboBox* box = rows_[l].voices;
    const VoiceList& list = selection_.list(l);
    const QSignalBlocker block(box);
    box->clear();
    for (const auto& name : list.names)
        box->addItem(ToQString(name));
    box->setCurrentIndex(list.selected);
    if (list.selected < 0) box->setEditText(QString());
}

// Typing a speaker's whole name picks that voice; other text changes nothing.
void SpeechPage::editText(Language l) {
    QComboBox* box = rows_[l].voices;
    const VoiceList& list = selection_.list(l);
    const QString text = box->currentText();
    for (int j = 0; j < static_cast<int>(list.names.size()); ++j) {
        if (ToQString(list.names[j]) == text) {
            if (j != list.selected && box->currentIndex() != j) box->setCurrentIndex(j);
            return;
        }
    }
}

void SpeechPage::report(const QString& text) {
    if (reported_ || text.isEmpty()) return;
    reported_ = true;
    emit speechProblem(text);
}

SpeechPage::Restored SpeechPage::restore(const PerLanguage<QString>& savedVoices,
                                         const PerLanguage<QString>& savedSpeeds) {
    PerLanguage<std::u16string> voices;
    PerLanguage<std::string> speeds;
    for (Language l : kLanguages) {
        voices[l] = savedVoices[l].toStdU16String();
        speeds[l] = savedSpeeds[l].toStdString();
    }
    VoiceStartup s = selection_.restore(voices, speeds);
    restored_ = true;
    for (Language l : kLanguages)
        fillBox(l);
    Restored result;
    result.loadDictionary = s.loadDictionary;
    QStringList problems;
    for (const auto& p : s.problems)
        problems << QString::fromStdString(p);
    result.problem = problems.join(QStringLiteral("; "));
    // A missing sound device is no start-up failure: the status bar says it, once.
    if (!pendingProblem_.isEmpty()) problems.prepend(pendingProblem_);
    report(problems.join(QStringLiteral("; ")));
    return result;
}

QString SpeechPage::voiceName(Language l) const {
    return ToQString(selection_.list(l).selectedName());
}

bool SpeechPage::voiceOn(Language l) const {
    return rows_[l].on->isChecked();
}

void SpeechPage::testVoice(Language l) {
    voices_[l]->speak(testPhrase(l));
}

// At least one language stays on: switching one off switches the other on.
void SpeechPage::voiceSwitchToggled(Language l) {
    if (!rows_[l].on->isChecked()) rows_[OtherLanguage(l)].on->setChecked(true);
}

void SpeechPage::voiceChosen(Language l) {
    selection_.change(l, rows_[l].voices->currentIndex());
}

}  // namespace vernalo
