#pragma once
// The document area's browser page: the address bar (remove, add, address box, "GO!") over
// an embedded browser. The browser itself is made the first time it is needed, so a run
// that never browses never starts the web engine.

#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QToolButton;
class QPushButton;
class QVBoxLayout;
class QWebEngineView;

namespace vernalo {

class BrowserPage : public QWidget {
    Q_OBJECT
public:
    explicit BrowserPage(QWidget* parent = nullptr);
    ~BrowserPage() override;

    // The address list and the box's text, as the settings file keeps them.
    void setUrls(const std::vector<std::u16string>& urls, const std::u16string& editText);
    std::vector<std::u16string> urls() const;
    QString addressText() const;
    void setAddressText(const QString& text);

    // The handlers, public so that the window and tests can run them as the user would.
    void go();
    void addAddress();
    void removeAddress();
    void addressKeyReleased(int key);

    // Loads what the user typed (URL, local path or host name). An address the page does
    // not open is refused: false, and `error` says why.
    bool navigate(const QString& typed, QString* error = nullptr);

    // The browser, made on first call.
    QWebEngineView* browser();
    bool browserCreated() const { return view_ != nullptr; }
    bool busy() const;
    QUrl location() const;

    // The current page's source and, for a frameset of two or more frames, each frame's
    // after its marker line: what the editor receives. Empty while the browser is busy, when
    // there is no page or it is "about:blank". Frames of other origins are read through a
    // script the page cannot see; a frame that does not answer within `frameWaitMs` is
    // skipped. `done` runs once, later, on this thread.
    void requestPageText(std::function<void(std::u16string)> done, int frameWaitMs = 1500);
    // The same, waiting for the answer (the window keeps processing events meanwhile).
    std::u16string pageText(int frameWaitMs = 1500);

    QComboBox* addressBox() const { return addressBox_; }
    QPushButton* goButton() const { return goButton_; }
    QToolButton* addButton() const { return addButton_; }
    QToolButton* removeButton() const { return removeButton_; }

signals:
    // "GO!" or Enter, before the page loads: the window brings the browser page to the front.
    void goRequested();
    // The address list changed through add or remove.
    void urlsChanged();
    // Page-load progress so far and its maximum.
    void progressChange(int progress, int maximum);
    void loadFinished(bool ok);
    // An address was refused; the text says which and why.
    void navigationRefused(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createBrowser();

    QComboBox* addressBox_ = nullptr;
    QPushButton* goButton_ = nullptr;
    QToolButton* addButton_ = nullptr;
    QToolButton* removeButton_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    QWebEngineView* view_ = nullptr;  // a child: goes with the page
    QString secret_;  // shared only by our frame scripts, so pages cannot ask for frames
    quint64 requestId_ = 0;
    bool waiting_ = false;  // PageText is waiting: a second ask gets nothing
};

}  // namespace vernalo
