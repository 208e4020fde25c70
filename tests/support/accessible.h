#pragma once
// Finds controls as a screen reader does: by their accessible name. On Linux a combo box
// reports its current text as its name (its label names it through a relation), so the name
// it was given counts too.

#include <QAccessible>
#include <QString>
#include <QWidget>

namespace vernalo::test {

template <typename T = QWidget>
T* FindAccessible(const QWidget* root, const QString& name) {
    for (T* w : root->findChildren<T*>()) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if ((a && a->text(QAccessible::Name) == name) || w->accessibleName() == name) return w;
    }
    return nullptr;
}

template <typename T = QWidget>
T* FindAccessible(const QWidget* root, const char* name) {
    return FindAccessible<T>(root, QString::fromUtf8(name));
}

}  // namespace vernalo::test
