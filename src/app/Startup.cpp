#include "Startup.h"

#include "AppFiles.h"
#include "MessageFile.h"
#include "QtTranslation.h"
#include "Settings.h"
#include "model/MtlFile.h"
#include "model/Numbers.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <optional>

namespace {
// The table's default, as a count.
const std::int16_t kDefaultAttachMaxCount =
    std::int16_t(Settings::AttachMaxCount.defaultValue.toInt());
}  // namespace

// Below one slot the table could hold nothing, and slots are counted in 16
// bits: other numbers are brought into that range. Text that is not a number
// gives the default and stays in the file as it is.
std::int16_t AttachCountFrom(const QString &text)
{
    const std::optional<double> value = ParseNumeric(text);
    if (!value)
        return kDefaultAttachMaxCount;
    if (*value >= kMaxAttachSlots)
        return kMaxAttachSlots;
    if (*value <= 1)
        return 1;
    const std::optional<std::int16_t> count = RoundToInt16(*value);
    return count ? *count : kDefaultAttachMaxCount;
}

bool InitApplication(AppState &state, Dialogs &dialogs, const QString &appPath)
{
    QString path = appPath.isEmpty() ? QStringLiteral("./") : appPath;
    if (!IsPathSeparator(path.back()))
        path += u'/';
    state.settings.AppPath = path;
    const AppFiles files = FindAppFiles(path);
    // When it cannot be made, the writes below fail unreported and the defaults apply.
    MakeSettingsFolder(files);
    const IniWriteBatch settingsWrites(state);
    SetIniPath(state, files.settings);
    state.settings.Portable = files.portable;

    state.settings.OpenEditorOnEnd = !ReadIniValue(state, Settings::Check).isEmpty();
    state.settings.TextEditorPath = GetIniValue(state, Settings::TextEditor);
    state.AttachMaxCount = AttachCountFrom(GetIniValue(state, Settings::AttachMaxCount));
    // Names it does not know are passed over: the window has nowhere to say so.
    state.settings.HintsOff = HintsOffFrom(ReadIniValue(state, Settings::HintsOff));
    return LoadMessageTable(state, dialogs, files);
}

QString CommandLineMtlFile(const QString &commandLine)
{
    const QString name = commandLine.trimmed();
    return HasMtlExtension(name) ? name : QString();
}

std::unique_ptr<MainWindowPort>
Main(AppState &state, Dialogs &dialogs, const QString &appPath, const QString &commandLine,
     const std::function<std::unique_ptr<MainWindowPort>(AppState &)> &createWindow)
{
    // The defaults that start-up and the window's load store go to the
    // settings file in one write, when this returns.
    const IniWriteBatch settingsWrites(state);
    if (!InitApplication(state, dialogs, appPath))
        return nullptr;
    InstallQtTranslation(state.messages.Language());
    state.settings.CommandLine = commandLine.trimmed();
    std::unique_ptr<MainWindowPort> window = createWindow(state);
    if (!window)
        return nullptr;
    window->ShowWindow();
    // The file goes in only after the window's load has run, so that the load
    // does not empty it again.
    const QString file = CommandLineMtlFile(state.settings.CommandLine);
    if (!file.isEmpty()) {
        window->SetFileName(file);
        state.settings.OpenEditorOnEnd = false;
    }
    return window;
}
