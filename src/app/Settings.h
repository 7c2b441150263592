#pragma once
// The settings file Quillmark.ini beside the program.
#include "model/AppState.h"

void SetIniPath(AppState &state, const QString &path);
// The value; when the file yields nothing for it, the default is written
// under that key and returned.
QString GetIniValue(AppState &state, const QString &section, const QString &key,
                    const QString &defaultValue);
// The value or empty text; never writes.
QString ReadIniValue(AppState &state, const QString &section, const QString &key);
// Writes the value whole; non-zero on success.
int WriteIniValue(AppState &state, const QString &section, const QString &key,
                  const QString &value);

// Default of "TextEditor": the desktop's opener here, Notepad on Windows.
#ifdef Q_OS_WIN
inline const QString kDefaultTextEditor = QStringLiteral("notepad.exe");
#else
inline const QString kDefaultTextEditor = QStringLiteral("xdg-open");
#endif
