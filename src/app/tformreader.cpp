#include "app/tformreader.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/editorfont.h"
#include "app/finddialog.h"
#include "dict/libraryloader.h"
#include "documents/fileio.h"
#include "speech/speechpage.h"
#include "tray/dcmintray.h"

namespace vernalo {
namespace {

QString Q(std::u16string_view s) {
    return QString::fromStdU16String(std::u16string(s));
}
std::u16string U(const QString& s) {
    return s.toStdU16String();
}

QIcon Icon(const char* theme, const char* file) {
    return QIcon::fromTheme(
        QLatin1String(theme),
        QIcon(QStringLiteral(":/icons/") + QLatin1String(file) + QStringLiteral(".svg")));
}

QLabel* BoldLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

// A spin box driven only by its arrows and keys, as the repeat counts are.
QSpinBox* RepeatBox(const char* name, const QString& hint, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(TReadingSession::kMinRepeat, TReadingSession::kMaxRepeat);
    box->setWrapping(false);
    box->setValue(1);
    box->setToolTip(hint);
    box->setAccessibleName(hint);
    box->findChild<QLineEdit*>()->setReadOnly(true);
    box->setFixedWidth(56);
    return box;
}

}  // namespace

TFormReader::TFormReader(Options options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
    setObjectName(QStringLiteral("FormReader"));
    setWindowTitle(QStringLiteral("Vernalo 2.1"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vernalo.svg")));

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    setupToolbars();
    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addWidget(ToolBar5);
    top->addWidget(ToolBar2, 1);
    top->addWidget(TBarExit);
    column->addLayout(top);

    setupSettingsPages();
    column->addWidget(PageControl1);
    setupDocumentPages();
    column->addWidget(PagesDocument, 1);
    setupStatusBar();
    setupBrowserPage();
    setupSession();

    lastDialogFont_ = QFont(QStringLiteral("MS Sans Serif"), 8);

    // Minimizing hides the window to the notification area, where the desktop has one.
    DCMinTray = new TDCMinTray(this);
    DCMinTray->SetHint(QStringLiteral("Vernalo 2.0"));
    DCMinTray->Loaded();
}

TFormReader::~TFormReader() = default;

QToolButton* TFormReader::addButton(QToolBar* bar, const char* name, const QString& hint,
                                    const char* theme, const char* icon,
                                    void (TFormReader::*handler)()) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setAccessibleName(hint.trimmed());
    b->setIcon(Icon(theme, icon));
    b->setIconSize(QSize(24, 24));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::StrongFocus);
    bar->addWidget(b);
    if (handler) connect(b, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
    return b;
}

void TFormReader::setupToolbars() {
    ToolBar5 = new QToolBar(this);
    ToolBar5->setObjectName(QStringLiteral("ToolBar5"));
    ToolBar5->setMovable(false);
    SBNew = addButton(ToolBar5, "SBNew", QStringLiteral("Clear"), "edit-clear", "clear",
                      &TFormReader::SBNewClick);
    SBSave = addButton(ToolBar5, "SBSave", QStringLiteral("Save text "), "document-save", "save",
                       &TFormReader::SBSaveClick);
    ToolBar5->addSeparator();
    SBOpen = addButton(ToolBar5, "SBOpen", QStringLiteral("Load text for reading"), "document-open",
                       "open", &TFormReader::SBOpenClick);
    SBClip = addButton(ToolBar5, "SBClip", QStringLiteral("Paste text from clipboard"),
                       "edit-paste", "paste", &TFormReader::SBClipClick);
    SBHTML2TXT = addButton(ToolBar5, "SBHTML2TXT", QStringLiteral("Transform  HTML to text"),
                           "text-html", "html2text", &TFormReader::SBHTML2TXTClick);
    ToolBar5->addSeparator();
    SpeedButton5 = addButton(ToolBar5, "SpeedButton5", QStringLiteral("Find in text"), "edit-find",
                             "find", &TFormReader::SpeedButton5Click);
    ToolBar5->addSeparator();
    // Say has its own two images; the desktop theme has none that says "pause reading".
    SBSay = addButton(ToolBar5, "SBSay", QStringLiteral("Say text/Pause"), "", "say", nullptr);
    SBSay->setCheckable(true);
    SBSay->setShortcut(QKeySequence(Qt::Key_F5));
    connect(SBSay, &QToolButton::clicked, this, [this] { SBSayClick(); });
    SBRepeat = addButton(ToolBar5, "SBRepeat", QStringLiteral("Repeat text"),
                         "media-playlist-repeat", "repeat", nullptr);
    SBRepeat->setCheckable(true);
    ToolBar5->addSeparator();

    ToolBar2 = new QToolBar(this);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setMovable(false);
    ToolBar2->addSeparator();
    SpeedButton3 = addButton(ToolBar2, "SpeedButton3", QStringLiteral("Speech settings"),
                             "audio-speakers", "speech-settings", &TFormReader::SpeedButton3Click);
    SpeedButton2 = addButton(ToolBar2, "SpeedButton2", QStringLiteral("Options"),
                             "preferences-system", "options", &TFormReader::SpeedButton2Click);
    SpeedButton1 = addButton(ToolBar2, "SpeedButton1", QStringLiteral("Font settings"),
                             "preferences-desktop-font", "font", &TFormReader::SpeedButton1Click);
    for (QToolButton* b : {SpeedButton3, SpeedButton2, SpeedButton1})
        b->setCheckable(true);
    SpeedButton3->setChecked(true);

    TBarExit = new QToolBar(this);
    TBarExit->setObjectName(QStringLiteral("TBarExit"));
    TBarExit->setMovable(false);
    SBExit = addButton(TBarExit, "SBExit", QStringLiteral("Exit"), "application-exit", "exit",
                       &TFormReader::SBExitClick);
}

void TFormReader::setupSettingsPages() {
    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    struct PageDef {
        const char* name;
        QString caption;
        QString hint;
    };
    const PageDef defs[] = {
        {"TSheetSpeech", QStringLiteral("Speech"), QStringLiteral("Settings for SpeechEngines")},
        {"TSheetOptions", QStringLiteral("TSheetOptions"), QStringLiteral("Options")},
        {"TSheetFont", QStringLiteral("Font"), QString()},
    };
    for (const PageDef& d : defs) {
        auto* page = new QWidget(PageControl1);
        page->setObjectName(QLatin1String(d.name));
        page->setToolTip(d.hint);
        page->setAccessibleName(d.caption);
        PageControl1->addWidget(page);
    }
    if (options_.voices) {
        auto [ru, en] = options_.voices();
        speechPage_ = new TSpeechPage(std::move(ru), std::move(en), PageControl1->widget(0));
    } else {
        speechPage_ = new TSpeechPage(PageControl1->widget(0));
    }
    auto* speechLayout = new QHBoxLayout(PageControl1->widget(0));
    speechLayout->setContentsMargins(2, 0, 2, 2);
    speechLayout->addWidget(speechPage_);
    connect(speechPage_, &TSpeechPage::settingsChanged, this, [this] { SettingsChanged = true; });
    connect(speechPage_, &TSpeechPage::speechProblem, this,
            [this](const QString& text) { setPanelText(3, text); });
    setupOptionsPage(PageControl1->widget(1));
    setupFontPage(PageControl1->widget(2));
    PageControl1->setCurrentIndex(0);
    PageControl1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TFormReader::setupOptionsPage(QWidget* page) {
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(2, 0, 2, 2);
    auto* GroupBox2 = new QGroupBox(page);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setFixedWidth(217);
    auto* g2 = new QGridLayout(GroupBox2);
    g2->setContentsMargins(8, 4, 8, 4);
    // Both boxes carry "Repeat" as their own caption, hidden by their width; the labels beside
    // them say what they do, and are their accessible names.
    ChBRepWord = new QCheckBox(GroupBox2);
    ChBRepWord->setObjectName(QStringLiteral("ChBRepWord"));
    ChBRepWord->setAccessibleName(QStringLiteral("Repeating a words"));
    ChBRepSent = new QCheckBox(GroupBox2);
    ChBRepSent->setObjectName(QStringLiteral("ChBRepSent"));
    ChBRepSent->setAccessibleName(QStringLiteral("Repeaing a sentences"));
    ChBRepSent->setChecked(true);
    auto* lw = BoldLabel(QStringLiteral("Repeating a words"), GroupBox2);
    auto* ls = BoldLabel(QStringLiteral("Repeaing a sentences"), GroupBox2);
    lw->setBuddy(ChBRepWord);
    ls->setBuddy(ChBRepSent);
    g2->addWidget(ChBRepWord, 0, 0);
    g2->addWidget(lw, 0, 1);
    g2->addWidget(ChBRepSent, 1, 0);
    g2->addWidget(ls, 1, 1);
    // Only a mouse click runs the pairing handler; the keyboard toggles just the box.
    ChBRepWord->installEventFilter(this);
    ChBRepSent->installEventFilter(this);

    auto* GroupBox4 = new QGroupBox(page);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    auto* g4 = new QGridLayout(GroupBox4);
    g4->setContentsMargins(8, 4, 8, 4);
    EdRURep = RepeatBox("EdRURep", QStringLiteral("Repeat Russian Word/Sentence"), GroupBox4);
    EdENRep = RepeatBox("EdENRep", QStringLiteral("Repeat English Word/Sentence"), GroupBox4);
    auto* lr = BoldLabel(QStringLiteral("Russian"), GroupBox4);
    auto* le = BoldLabel(QStringLiteral("English"), GroupBox4);
    lr->setBuddy(EdRURep);
    le->setBuddy(EdENRep);
    g4->addWidget(lr, 0, 0);
    g4->addWidget(EdRURep, 0, 1);
    g4->addWidget(le, 1, 0);
    g4->addWidget(EdENRep, 1, 1);
    g4->setColumnStretch(2, 1);
    row->addWidget(GroupBox2);
    row->addWidget(GroupBox4, 1);
}

void TFormReader::setupFontPage(QWidget* page) {
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(2, 0, 2, 2);
    auto* GroupBox3 = new QGroupBox(page);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setToolTip(QStringLiteral("Font "));
    GroupBox3->setAccessibleName(QStringLiteral("Font"));
    row->addWidget(GroupBox3);
    auto* g = new QGridLayout(GroupBox3);
    g->setContentsMargins(8, 4, 8, 4);
    auto readOnly = [&](const char* name, const QString& text, int width) {
        auto* e = new QLineEdit(text, GroupBox3);
        e->setObjectName(QLatin1String(name));
        e->setReadOnly(true);
        e->setFixedWidth(width);
        return e;
    };
    EdFontName = readOnly("EdFontName", QStringLiteral("EdFontName"), 201);
    EdFontSize = readOnly("EdFontSize", QStringLiteral("Edit3"), 49);
    EdFontColor = readOnly("EdFontColor", QString(), 25);
    EdFontColor->setFocusPolicy(Qt::NoFocus);
    auto* Button1 = new QPushButton(QStringLiteral("..."), GroupBox3);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAccessibleName(QStringLiteral("Choose font"));
    Button1->setFixedWidth(49);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    auto* Button2 = new QPushButton(QStringLiteral("Dos2Win"), GroupBox3);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setToolTip(QStringLiteral("Transformation  DOS to WIN"));
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    auto* ln = BoldLabel(QStringLiteral("Font Name"), GroupBox3);
    auto* ls = BoldLabel(QStringLiteral("Font Size"), GroupBox3);
    auto* lc = BoldLabel(QStringLiteral("Font Color"), GroupBox3);
    ln->setBuddy(EdFontName);
    ls->setBuddy(EdFontSize);
    EdFontName->setAccessibleName(QStringLiteral("Font Name"));
    EdFontSize->setAccessibleName(QStringLiteral("Font Size"));
    EdFontColor->setAccessibleName(QStringLiteral("Font Color"));
    g->addWidget(ln, 0, 0);
    g->addWidget(EdFontName, 0, 1, 1, 3);
    g->addWidget(Button1, 0, 4);
    g->addWidget(Button2, 0, 5);
    g->addWidget(ls, 1, 0);
    g->addWidget(EdFontSize, 1, 1);
    g->addWidget(lc, 1, 2, Qt::AlignRight);
    g->addWidget(EdFontColor, 1, 3);
    g->setColumnStretch(6, 1);
}

void TFormReader::setupDocumentPages() {
    PagesDocument = new QTabWidget(this);
    PagesDocument->setObjectName(QStringLiteral("PagesDocument"));
    PagesDocument->setTabPosition(QTabWidget::South);
    TabSheet1 = new QWidget(PagesDocument);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    auto* v = new QVBoxLayout(TabSheet1);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    STextFileName = new QLineEdit(TabSheet1);
    STextFileName->setObjectName(QStringLiteral("STextFileName"));
    STextFileName->setReadOnly(true);
    STextFileName->setFrame(false);
    STextFileName->setAccessibleName(QStringLiteral("Document file"));
    STextFileName->setFocusPolicy(Qt::ClickFocus);
    QPalette pal = STextFileName->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    pal.setColor(QPalette::Text, pal.color(QPalette::Highlight));
    STextFileName->setPalette(pal);
    QFont nf = STextFileName->font();
    nf.setPixelSize(13);
    STextFileName->setFont(nf);
    v->addWidget(STextFileName);

    MemoText = new QTextEdit(TabSheet1);
    MemoText->setObjectName(QStringLiteral("MemoText"));
    MemoText->setAccessibleName(QStringLiteral("Text"));
    MemoText->setAcceptRichText(true);
    MemoText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoText->setTabChangesFocus(false);
    // The piece being read stays highlighted while another control has the focus.
    QPalette mp = MemoText->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        mp.setColor(QPalette::Inactive, role, mp.color(QPalette::Active, role));
    MemoText->setPalette(mp);
    MemoText->installEventFilter(this);
    MemoText->viewport()->installEventFilter(this);
    watchEditorDocument();
    v->addWidget(MemoText, 1);
    PagesDocument->addTab(TabSheet1, QStringLiteral("Text1"));

    TSheeHTML = new QWidget(PagesDocument);
    TSheeHTML->setObjectName(QStringLiteral("TSheeHTML"));
    PagesDocument->addTab(TSheeHTML, QStringLiteral("Browser"));
}

void TFormReader::setupStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    const int widths[] = {100, 100, 100, 200, 50};
    const QString texts[] = {QStringLiteral("Column: 0"), QStringLiteral("String: 0"),
                             QStringLiteral("Strings: 0"), QString(), QString()};
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel(texts[i], bar);
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        l->setFixedWidth(widths[i]);
        l->setAlignment(i == 3 ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        bar->addWidget(l);
        panels_.push_back(l);
    }
    // Panel 4 is never written: the progress bar lies over it and the rest of the bar.
    ProgressBar1 = new QProgressBar(bar);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setAccessibleName(QStringLiteral("Progress"));
    bar->addPermanentWidget(ProgressBar1, 1);
}

void TFormReader::setupSession() {
    segmenter_.EnabledRU = [this] { return speechPage_->enabledRU(); };
    segmenter_.EnabledEN = [this] { return speechPage_->enabledEN(); };
    session_ = std::make_unique<TReadingSession>(*this, speechPage_->DSpeechRU(),
                                                 speechPage_->DSpeechEN(), segmenter_);
    sessionTimer_ = new QTimer(this);
    sessionTimer_->setInterval(5);
    connect(sessionTimer_, &QTimer::timeout, this, [this] {
        session_->Tick();
        if (!session_->Running()) sessionTimer_->stop();
    });
}

void TFormReader::watchEditorDocument() {
    connect(MemoText->document(), &QTextDocument::contentsChanged, this, [this] {
        TextChanged = true;
        // The user cannot type while reading; a change now is Open, Clear or a conversion.
        stopReadingReplacedText();
    });
}

void TFormReader::stopReadingReplacedText() {
    if (!session_ || !session_->Running()) return;
    ReleaseSay();
    session_->SayClicked(false);
    sessionTimer_->stop();
}

bool TFormReader::replaceEditorDocument(const std::function<bool(QTextDocument&)>& fill) {
    // A document filled before the editor shows it is laid out once, not after every block:
    // a 5 MB file opens several times faster.
    auto* doc = new QTextDocument(MemoText);
    doc->setDefaultFont(MemoText->document()->defaultFont());
    if (!fill(*doc)) {
        delete doc;
        return false;
    }
    MemoText->setDocument(doc);  // the old document, also a child of the editor, goes
    watchEditorDocument();
    stopReadingReplacedText();
    return true;
}

QString TFormReader::panelText(int index) const {
    return panels_.at(static_cast<std::size_t>(index))->text();
}

void TFormReader::setPanelText(int index, const QString& text) {
    if (index >= 0 && index < 4) panels_[static_cast<std::size_t>(index)]->setText(text);
}

int TFormReader::editorLineCount() const {
    const QTextDocument* doc = MemoText->document();
    int n = doc->blockCount();
    if (doc->lastBlock().length() <= 1) --n;  // a last empty line is not counted
    return n < 0 ? 0 : n;
}

void TFormReader::refreshCaretPanels() {
    setPanelText(0, QStringLiteral("Column: %1").arg(CaretColumn()));
    setPanelText(1, QStringLiteral("String: %1").arg(CaretLine()));
}

void TFormReader::refreshLineCount() {
    setPanelText(2, QStringLiteral("Strings: %1").arg(editorLineCount()));
}

void TFormReader::showMessage(const QString& text) {
    if (onMessage) onMessage(text);
    if (!options_.showMessages) return;
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, this);
    box.exec();
}

// ---- Start, activation, close ----

void TFormReader::FormCreate() {
    SettingsChanged = false;
    TextChanged = false;
    segmenter_.ReadPos = 1;
    startupProblems_.clear();

    BaseDir = options_.baseDir.empty()
                  ? ResolveBaseDir(QDir::currentPath().toStdString(), std::getenv("XDG_DATA_HOME"),
                                   std::getenv("HOME"))
                  : options_.baseDir;

    IniFile ini;
    std::string error;
    if (!IniFile::Load(SettingsPath(BaseDir), ini, &error))
        startupProblems_.push_back(QString::fromStdString(error));
    std::vector<std::string> badKeys;
    ReaderSettings s = ReadSettings(ini, &badKeys);
    for (const auto& key : badKeys)
        startupProblems_.push_back(
            QStringLiteral("Bad value for %1 in %2")
                .arg(QString::fromStdString(key), QString::fromStdString(SettingsPath(BaseDir))));
    fontColor_ = s.fontColor;
    setPanelText(0, QStringLiteral("Column: %1").arg(s.posX));
    setPanelText(1, QStringLiteral("String: %1").arg(s.posY));
    segmenter_.ReadPos = s.position;
    QFont font(Q(s.fontName));
    if (s.fontSize > 0) font.setPointSize(s.fontSize);
    ApplyEditorFont(font, s.fontColor);
    urls_ = s.urls;
    showUrlsInBrowserPage(s.urlEditText);

    // A missing last text is a first start, not a problem.
    const std::string textPath = TextPath(BaseDir);
    if (FileExists(textPath)) {
        std::string bytes;
        if (ReadWholeFile(textPath, bytes, &error))
            setEditorDocumentFromBytes(
                QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        else
            startupProblems_.push_back(QString::fromStdString(error));
    }
    refreshLineCount();

    const TSpeechPage::Restored voices =
        speechPage_->restore(Q(s.russianVoice), Q(s.englishVoice), Q(s.speedRU), Q(s.speedEN));
    if (!voices.problem.isEmpty()) startupProblems_.push_back(voices.problem);
    if (voices.loadDictRU) StartDictionaryLoader(u"RU");
    if (voices.loadDictEN) StartDictionaryLoader(u"EN");
}

void TFormReader::ShowStartupProblems() {
    if (!startupProblems_.empty()) showMessage(QLatin1String(kStartupProblem));
}

void TFormReader::FormActivate() {
    // With the browser page showing, the editor is hidden and keeps its caret.
    if (BrowserPageActive()) return;
    MemoText->setFocus(Qt::ActiveWindowFocusReason);
    QTextCursor c = MemoText->textCursor();
    const int last = MemoText->document()->characterCount() - 1;
    int at = std::clamp<int>(segmenter_.ReadPos - 1, 0, last);
    // Never between the two halves of a character outside the basic plane: typing there would
    // break it apart.
    const QTextDocument* doc = MemoText->document();
    if (at > 0 && doc->characterAt(at).isLowSurrogate() &&
        doc->characterAt(at - 1).isHighSurrogate())
        --at;
    c.setPosition(at);
    MemoText->setTextCursor(c);
    MemoText->ensureCursorVisible();
}

ReaderSettings TFormReader::collectSettings() const {
    ReaderSettings s;
    s.russianVoice = U(speechPage_->russianName());
    s.englishVoice = U(speechPage_->englishName());
    s.speedRU = U(QString::number(speechPage_->speedRU()));
    s.speedEN = U(QString::number(speechPage_->speedEN()));
    const QFont f = MemoText->document()->defaultFont();
    s.fontName = U(f.family());
    s.fontSize = f.pointSize() > 0 ? f.pointSize() : 8;
    s.fontColor = fontColor_;
    s.position = static_cast<int>(SelectionStart());
    s.posX = static_cast<int>(CaretColumn());
    s.posY = static_cast<int>(CaretLine());
    s.urls = urls_;
    return s;
}

void TFormReader::FormClose() {
    session_->Close();
    sessionTimer_->stop();
    std::string error;
    if ((SettingsChanged || TextChanged) && !MakeDirs(BaseDir + "/data", &error)) {
        showMessage(QLatin1String(kCloseProblem) + QString::fromStdString(BaseDir + "/data"));
        return;
    }
    // Each file is written whole or not at all; one failing does not keep the other from being
    // saved.
    if (SettingsChanged) {
        const std::string path = SettingsPath(BaseDir);
        IniFile ini;
        bool ok = IniFile::Load(path, ini, &error);
        if (ok) {
            WriteSettings(ini, collectSettings());
            ok = ini.Save(path, &error);
        }
        if (!ok) showMessage(QLatin1String(kCloseProblem) + QString::fromStdString(path));
    }
    if (TextChanged) {
        const std::string path = TextPath(BaseDir);
        if (!SaveEditorDocument(path, &error))
            showMessage(QLatin1String(kCloseProblem) + QString::fromStdString(path));
    }
}

void TFormReader::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    event->accept();
}

bool TFormReader::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) FormActivate();
    return QMainWindow::event(e);
}

