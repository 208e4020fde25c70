#pragma once
// The plain text of a saved last-text file, as the editor would show it.

#include <QByteArray>
#include <QString>
#include <QTextDocument>
#include <string>

#include "documents/qt/documentio.h"
#include "text/fileio.h"

namespace vernalo::test {

inline QString SavedText(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return QStringLiteral("(no file)");
    QTextDocument doc;
    LoadDocumentBytes(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), doc);
    return doc.toPlainText();
}

}  // namespace vernalo::test
