#pragma once

#include <QLocale>
#include <QStringList>

// The window's language. English, the language of the source texts, needs nothing; for any
// other the program's own translation (quorvane_<language>.qm) is looked for in folders, in
// order, and Qt's own (qtbase_<language>.qm, the texts of its dialogs and boxes) in Qt's
// translations folder. Only the window is translated: the command line's outputs are for
// scripts and stay English.

// Where the program's translations are looked for: beside the program (the build tree), then
// ../share/quorvane/translations from the program's folder (an installation).
QStringList TranslationFolders();

// Installs the translations of locale's languages in the application; true when the program's
// own was found (or none is needed). Translators installed earlier are removed first, so
// calling it again switches the language.
bool InstallTranslations(const QLocale &locale, const QStringList &folders);
