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
// Writes the value whole; false when it could not.
bool WriteIniValue(AppState &state, const QString &section, const QString &key,
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

// One setting of Quillmark.ini: where it is, and what a missing or empty
// value gives (and GetIniValue writes back).
struct SettingKey {
    QString section;
    QString key;
    QString defaultValue;
};

// Every setting the programs read or write.
namespace Settings {
// Any value, even 0: the end button opens the file in the text editor.
inline const SettingKey Check{QStringLiteral("Config"), QStringLiteral("Check"), QString()};
inline const SettingKey TextEditor{QStringLiteral("Config"), QStringLiteral("TextEditor"),
                                   kDefaultTextEditor};
// "Comfig", so spelled, is where existing settings files keep the count.
inline const SettingKey AttachMaxCount{QStringLiteral("Comfig"), QStringLiteral("ATTACH MAX COUNT"),
                                       QStringLiteral("10")};
// The file dialog's folder and proposed name. The folder's default depends
// on where the program is: the window gives it.
inline const SettingKey InitDir{QStringLiteral("Config"), QStringLiteral("Init Dir"), QString()};
inline const SettingKey InitFile{QStringLiteral("Config"), QStringLiteral("Init File"), QString()};
// Hint rules turned off: their names, separated by commas. Never written.
inline const SettingKey HintsOff{QStringLiteral("Config"), QStringLiteral("Hints Off"), QString()};
// The files last loaded, newest first: "Recent1" to "Recent8".
inline constexpr int kRecentCount = 8;
inline SettingKey Recent(int n)
{
    return {QStringLiteral("Config"), QStringLiteral("Recent%1").arg(n), QString()};
}
}  // namespace Settings

// The same by the table: its default, or the one given.
QString GetIniValue(AppState &state, const SettingKey &setting);
QString GetIniValue(AppState &state, const SettingKey &setting, const QString &defaultValue);
QString ReadIniValue(AppState &state, const SettingKey &setting);
bool WriteIniValue(AppState &state, const SettingKey &setting, const QString &value);