bool TFormReader::eventFilter(QObject* watched, QEvent* e) {
    if ((watched == ChBRepWord || watched == ChBRepSent) &&
        e->type() == QEvent::MouseButtonRelease) {
        // Let the click toggle the box first, then pair the boxes as the handler does.
        QTimer::singleShot(0, this,
                           watched == ChBRepWord ? &TFormReader::ChBRepWordMouseUp
                                                 : &TFormReader::ChBRepSentMouseUp);
    }
    if ((watched == MemoText || watched == MemoText->viewport()) &&
        (e->type() == QEvent::KeyRelease || e->type() == QEvent::MouseButtonRelease)) {
        refreshCaretPanels();
    }
    return QMainWindow::eventFilter(watched, e);
}

// ---- Settings pages, font, Clear, Exit ----

void TFormReader::selectSettingsPage(int index, QToolButton* button) {
    // One group: pressing a button lowers it and raises the others; pressing the lowered
    // one raises it, so all three may be up.
    const bool down = button->isChecked();
    for (QToolButton* b : {SpeedButton3, SpeedButton2, SpeedButton1})
        if (b != button) b->setChecked(false);
    button->setChecked(down);
    PageControl1->setCurrentIndex(index);
}

void TFormReader::SpeedButton3Click() {
    selectSettingsPage(0, SpeedButton3);
}
void TFormReader::SpeedButton2Click() {
    selectSettingsPage(1, SpeedButton2);
}
void TFormReader::SpeedButton1Click() {
    selectSettingsPage(2, SpeedButton1);
}

