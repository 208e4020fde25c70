#pragma once
// Opens a document in the window as Open does and waits for the reading to end.

#include <QSignalSpy>
#include <QString>

#include "app/controllers/documentcommands.h"
#include "app/window/mainwindow.h"

namespace vernalo::test {

// True when the document was read; false when it was refused (or nothing came in 20 s).
inline bool OpenAndWait(MainWindow& w, const QString& path) {
    DocumentCommands& documents = w.controllers().documents;
    QSignalSpy finished(&documents, &DocumentCommands::openFinished);
    documents.openDocument(path);
    if (finished.isEmpty() && !finished.wait(20000)) return false;
    return finished.first().at(1).toBool();
}

inline bool OpenAndWait(MainWindow& w, const std::string& path) {
    return OpenAndWait(w, QString::fromStdString(path));
}

}  // namespace vernalo::test
