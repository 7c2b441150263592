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

// While one lives, settings are read and written in memory, and the file is
// written once at its end: start-up and the window's load store all their
// defaults in one replace of the file instead of one each. Batches inside
// another join it.
class IniWriteBatch {
public:
    explicit IniWriteBatch(AppState &state);
    ~IniWriteBatch();
    IniWriteBatch(const IniWriteBatch &) = delete;
    IniWriteBatch &operator=(const IniWriteBatch &) = delete;

private:
    AppState &state_;
    bool outer_;
};

// Default of "TextEditor": the desktop's opener here, Notepad on Windows.
#ifdef Q_OS_WIN
inline const QString kDefaultTextEditor = QStringLiteral("notepad.exe");
#else
inline const QString kDefaultTextEditor = QStringLiteral("xdg-open");
#endif
