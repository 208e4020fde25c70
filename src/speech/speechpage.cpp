#include "speech/speechpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "speech/espeakengine.h"
#include "speech/qtaudiooutput.h"

namespace vernalo {

const char16_t TSpeechPage::kTestPhraseRU[] = u"Проба синтеза речи, для русского голоса.";
const char16_t TSpeechPage::kTestPhraseEN[] = u"Test of speech, for english voice.";

namespace {

QString Q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

std::string SpeedText(const QString& s) {
    return s.toStdString();
}

}  // namespace

TSpeechPage::Controls TSpeechPage::builtIn() {
    Controls c;
    std::string error;
    auto ruOut = MakeDeviceOutput(&error);
    std::string error2;
    auto enOut = MakeDeviceOutput(&error2);
    if (error.empty()) error = error2;
    if (!error.empty())
        c.problem = QString::fromStdString(error) + QStringLiteral("; speech is not heard");
    c.ru = std::make_unique<TEspeakVoice>(std::move(ruOut));
    c.en = std::make_unique<TEspeakVoice>(std::move(enOut));
    const std::string& engineError = EspeakEngine::Instance().Error();
    if (!engineError.empty()) c.problem = QString::fromStdString(engineError);
    return c;
}

TSpeechPage::TSpeechPage(QWidget* parent) : TSpeechPage(builtIn(), parent) {}

TSpeechPage::TSpeechPage(std::unique_ptr<TDirectSS> ru, std::unique_ptr<TDirectSS> en,
                         QWidget* parent)
    : TSpeechPage(Controls{std::move(ru), std::move(en), {}}, parent) {}

TSpeechPage::TSpeechPage(Controls controls, QWidget* parent)
    : QWidget(parent),
      ru_(std::move(controls.ru)),
      en_(std::move(controls.en)),
      selection_(*ru_, *en_, barRU_, barEN_),
      pendingProblem_(controls.problem) {
    selection_.SettingsChanged = [this] { emit settingsChanged(); };
    // A device that fails later is reported from the audio thread; say it on ours.
    for (TDirectSS* voice : {ru_.get(), en_.get()}) {
        if (auto* e = dynamic_cast<TEspeakVoice*>(voice)) {
            e->Output().OnError = [this](const std::string& message) {
                const QString text = QString::fromStdString(message);
                QMetaObject::invokeMethod(
                    this, [this, text] { report(text); }, Qt::QueuedConnection);
            };
        }
    }
    setupControls();
}

TSpeechPage::~TSpeechPage() {
    // The controls go first: their audio threads must not call back into a half-gone page.
    for (TDirectSS* voice : {ru_.get(), en_.get()}) {
        if (auto* e = dynamic_cast<TEspeakVoice*>(voice)) e->Output().OnError = nullptr;
    }
    ru_.reset();
    en_.reset();
}

void TSpeechPage::setupControls() {
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    QFont bold = font();
    bold.setBold(true);

    struct Row {
        QCheckBox*& enabled;
        QComboBox*& box;
        QPushButton*& test;
        QSlider*& bar;
        const char* lang;
        QString voiceLabel, enabledHint, boxHint, testCaption, testHint, barHint;
    };
    Row rows[] = {
        {EnabledRU, CBoxRU, BtnTestRU, TrBarRU, "RU", QStringLiteral("Russian Voice"),
         QStringLiteral("On/Off russian voice"), QStringLiteral("Choose Russian voice"),
         QStringLiteral("RU"), QStringLiteral("Testing russian Voice"),
         QStringLiteral("Speed of the Russian speech")},
        {EnabledEN, CBoxEN, BtnTestEN, TrBarEN, "EN", QStringLiteral("English Voice"),
         QStringLiteral("On/Off english voice"), QStringLiteral("Choose English voice"),
         QStringLiteral("EN"), QStringLiteral("Testing english Voice"),
         QStringLiteral("Speed of the English speech")},
    };
    int r = 0;
    for (Row& row : rows) {
        const QString lang = QLatin1String(row.lang);
        row.enabled = new QCheckBox(GroupBox1);
        row.enabled->setObjectName(QStringLiteral("Enabled") + lang);
        row.enabled->setToolTip(row.enabledHint);
        row.enabled->setAccessibleName(row.enabledHint);
        row.enabled->setChecked(true);

        auto* label = new QLabel(row.voiceLabel, GroupBox1);
        label->setFont(bold);

        row.box = new QComboBox(GroupBox1);
        row.box->setObjectName(QStringLiteral("CBox") + lang);
        row.box->setToolTip(row.boxHint);
        row.box->setAccessibleName(row.boxHint);
        row.box->setEditable(true);
        row.box->setInsertPolicy(QComboBox::NoInsert);
        row.box->setMinimumWidth(145);
        label->setBuddy(row.box);

        row.test = new QPushButton(row.testCaption, GroupBox1);
        row.test->setObjectName(QStringLiteral("BtnTest") + lang);
        row.test->setToolTip(row.testHint);
        row.test->setAccessibleDescription(row.testHint);

        auto* speedLabel = new QLabel(QStringLiteral("Speed "), GroupBox1);
        speedLabel->setFont(bold);

        row.bar = new QSlider(Qt::Horizontal, GroupBox1);
        row.bar->setObjectName(QStringLiteral("TrBar") + lang);
        row.bar->setToolTip(row.barHint);
        row.bar->setAccessibleName(row.barHint);
        row.bar->setTickInterval(20);
        row.bar->setTickPosition(QSlider::TicksAbove);
        row.bar->setSingleStep(1);
        row.bar->setPageStep(2);
        row.bar->setFocusPolicy(Qt::StrongFocus);
        row.bar->setMinimumWidth(200);
        speedLabel->setBuddy(row.bar);

        grid->addWidget(row.enabled, r, 0);
        grid->addWidget(label, r, 1);
        grid->addWidget(row.box, r, 2);
        grid->addWidget(row.test, r, 3);
        grid->addWidget(speedLabel, r, 4);
        grid->addWidget(row.bar, r, 5);
        ++r;
    }
    grid->setColumnStretch(5, 1);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(GroupBox1);
    outer->addStretch(1);

    mirror(TrBarRU, barRU_);
    mirror(TrBarEN, barEN_);
    barRU_.OnUpdate = [this] { mirror(TrBarRU, barRU_); };
    barEN_.OnUpdate = [this] { mirror(TrBarEN, barEN_); };
    connect(TrBarRU, &QSlider::valueChanged, this, [this](int v) { barRU_.SetPosition(v); });
    connect(TrBarEN, &QSlider::valueChanged, this, [this](int v) { barEN_.SetPosition(v); });

    connect(BtnTestRU, &QPushButton::clicked, this, [this] { BtnTestRUClick(); });
    connect(BtnTestEN, &QPushButton::clicked, this, [this] { BtnTestENClick(); });
    connect(EnabledRU, &QCheckBox::toggled, this, [this] { EnabledRUClick(); });
    connect(EnabledEN, &QCheckBox::toggled, this, [this] { EnabledENClick(); });
    connect(CBoxRU, &QComboBox::currentIndexChanged, this, [this] { CBoxRUChange(); });
    connect(CBoxEN, &QComboBox::currentIndexChanged, this, [this] { CBoxENChange(); });
    connect(CBoxRU, &QComboBox::editTextChanged, this,
            [this] { editText(CBoxRU, selection_.ListRU()); });
    connect(CBoxEN, &QComboBox::editTextChanged, this,
            [this] { editText(CBoxEN, selection_.ListEN()); });
}

// The widget follows the model; QSlider's own rules for ranges differ from the bar's.
void TSpeechPage::mirror(QSlider* slider, const TrackBar& bar) {
    const QSignalBlocker block(slider);
    slider->setRange(bar.Min(), bar.Max());
    slider->setValue(bar.Position());
}

void TSpeechPage::fillBox(QComboBox* box, const VoiceList& list) {
    const QSignalBlocker block(box);
    box->clear();
    for (const auto& name : list.Names)
        box->addItem(Q(name));
    box->setCurrentIndex(list.Selected);
    if (list.Selected < 0) box->setEditText(QString());
}

// Typing a speaker's whole name picks that voice; other text changes nothing.
void TSpeechPage::editText(QComboBox* box, const VoiceList& list) {
    const QString text = box->currentText();
    for (int j = 0; j < static_cast<int>(list.Names.size()); ++j) {
        if (Q(list.Names[j]) == text) {
            if (j != list.Selected && box->currentIndex() != j) box->setCurrentIndex(j);
            return;
        }
    }
}

void TSpeechPage::report(const QString& text) {
    if (reported_ || text.isEmpty()) return;
    reported_ = true;
    emit speechProblem(text);
}

TSpeechPage::Restored TSpeechPage::restore(const QString& savedRU, const QString& savedEN,
                                           const QString& speedRU, const QString& speedEN) {
    VoiceStartup s = selection_.Restore(savedRU.toStdU16String(), savedEN.toStdU16String(),
                                        SpeedText(speedRU), SpeedText(speedEN));
    fillBox(CBoxRU, selection_.ListRU());
    fillBox(CBoxEN, selection_.ListEN());
    Restored result;
    result.loadDictRU = s.LoadDictRU;
    result.loadDictEN = s.LoadDictEN;
    QStringList problems;
    for (const auto& p : s.Problems)
        problems << QString::fromStdString(p);
    result.problem = problems.join(QStringLiteral("; "));
    // A missing sound device is no start-up failure: the status bar says it, once.
    if (!pendingProblem_.isEmpty()) problems.prepend(pendingProblem_);
    report(problems.join(QStringLiteral("; ")));
    return result;
}

QString TSpeechPage::russianName() const {
    return Q(selection_.ListRU().SelectedName());
}
QString TSpeechPage::englishName() const {
    return Q(selection_.ListEN().SelectedName());
}
bool TSpeechPage::enabledRU() const {
    return EnabledRU->isChecked();
}
bool TSpeechPage::enabledEN() const {
    return EnabledEN->isChecked();
}

void TSpeechPage::BtnTestRUClick() {
    ru_->Speak(kTestPhraseRU);
}
void TSpeechPage::BtnTestENClick() {
    en_->Speak(kTestPhraseEN);
}

// At least one language stays on: switching one off switches the other on.
void TSpeechPage::EnabledRUClick() {
    if (!EnabledRU->isChecked()) EnabledEN->setChecked(true);
}
void TSpeechPage::EnabledENClick() {
    if (!EnabledEN->isChecked()) EnabledRU->setChecked(true);
}

void TSpeechPage::CBoxRUChange() {
    selection_.ChangeRU(CBoxRU->currentIndex());
}
void TSpeechPage::CBoxENChange() {
    selection_.ChangeEN(CBoxEN->currentIndex());
}

}  // namespace vernalo
