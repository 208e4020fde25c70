#include "app/process/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace vernalo {

namespace {

// Held for the life of the program: QCoreApplication keeps only pointers to them.
std::unique_ptr<QTranslator>& Own() {
    static std::unique_ptr<QTranslator> t;
    return t;
}
std::unique_ptr<QTranslator>& Qt() {
    static std::unique_ptr<QTranslator> t;
    return t;
}

void Remove(std::unique_ptr<QTranslator>& t) {
    if (!t) return;
    QCoreApplication::removeTranslator(t.get());
    t.reset();
}

}  // namespace

bool InstallTranslations(const QLocale& locale) {
    RemoveTranslations();
    auto own = std::make_unique<QTranslator>();
    if (!own->load(locale, QStringLiteral("vernalo"), QStringLiteral("_"),
                   QStringLiteral(":/i18n")))
        return false;
    QCoreApplication::installTranslator(own.get());
    Own() = std::move(own);
    // Qt's standard dialogs in the same language; a system without Qt's translations keeps
    // their English buttons.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        Qt() = std::move(qt);
    }
    return true;
}

void RemoveTranslations() {
    Remove(Qt());
    Remove(Own());
}

}  // namespace vernalo
