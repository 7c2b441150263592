#include "Settings.h"

#include "platform/Profile.h"

namespace {
// The profile reader's buffer: 254 bytes and the terminating NUL.
constexpr int kValueBytes = 254;

// The settings held in a batch, read from the file when first needed;
// nothing outside a batch or when the file cannot be read.
QByteArray *Held(AppState &state)
{
    ProfileHeld &held = state.settings.IniHeld;
    if (!held.active)
        return nullptr;
    if (!held.loaded) {
        held.loaded = true;
        held.changed = false;
        held.usable = ProfileLoad(state.settings.IniPath, held.bytes);
    }
    return held.usable ? &held.bytes : nullptr;
}

void WriteHeld(AppState &state)
{
    ProfileHeld &held = state.settings.IniHeld;
    if (held.loaded && held.changed && !ProfileStore(state.settings.IniPath, held.bytes))
        state.settings.IniWriteFailed = true;
    held.loaded = held.changed = false;
    held.bytes.clear();
}
}  // namespace

IniWriteBatch::IniWriteBatch(AppState &state)
    : state_(state), outer_(!state.settings.IniHeld.active)
{
    state_.settings.IniHeld.active = true;
}

IniWriteBatch::~IniWriteBatch()
{
    if (!outer_)
        return;
    WriteHeld(state_);
    state_.settings.IniHeld.active = false;
}

void SetIniPath(AppState &state, const QString &path)
{
    WriteHeld(state);  // what is held belongs to the old path
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
    if (const QByteArray *held = Held(state))
        return ProfileReadBytes(*held, section, key, kValueBytes);
    return ProfileRead(state.settings.IniPath, section, key, kValueBytes);
}

bool WriteIniValue(AppState &state, const QString &section, const QString &key,
                   const QString &value)
{
    if (!state.settings.IniUsable)
        return false;
    if (QByteArray *held = Held(state)) {
        if (std::optional<QByteArray> bytes = ProfileWriteBytes(*held, section, key, value)) {
            state.settings.IniHeld.changed |= *bytes != *held;
            *held = std::move(*bytes);
            return true;
        }
    } else if (ProfileWrite(state.settings.IniPath, section, key, value)) {
        return true;
    }
    state.settings.IniWriteFailed = true;
    return false;
}

QString GetIniValue(AppState &state, const SettingKey &setting)
{
    return GetIniValue(state, setting.section, setting.key, setting.defaultValue);
}

QString GetIniValue(AppState &state, const SettingKey &setting, const QString &defaultValue)
{
    return GetIniValue(state, setting.section, setting.key, defaultValue);
}

QString ReadIniValue(AppState &state, const SettingKey &setting)
{
    return ReadIniValue(state, setting.section, setting.key);
}

bool WriteIniValue(AppState &state, const SettingKey &setting, const QString &value)
{
    return WriteIniValue(state, setting.section, setting.key, value);
}
