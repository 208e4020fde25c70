#pragma once
// Export audio: the save dialog (formats and the split length).

#include <QString>
#include <optional>

#include "export/audioexport.h"

class QWidget;

namespace vernalo {

struct ExportChoice {
    QString path;               // its suffix names one of the formats offered
    int splitMinutes = 0;       // 0: one file
    bool byChapter = false;     // one file per chapter instead
    bool chapterMarks = false;  // or one file marking where each chapter begins
};

// Asks where to export and how long each file may be, or whether it is cut by chapters or
// marks them; none when the user cancels.
std::optional<ExportChoice> AskExportFile(QWidget* parent, const QString& folder);

}  // namespace vernalo
