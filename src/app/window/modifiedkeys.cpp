#include "app/window/modifiedkeys.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace vernalo {

namespace {

// The widgets that type a key's text. A combo box and a spin box hand keys to their line edit
// directly, past any filter, so they are filtered themselves.
bool TypesText(const QObject* object) {
    if (qobject_cast<const QLineEdit*>(object) || qobject_cast<const QTextEdit*>(object) ||
        qobject_cast<const QPlainTextEdit*>(object) ||
        qobject_cast<const QAbstractSpinBox*>(object))
        return true;
    const auto* box = qobject_cast<const QComboBox*>(object);
    return box && box->isEditable();
}

// Whether `event` would type its text although a modifier is held.
bool TypesWithModifier(const QKeyEvent& event) {
    constexpr Qt::KeyboardModifiers kHeld =
        Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier;
    const QString text = event.text();
    return (event.modifiers() & kHeld) && !text.isEmpty() && text.at(0).isPrint();
}

}  // namespace

ModifiedKeyFilter::ModifiedKeyFilter(QObject* parent) : QObject(parent) {
    QApplication::instance()->installEventFilter(this);
}

bool ModifiedKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !TypesText(watched)) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!TypesWithModifier(*key)) return false;
    // The same key without its text: shortcuts match on key and modifiers, typing needs text.
    QKeyEvent bare(key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                   key->nativeVirtualKey(), key->nativeModifiers(), QString(), key->isAutoRepeat(),
                   key->count(), key->device());
    QCoreApplication::sendEvent(watched, &bare);
    // Unaccepted, the key goes on to the parents, as it would have.
    key->setAccepted(bare.isAccepted());
    return true;
}

}  // namespace vernalo
