#include "browser/browserpage.h"

#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <chrono>
#include <memory>
#include <optional>

#include "browser/addressrules.h"

namespace vernalo {

Q_LOGGING_CATEGORY(lcBrowser, "vernalo.browser", QtWarningMsg)
namespace {

// Runs in every frame but the top one, in a script world of its own that the page's
// scripts cannot reach. Asked by its parent with the secret, it answers with the frame's
// HTML over the port that came with the question, which only the asker holds: this is how
// frames of another origin are read, and why no page can use it to read them.
const char kFrameScript[] = R"js((function () {
  if (window === window.top) return;
  var secret = '%SECRET%';
  window.addEventListener('message', function (e) {
    var d = e.data;
    if (!d || d.vernaloAsk !== secret || e.source !== window.parent || !e.ports || !e.ports.length)
      return;
    e.stopImmediatePropagation();
    var html = '';
    try { html = document.documentElement ? document.documentElement.outerHTML : ''; } catch (x) {}
    e.ports[0].postMessage({ html: html });
    e.ports[0].close();
  }, true);
})();)js";

// Starts reading the top page's frames; gives their number. Same-origin frames are read
// at once, the others are asked through kFrameScript.
const char kCollectScript[] = R"js((function () {
  var secret = '%SECRET%';
  var n = window.frames.length;
  var c = { id: %ID%, pending: 0, html: [], deadline: Date.now() + %WAIT% };
  window.__vernaloFrames = c;
  if (n < 2) return n;
  for (var i = 0; i < n; ++i) {
    c.html.push(null);
    var f = window.frames[i];
    try {
      var d = f.document;
      if (d && d.documentElement) { c.html[i] = d.documentElement.outerHTML; continue; }
    } catch (x) {}
    c.pending++;
    (function (i, f) {
      var ch = new MessageChannel();
      ch.port1.onmessage = function (e) {
        if (c.html[i] === null && e.data && typeof e.data.html === 'string') {
          c.html[i] = e.data.html;
          c.pending--;
        }
        ch.port1.close();
      };
      try { f.postMessage({ vernaloAsk: secret }, '*', [ch.port2]); } catch (x) {}
    })(i, f);
  }
  return n;
})())js";

// The frames' sources once all answered or the wait is over; null while waiting; false
// when the page was replaced meanwhile.
const char kPollScript[] = R"js((function () {
  var c = window.__vernaloFrames;
  if (!c || c.id !== %ID%) return false;
  if (c.pending > 0 && Date.now() < c.deadline) return null;
  return c.html;
})())js";

QString Fill(const char* source, const QString& secret, quint64 id, int waitMs) {
    QString s = QString::fromUtf8(source);
    s.replace(QStringLiteral("%SECRET%"), secret);
    s.replace(QStringLiteral("%ID%"), QString::number(id));
    s.replace(QStringLiteral("%WAIT%"), QString::number(waitMs));
    return s;
}

QString NewSecret() {
    QString s;
    for (int i = 0; i < 4; ++i)
        s += QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, u'0');
    return s;
}

QToolButton* IconButton(const char* name, const QString& hint, const char* theme,
                        const QString& text, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    b->setText(text);
    b->setIcon(QIcon::fromTheme(QLatin1String(theme)));
    b->setFocusPolicy(Qt::StrongFocus);
    b->setAutoRaise(true);
    return b;
}

struct TextRequest {
    std::function<void(std::u16string)> done;
    std::u16string page;
    std::vector<std::optional<std::u16string>> frames;
    bool havePage = false;
    bool haveFrames = false;
    bool finished = false;
    std::chrono::steady_clock::time_point giveUp;

    void finishIfComplete() {
        if (finished || !havePage || !haveFrames) return;
        finished = true;
        done(BrowserText(page, frames));
    }
};

}  // namespace

