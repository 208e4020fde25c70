#pragma once
// A box choosing one of the two languages, each item carrying its Language: Russian, English.

#include "text/language.h"

class QComboBox;
class QWidget;

namespace vernalo {

QComboBox* LanguageBox(QWidget* parent);
Language BoxLanguage(const QComboBox& box);
void SetBoxLanguage(QComboBox& box, Language language);

}  // namespace vernalo
