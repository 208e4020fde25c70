#include "app/window/languagebox.h"

#include <QComboBox>
#include <QCoreApplication>

namespace vernalo {

QComboBox* LanguageBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItem(QCoreApplication::translate("vernalo::DictionaryTab", "Russian"),
                 static_cast<int>(Language::Russian));
    box->addItem(QCoreApplication::translate("vernalo::DictionaryTab", "English"),
                 static_cast<int>(Language::English));
    box->setAccessibleName(QCoreApplication::translate("vernalo::DictionaryTab", "Language"));
    return box;
}

Language BoxLanguage(const QComboBox& box) {
    return box.currentData().toInt() == static_cast<int>(Language::English) ? Language::English
                                                                            : Language::Russian;
}

void SetBoxLanguage(QComboBox& box, Language language) {
    box.setCurrentIndex(box.findData(static_cast<int>(language)));
}

}  // namespace vernalo