BrowserPage::BrowserPage(QWidget* parent) : QWidget(parent), secret_(NewSecret()) {
    setObjectName(QStringLiteral("browserPage"));
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(2);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(2);

    removeButton_ = IconButton("removeAddressButton", tr("Remove address"), "list-remove",
                               QStringLiteral("-"), this);
    addButton_ =
        IconButton("addAddressButton", tr("Add address"), "list-add", QStringLiteral("+"), this);
    addressBox_ = new QComboBox(this);
    addressBox_->setObjectName(QStringLiteral("addressBox"));
    addressBox_->setEditable(true);
    // The list changes only through add and remove, never by Enter.
    addressBox_->setInsertPolicy(QComboBox::NoInsert);
    addressBox_->setDuplicatesEnabled(true);
    addressBox_->setAccessibleName(tr("Address"));
    addressBox_->setToolTip(tr("Address"));
    addressBox_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    addressBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    addressBox_->setMinimumContentsLength(20);
    // Typed keys reach the combo box, which hands them to its line edit directly (past any
    // filter); events sent to the line edit itself come the usual way. Watch both.
    addressBox_->installEventFilter(this);
    addressBox_->lineEdit()->installEventFilter(this);
    goButton_ = new QPushButton(tr("GO!"), this);
    goButton_->setObjectName(QStringLiteral("goButton"));
    goButton_->setAutoDefault(false);

    bar->addWidget(removeButton_);
    bar->addWidget(addButton_);
    bar->addWidget(addressBox_, 1);
    bar->addWidget(goButton_);
    layout_->addLayout(bar);
    layout_->addStretch(1);  // replaced by the browser when it is made

    connect(removeButton_, &QToolButton::clicked, this, [this] { removeAddress(); });
    connect(addButton_, &QToolButton::clicked, this, [this] { addAddress(); });
    connect(goButton_, &QPushButton::clicked, this, [this] { go(); });
}

BrowserPage::~BrowserPage() = default;

void BrowserPage::setUrls(const std::vector<std::u16string>& urls, const std::u16string& editText) {
    const QSignalBlocker block(addressBox_);
    addressBox_->clear();
    for (const auto& u : urls)
        addressBox_->addItem(QString::fromStdU16String(u));
    addressBox_->setCurrentIndex(-1);
    addressBox_->setEditText(QString::fromStdU16String(editText));
}

std::vector<std::u16string> BrowserPage::urls() const {
    std::vector<std::u16string> list;
    for (int i = 0; i < addressBox_->count(); ++i)
        list.push_back(addressBox_->itemText(i).toStdU16String());
    return list;
}

QString BrowserPage::addressText() const {
    return addressBox_->currentText();
}

void BrowserPage::setAddressText(const QString& text) {
    addressBox_->setEditText(text);
}

void BrowserPage::go() {
    emit goRequested();
    QString error;
    if (!navigate(addressText(), &error) && !error.isEmpty()) {
        qCInfo(lcBrowser) << "address refused:" << error;
        emit navigationRefused(error);
    }
}

void BrowserPage::addressKeyReleased(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    goButton_->setFocus(Qt::OtherFocusReason);
    go();
}

void BrowserPage::addAddress() {
    const QString text = addressText();
    std::vector<std::u16string> list = urls();
    AddUrl(list, text.toStdU16String());
    setUrls(list, text.toStdU16String());
    emit urlsChanged();
}

void BrowserPage::removeAddress() {
    const QString text = addressText();
    std::vector<std::u16string> list = urls();
    if (RemoveUrl(list, text.toStdU16String()) == 0) return;
    setUrls(list, text.toStdU16String());
    emit urlsChanged();
}

bool BrowserPage::navigate(const QString& typed, QString* error) {
    const Address a = ResolveAddress(typed.toStdU16String(), QDir::homePath().toStdU16String(),
                                     QDir::currentPath().toStdU16String());
    QUrl url;
    if (a.kind != AddressKind::Empty && a.kind != AddressKind::Invalid)
        url = QUrl(QString::fromStdU16String(a.url), QUrl::TolerantMode);
    if (!url.isValid() || url.isEmpty()) {
        // Nothing typed is nothing to do; anything else deserves a word.
        if (error)
            *error = a.kind == AddressKind::Empty
                         ? QString()
                         : tr("Cannot open the address \"%1\": it is neither a web "
                              "address nor a file path.")
                               .arg(typed.trimmed());
        return false;
    }
    browser()->load(url);
    return true;
}

QWebEngineView* BrowserPage::browser() {
    if (!view_) createBrowser();
    return view_;
}

