#pragma once
// Where the editor and mtlcheck find the settings file and the message file.
#include <QString>

#include <QStringList>

struct AppFiles {
    QString settings;              // Quillmark.ini
    QString messages;              // Quillmark.mes; empty when none was found
    QStringList messagesLookedAt;  // every place looked at, in order
    bool portable = false;         // the settings file is the one beside the program
};

// Settings: Quillmark.ini beside the program when one is there (portable
// use), else quillmark/Quillmark.ini in the user's configuration folder.
// Messages: beside the program (a portable copy's own), then the user's data
// folder (XDG_DATA_HOME), then <program>/../share/quillmark/, then the
// system's data folders (XDG_DATA_DIRS), each a quillmark folder; where none
// holds Quillmark.mes, the English lang/en/Quillmark.mes of the same folders.
// Looks only; creates nothing. appPath ends with a separator.
AppFiles FindAppFiles(const QString &appPath);

// Makes the folder that is to hold the settings file, private to the user
// when it is new. False when it is not there afterwards.
bool MakeSettingsFolder(const AppFiles &files);
