#pragma once
// What the Contents panel does: lists the editor's headings (again when a document comes in
// and when edits settle), marks the chapter being read or holding the caret, and moves the
// caret to a chosen heading; while reading, the reading goes on from there.

#include <QObject>
#include <vector>

#include "app/controllers/windowparts.h"
#include "documents/qt/documentheadings.h"

class QTimer;

namespace vernalo {

class ContentsPanel;
class ReadingController;

class ContentsController : public QObject {
    Q_OBJECT
public:
    ContentsController(const WindowParts& parts, ReadingController& reading, ContentsPanel& panel,
                       QObject* parent = nullptr);

    // The headings as the panel lists them.
    const std::vector<DocumentHeading>& headings() const { return headings_; }
    // Lists the editor's headings now. Done only while the panel shows; a hidden panel is
    // filled when it is shown.
    void refresh();
    // The caret to the heading, its paragraph at the top of the view; while reading, the
    // reading goes on from the heading.
    void jumpTo(int index);

private:
    void follow(long position);

    WindowParts parts_;
    ReadingController& reading_;
    ContentsPanel& panel_;
    QTimer* settle_ = nullptr;
    std::vector<DocumentHeading> headings_;
    bool stale_ = true;
};

}  // namespace vernalo
