#include "app/window/documentpages.h"

#include <QLineEdit>
#include <QVBoxLayout>

#include "app/window/texteditor.h"
#include "browser/browserpage.h"

namespace vernalo {

DocumentPages::DocumentPages(QWidget* parent) : QTabWidget(parent) {
    setObjectName(QStringLiteral("documentPages"));
    setTabPosition(QTabWidget::South);

    auto* textPage = new QWidget(this);
    textPage->setObjectName(QStringLiteral("textPage"));
    auto* v = new QVBoxLayout(textPage);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    fileName_ = new QLineEdit(textPage);
    fileName_->setObjectName(QStringLiteral("fileName"));
    fileName_->setReadOnly(true);
    fileName_->setFrame(false);
    fileName_->setAccessibleName(tr("Document file"));
    fileName_->setFocusPolicy(Qt::ClickFocus);
    QPalette pal = fileName_->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    pal.setColor(QPalette::Text, pal.color(QPalette::Highlight));
    fileName_->setPalette(pal);
    QFont nf = fileName_->font();
    nf.setPixelSize(13);
    fileName_->setFont(nf);
    v->addWidget(fileName_);
    editor_ = new TextEditor(textPage);
    v->addWidget(editor_, 1);
    addTab(textPage, tr("Text1"));

    // The address bar is there from the start; the browser itself comes on first use.
    auto* browserTab = new QWidget(this);
    browserTab->setObjectName(QStringLiteral("browserTab"));
    browser_ = new BrowserPage(browserTab);
    auto* b = new QVBoxLayout(browserTab);
    b->setContentsMargins(0, 0, 0, 0);
    b->addWidget(browser_);
    addTab(browserTab, tr("Browser"));

    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (!changingFromCode_) emit pageChosen(static_cast<DocumentPage>(index));
    });
}

void DocumentPages::showPage(DocumentPage page) {
    changingFromCode_ = true;
    setCurrentIndex(static_cast<int>(page));
    changingFromCode_ = false;
}

}  // namespace vernalo
