#include "Settings.h"

#include "platform/Profile.h"

namespace {
// The profile reader's buffer: 254 bytes and the terminating NUL.
constexpr int kValueBytes = 254;
}  // namespace

void SetIniPath(AppState &state, const QString &path)
{
    state.settings.IniPath = path;
    state.settings.IniUsable = ProfileUsable(path);
    state.settings.IniWriteFailed = false;
}

QString GetIniValue(AppState &state, const QString &section, const QString &key,
                    const QString &defaultValue)
{
    const QString value = ReadIniValue(state, section, key);
    if (!value.isEmpty())
        return value;
    // The default applies all the same; the window tells of a failed write.
    WriteIniValue(state, section, key, defaultValue);
    return defaultValue;
}

QString ReadIniValue(AppState &state, const QString &section, const QString &key)
{
    if (!state.settings.IniUsable)
        return QString();
    return ProfileRead(state.settings.IniPath, section, key, kValueBytes);
}

int WriteIniValue(AppState &state, const QString &section, const QString &key,
                  const QString &value)
{
    if (!state.settings.IniUsable)
        return 0;
    if (ProfileWrite(state.settings.IniPath, section, key, value))
        return 1;
    state.settings.IniWriteFailed = true;
    return 0;
}