void TFormReader::Button1Click() {
    SettingsChanged = true;  // even when the dialog is cancelled
    QFont font = lastDialogFont_;
    TColor color = lastDialogColor_;
    if (!ChooseFont(this, font, color)) return;
    lastDialogFont_ = font;
    lastDialogColor_ = color;
    ApplyEditorFont(font, color);
}

void TFormReader::ApplyEditorFont(const QFont& font, TColor color) {
    fontColor_ = color;
    MemoText->document()->setDefaultFont(font);
    MemoText->setFont(font);
    QPalette p = MemoText->palette();
    p.setColor(QPalette::Text, DisplayColor(color, palette()));
    MemoText->setPalette(p);
    showFontInControls(font, color);
}

void TFormReader::showFontInControls(const QFont& font, TColor color) {
    EdFontName->setText(font.family());
    EdFontSize->setText(QString::number(font.pointSize()));
    QPalette p = EdFontColor->palette();
    p.setColor(QPalette::Base, DisplayColor(color, palette()));
    EdFontColor->setPalette(p);
    EdFontColor->setToolTip(Q(FormatColor(color)));
}

void TFormReader::SBNewClick() {
    TextChanged = true;
    MemoText->clear();
    refreshLineCount();
}

void TFormReader::SBExitClick() {
    close();
}

