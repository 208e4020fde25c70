#pragma once
// The interface language: English is built in; for other locales the program's own
// translation (compiled into its resources) and Qt's for its standard dialogs and buttons.

class QLocale;

namespace vernalo {

// Installs the translations for the locale's languages, replacing any installed before.
// Returns whether the program's own translation was found; without it nothing is installed,
// so the window never mixes a half-translated Qt with an English interface.
bool InstallTranslations(const QLocale& locale);

// Back to the built-in English texts.
void RemoveTranslations();

}  // namespace vernalo
