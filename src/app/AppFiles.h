#pragma once
// Where the editor and mtlcheck find the settings file and the message file.
#include <QString>

struct AppFiles {
    QString settings;       // Quillmark.ini
    QString messages;       // Quillmark.mes; the name beside the program when none is found
    bool portable = false;  // the settings file is the one beside the program
};

// Settings: Quillmark.ini beside the program when one is there (portable
// use), else quillmark/Quillmark.ini in the user's configuration folder.
// Messages: beside the program, then <program>/../share/quillmark/, then the
// quillmark folder of each data folder (XDG_DATA_HOME, XDG_DATA_DIRS).
// Looks only; creates nothing. appPath ends with a separator.
AppFiles FindAppFiles(const QString &appPath);

// Makes the folder that is to hold the settings file, private to the user
// when it is new. False when it is not there afterwards.
bool MakeSettingsFolder(const AppFiles &files);
