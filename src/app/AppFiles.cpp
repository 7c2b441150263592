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

    // The user's own file before the installed one, as the base directory
    // rules order data folders.
    QStringList data = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    QStringList folders{appPath};
    if (!data.isEmpty())
        folders << QDir(data.takeFirst()).filePath(kFolder) + u'/';
    folders << QDir::cleanPath(appPath + QStringLiteral("../share/") + kFolder) + u'/';
    for (const QString &dir : data)
        folders << QDir(dir).filePath(kFolder) + u'/';
    folders.removeDuplicates();
    for (const QString &name : {kMessagesName, QStringLiteral("lang/en/") + kMessagesName}) {
        for (const QString &folder : folders) {
            const QString path = folder + name;
            files.messagesLookedAt << path;
            if (FileExists(path)) {
                files.messages = path;
                return files;
            }
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
