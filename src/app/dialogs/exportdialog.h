#pragma once
// Export audio: the save dialog (formats and the split length).

#include <QString>
#include <optional>

#include "export/audioexport.h"
#include "readalong/subtitles/subtitles.h"

class QWidget;

namespace vernalo {

struct ExportChoice {
    QString path;               // its suffix names one of the formats offered
    int splitMinutes = 0;       // 0: one file
    bool byChapter = false;     // one file per chapter instead
    bool chapterMarks = false;  // or one file marking where each chapter begins
    std::optional<SubtitleFormat> subtitles;  // written beside each file
};

// Asks where to export (in `folder`, offering `name`) and how long each file may be, whether it
// is cut by chapters or marks them, and whether subtitles go beside; none when the user cancels.
std::optional<ExportChoice> AskExportFile(QWidget* parent, const QString& folder,
                                          const QString& name = QString());

}  // namespace vernalo
