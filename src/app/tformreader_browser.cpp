// The window's browser page: address bar and list, page switching, page-load progress, and
// taking the page shown into the editor.

#include <QLineEdit>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/tformreader.h"
#include "documents/browserpage.h"

namespace vernalo {

void TFormReader::setupBrowserPage() {
    if (browserPage_) return;
    browserPage_ = new TBrowserPage(TSheeHTML);
    auto* v = new QVBoxLayout(TSheeHTML);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(browserPage_);

    connect(browserPage_, &TBrowserPage::goRequested, this, [this] {
        pageChangeFromCode_ = true;
        PagesDocument->setCurrentIndex(1);
        pageChangeFromCode_ = false;
        SpeedButton1->setEnabled(false);
    });
    connect(browserPage_, &TBrowserPage::urlsChanged, this, [this] {
        urls_ = browserPage_->urls();
        // The list lives only in the settings file: a change left unwritten would be lost.
        SettingsChanged = true;
    });
    connect(browserPage_, &TBrowserPage::progressChange, this,
            &TFormReader::CppWebBrowser1ProgressChange);
    connect(browserPage_, &TBrowserPage::navigationRefused, this,
            [this](const QString& text) { showMessage(text); });
    connect(PagesDocument, &QTabWidget::currentChanged, this, [this] {
        if (!pageChangeFromCode_) PagesDocumentChange();
    });
}

void TFormReader::showUrlsInBrowserPage(const std::u16string& addressText) {
    if (browserPage_) browserPage_->setUrls(urls_, addressText);
}

void TFormReader::PagesDocumentChange() {
    if (PagesDocument->currentIndex() == 1) {
        MemoText->hide();
        STextFileName->hide();
        SpeedButton1->setEnabled(false);
        // The Speech page shows, whichever was showing; the buttons keep their states.
        PageControl1->setCurrentIndex(0);
    } else {
        MemoText->show();
        STextFileName->show();
        SpeedButton1->setEnabled(true);
    }
}

void TFormReader::btnGOClick() {
    if (browserPage_) browserPage_->btnGOClick();
}

void TFormReader::CppWebBrowser1ProgressChange(int progress, int maximum) {
    ProgressBar1->setMaximum(maximum);
    ProgressBar1->setValue(progress);
}

void TFormReader::GetBrowserText() {
    // The page's source is text, never rich text, whatever its first bytes look like; no page
    // to take leaves the editor empty.
    const std::u16string text = browserPage_ ? browserPage_->PageText() : std::u16string();
    MemoText->setPlainText(QString::fromStdU16String(text));
}

void TFormReader::OpenInBrowserPage(const QString& path) {
    STextFileName->hide();
    pageChangeFromCode_ = true;
    PagesDocument->setCurrentIndex(1);
    pageChangeFromCode_ = false;
    browserPage_->setAddressText(path);  // the list itself stays as it is
    SpeedButton1->setEnabled(false);
    QString error;
    if (!browserPage_->Navigate(path, &error) && !error.isEmpty()) showMessage(error);
}

}  // namespace vernalo
