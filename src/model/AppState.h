#pragma once
// The program-wide state: created once by Main, passed by reference. The
// machine table itself belongs to the document the main window edits.
#include "Hints.h"
#include "MachineTable.h"
#include "platform/FileLayer.h"
#include "platform/MessageTable.h"
#include "platform/Profile.h"

#include <cstdint>

struct AppSettings {
    QString AppPath;  // ends with a separator
    QString IniPath;
    QString CommandLine;
    QString TextEditorPath;
    bool OpenEditorOnEnd = false;
    bool Portable = false;  // settings beside the program, not in the user's folder
    // A settings file that cannot be read or decoded is never written: the
    // run goes on with the defaults.
    bool IniUsable = true;
    bool IniWriteFailed = false;
    std::array<bool, kHintRuleCount> HintsOff{};  // the rules the settings turn off
    ProfileHeld IniHeld;  // writes held for one write of the file (IniWriteBatch)
};

struct AppState {
    explicit AppState(FileLayer &files) : files(files) { }

    std::int16_t AttachMaxCount = 10;  // slots of every table, for the whole run
    AppSettings settings;
    MessageTable messages;

    FileLayer &files;
};
