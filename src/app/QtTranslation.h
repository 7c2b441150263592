#pragma once
// Qt's own texts (standard buttons, context menus, the file dialog) in the
// language of the message file.
#include <QString>

// Replaces the Qt translation installed before with Qt's catalogue for
// language (a locale name such as "ja"). False when Qt has none installed
// for it: Qt's texts then stay English.
bool InstallQtTranslation(const QString &language);