// ---- Reading ----

void TFormReader::SBSayClick() {
    session_->SayClicked(SBSay->isChecked());
    if (session_->Running())
        sessionTimer_->start();
    else
        sessionTimer_->stop();
}

void TFormReader::ChBRepSentMouseUp() {
    ModeBoxes b = vernalo::ChBRepSentMouseUp({ChBRepSent->isChecked(), ChBRepWord->isChecked()});
    ChBRepSent->setChecked(b.RepSent);
    ChBRepWord->setChecked(b.RepWord);
}

void TFormReader::ChBRepWordMouseUp() {
    ModeBoxes b = vernalo::ChBRepWordMouseUp({ChBRepSent->isChecked(), ChBRepWord->isChecked()});
    ChBRepSent->setChecked(b.RepSent);
    ChBRepWord->setChecked(b.RepWord);
}

std::u16string TFormReader::EditorText() const {
    // Raw text keeps one unit per editor position. Paragraph and line separators, and the
    // marks where a table and each of its cells begin and end, read as line breaks; an image
    // reads as a space. Left as they are, they would glue the words around them into one.
    std::u16string text = U(MemoText->document()->toRawText());
    for (char16_t& c : text) {
        if (c == u'\u2029' || c == u'\u2028' || c == 0xFDD0 || c == 0xFDD1)
            c = u'\n';
        else if (c == u'\uFFFC')
            c = u' ';
    }
    return text;
}

