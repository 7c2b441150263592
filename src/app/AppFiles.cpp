#include "AppFiles.h"

#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString kSettingsName = QStringLiteral("Quillmark.ini");
const QString kMessagesName = QStringLiteral("Quillmark.mes");
// One folder for the editor and mtlcheck alike, whatever each program is called.
const QString kFolder = QStringLiteral("quillmark");
}  // namespace

AppFiles FindAppFiles(const QString &appPath)
{
    AppFiles files;
    files.settings = appPath + kSettingsName;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    // A folder or a dangling link of that name is no settings file.
    files.portable = QFileInfo(files.settings).isFile() || config.isEmpty();
    if (!files.portable)
        files.settings = QDir(config).filePath(kFolder + u'/' + kSettingsName);

    QStringList candidates{
        appPath + kMessagesName,
        QDir::cleanPath(appPath + QStringLiteral("../share/") + kFolder + u'/' + kMessagesName)};
    for (const QString &dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates << QDir(dir).filePath(kFolder + u'/' + kMessagesName);
    files.messages = candidates.first();
    for (const QString &path : candidates) {
        if (FileExists(path)) {
            files.messages = path;
            break;
        }
    }
    return files;
}

bool MakeSettingsFolder(const AppFiles &files)
{
    const QFileInfo folder(QFileInfo(files.settings).absolutePath());
    if (folder.isDir())
        return true;
    // The user's own settings: readable by the user alone, as the base
    // directory rules ask for folders they create.
    return QDir().mkpath(folder.absolutePath()) &&
           QDir().mkdir(folder.absoluteFilePath(),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
