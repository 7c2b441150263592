#include "Settings.h"

#include "platform/Profile.h"

namespace {
// The profile reader's buffer: 254 bytes and the terminating NUL.
constexpr int kValueBytes = 254;
}  // namespace

void SetIniPath(AppState &state, const QString &path)
{
    state.settings.IniPath = path;
}

QString GetIniValue(AppState &state, const QString &section, const QString &key,
                    const QString &defaultValue)
{
    const QString value = ProfileRead(state.settings.IniPath, section, key, kValueBytes);
    if (!value.isEmpty())
        return value;
    // Failures to write are not reported: the default applies all the same.
    ProfileWrite(state.settings.IniPath, section, key, defaultValue);
    return defaultValue;
}

QString ReadIniValue(AppState &state, const QString &section, const QString &key)
{
    return ProfileRead(state.settings.IniPath, section, key, kValueBytes);
}

int WriteIniValue(AppState &state, const QString &section, const QString &key,
                  const QString &value)
{
    return ProfileWrite(state.settings.IniPath, section, key, value) ? 1 : 0;
}
