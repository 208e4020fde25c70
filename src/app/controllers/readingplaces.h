#pragma once
// Each document opened from a file comes back where its reading stopped (or where the caret
// was, when it was not being read), in view about a third from the top. The places live in
// data/places.txt (PlaceStore); a file changed on disk since opens at its beginning.

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

#include "app/controllers/windowparts.h"
#include "settings/placestore.h"

class QTextDocument;

namespace vernalo {

class DocumentCommands;
class ReadingController;
class WindowPersistence;

class ReadingPlaces : public QObject {
    Q_OBJECT
public:
    ReadingPlaces(const WindowParts& parts, ReadingController& reading,
                  WindowPersistence& persistence, DocumentCommands& documents,
                  QObject* parent = nullptr);

    // The place of the document shown is kept, and the file written.
    void saveOnClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void opened(const QString& path, bool ok);
    // The caret goes to the place kept once the opened text is painted (the layout up to the
    // place takes a long book seconds, and the text shows meanwhile), or as soon as the
    // layout reaches it, or when Say is pressed first. A caret the user moves stays.
    void placeWhenLaidOut();
    void placeNow();
    void dropPending();
    // The document shown leaves the editor: its place is kept.
    void leave();
    void load();
    void save();

    WindowParts parts_;
    ReadingController& reading_;
    WindowPersistence& persistence_;
    PlaceStore store_;
    bool loaded_ = false;
    bool unreadable_ = false;  // the file exists but could not be read: it is not written over
    // The document shown, while it is the one read from `current_.path`.
    const QTextDocument* shown_ = nullptr;
    ReadingPlace current_;
    std::optional<long> pending_;  // the place the caret goes to once laid out
    QMetaObject::Connection layoutWatch_;
};

}  // namespace vernalo