long TFormReader::SelectionStart() const {
    return MemoText->textCursor().selectionStart();
}

void TFormReader::SetSelection(long start, long length) {
    const long last = MemoText->document()->characterCount() - 1;
    start = std::clamp(start, 0L, last);
    const long end = std::clamp(start + std::max(length, 0L), start, last);
    QTextCursor c(MemoText->document());
    c.setPosition(static_cast<int>(start));
    c.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
    MemoText->setTextCursor(c);
}

void TFormReader::SetReadOnly(bool readOnly) {
    MemoText->setReadOnly(readOnly);
}
void TFormReader::ScrollSelectionIntoView() {
    MemoText->ensureCursorVisible();
}
long TFormReader::CaretColumn() const {
    return MemoText->textCursor().positionInBlock();
}
long TFormReader::CaretLine() const {
    return MemoText->textCursor().blockNumber();
}
bool TFormReader::SayDown() const {
    return SBSay->isChecked();
}
void TFormReader::ReleaseSay() {
    SBSay->setChecked(false);
}

void TFormReader::SetSayGlyphs(int count) {
    SBSay->setIcon(Icon("", count == 1 ? "say-pause" : "say"));
}

bool TFormReader::DSpeaking() const {
    return speechPage_->DSpeechRU().Speaking() != 0 || speechPage_->DSpeechEN().Speaking() != 0;
}

bool TFormReader::RepeatDown() const {
    return SBRepeat->isChecked();
}
bool TFormReader::SentenceMode() const {
    return ChBRepSent->isChecked();
}
int TFormReader::RepeatRU() const {
    return EdRURep->value();
}
int TFormReader::RepeatEN() const {
    return EdENRep->value();
}
void TFormReader::SetStatusText(int panel, const std::u16string& text) {
    setPanelText(panel, Q(text));
}
bool TFormReader::BrowserPageActive() const {
    return PagesDocument->currentIndex() == 1;
}
void TFormReader::ImportBrowserPage() {
    GetBrowserText();
    HtmlToRtf();
}

void TFormReader::StartDictionaryLoader(const std::u16string& language) {
    setPanelText(3, QStringLiteral("Loading data ..."));
    auto* loader = StartLibraryLoader(
        QString::fromStdU16String(language), ProgressBar1, dictionaries,
        [this](const QString& text) { setPanelText(3, text); }, QString::fromStdString(BaseDir),
        options_.dictionaryDir.isEmpty() ? InstalledDictionaryDir() : options_.dictionaryDir, this);
    connect(loader, &TThreadForLoadLibrary::problem, this, &TFormReader::showMessage);
}

}  // namespace vernalo
