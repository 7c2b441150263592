#include "RecentFiles.h"

#include "Settings.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

namespace {
QStringList RecentPaths(AppState &state)
{
    QStringList paths;
    for (int n = 1; n <= Settings::kRecentCount; ++n)
        if (const QString path = ReadIniValue(state, Settings::Recent(n)); !path.isEmpty())
            paths << path;
    paths.removeDuplicates();
    return paths;
}
}  // namespace

std::vector<RecentFile> RecentFiles(AppState &state)
{
    std::vector<RecentFile> files;
    for (const QString &path : RecentPaths(state)) {
        const PathInfo info = StatPath(path);
        files.push_back({path, info.isFile});
    }
    return files;
}

void RememberRecent(AppState &state, const QString &path)
{
    const QString absolute = AbsolutePath(path);
    if (path.isEmpty() || !CharactersNotHeld(absolute).isEmpty())
        return;
    QStringList paths = RecentPaths(state);
    paths.removeAll(absolute);
    paths.prepend(absolute);
    // One write of the settings file for the whole list.
    IniWriteBatch batch(state);
    for (int n = 1; n <= Settings::kRecentCount; ++n)
        WriteIniValue(state, Settings::Recent(n), paths.value(n - 1));
}