void BrowserPage::createBrowser() {
    view_ = new QWebEngineView(this);
    view_->setObjectName(QStringLiteral("browser"));
    view_->setAccessibleName(tr("Web page"));
    // A file dropped on the page opens as Open opens it (the window takes the drop), rather
    // than the page navigating to it past the address rules.
    view_->setAcceptDrops(false);
    QWebEnginePage* page = view_->page();
    // Remote pages keep the engine's defaults; local pages may read local files (their
    // frames) but never remote ones; no plug-ins.
    QWebEngineSettings* s = page->settings();
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);

    QWebEngineScript script;
    script.setName(QStringLiteral("vernalo-frame-source"));
    script.setSourceCode(Fill(kFrameScript, secret_, 0, 0));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(true);
    page->scripts().insert(script);

    connect(view_, &QWebEngineView::loadProgress, this,
            [this](int progress) { emit progressChange(progress, 100); });
    connect(view_, &QWebEngineView::loadFinished, this, [this](bool ok) {
        emit progressChange(0, 100);  // a finished load leaves no half-full bar behind
        emit loadFinished(ok);
    });

    // The browser takes the stretch's place below the address bar.
    if (QLayoutItem* stretch = layout_->takeAt(1)) delete stretch;
    layout_->addWidget(view_, 1);
}

bool BrowserPage::busy() const {
    return view_ && view_->page()->isLoading();
}

QUrl BrowserPage::location() const {
    return view_ ? view_->url() : QUrl();
}

void BrowserPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    browser();
}

bool BrowserPage::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == addressBox_ || watched == addressBox_->lineEdit()) &&
        event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) addressKeyReleased(key->key());
    }
    return QWidget::eventFilter(watched, event);
}

void BrowserPage::requestPageText(std::function<void(std::u16string)> done, int frameWaitMs) {
    const QUrl shown = location();
    if (!view_ || busy() || shown.isEmpty() || shown.toString() == QStringLiteral("about:blank")) {
        QTimer::singleShot(0, this, [done = std::move(done)] { done({}); });
        return;
    }
    auto req = std::make_shared<TextRequest>();
    req->done = std::move(done);
    // Past this the renderer is taken as stuck and the frames as unreadable.
    req->giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(frameWaitMs + 2000);
    const quint64 id = ++requestId_;
    QWebEnginePage* page = view_->page();
    QPointer<BrowserPage> self(this);

    page->toHtml([req](const QString& html) {
        req->page = html.toStdU16String();
        req->havePage = true;
        req->finishIfComplete();
    });

    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [self, req, id, poll](int count) {
        if (!self || !self->view_) return;
        self->view_->page()->runJavaScript(
            Fill(kPollScript, self->secret_, id, 0), QWebEngineScript::ApplicationWorld,
            [self, req, poll, count](const QVariant& v) {
                if (req->finished || req->haveFrames) return;
                const bool late = std::chrono::steady_clock::now() > req->giveUp;
                if (v.typeId() == QMetaType::QVariantList) {
                    const QVariantList list = v.toList();
                    req->frames.assign(static_cast<std::size_t>(count), std::nullopt);
                    for (int i = 0; i < count && i < list.size(); ++i)
                        if (list[i].typeId() == QMetaType::QString)
                            req->frames[static_cast<std::size_t>(i)] =
                                list[i].toString().toStdU16String();
                } else if (v.isValid() || late || !self) {
                    // The page went away meanwhile, or never answered: no frame is read.
                    req->frames.assign(static_cast<std::size_t>(count), std::nullopt);
                } else {
                    QTimer::singleShot(10, self, [poll, count] { (*poll)(count); });
                    return;
                }
                req->haveFrames = true;
                req->finishIfComplete();
                *poll = nullptr;  // ends the self-reference
            });
    };

    page->runJavaScript(Fill(kCollectScript, secret_, id, frameWaitMs),
                        QWebEngineScript::ApplicationWorld, [req, poll](const QVariant& v) {
                            const int n = v.isValid() ? v.toInt() : 0;
                            if (n < 2) {
                                req->haveFrames = true;  // a single frame or none
                                req->finishIfComplete();
                                *poll = nullptr;
                                return;
                            }
                            (*poll)(n);
                        });
}

std::u16string BrowserPage::pageText(int frameWaitMs) {
    if (waiting_) return {};
    waiting_ = true;
    struct State {
        std::u16string text;
        bool got = false;
        QEventLoop* loop = nullptr;
    };
    auto state = std::make_shared<State>();
    QEventLoop loop;
    state->loop = &loop;
    requestPageText(
        [state](std::u16string text) {
            state->text = std::move(text);
            state->got = true;
            if (state->loop) state->loop->quit();
        },
        frameWaitMs);
    if (!state->got) {
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        guard.start(frameWaitMs + 5000);
        loop.exec();
    }
    state->loop = nullptr;
    waiting_ = false;
    return state->got ? std::move(state->text) : std::u16string();
}

}  // namespace vernalo
