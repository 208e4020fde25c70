#include "app/controllers/windowparts.h"

#include <QGuiApplication>
#include <QMessageBox>

#include "app/window/documentpages.h"

namespace vernalo {

void Messages::show(const QString& text) const {
    if (onMessage_) onMessage_(text);
    if (!showBoxes_) return;
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent_);
    box.exec();
}

TextEditor* WindowParts::editor() const {
    return documents.editor();
}

BrowserPage* WindowParts::browser() const {
    return documents.browser();
}

}  // namespace vernalo
