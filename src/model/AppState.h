#pragma once
// The program-wide state: created once by Main, passed by reference.
#include "MachineTable.h"
#include "platform/FileLayer.h"
#include "platform/MessageTable.h"
#include "platform/Profile.h"

struct AppSettings {
    QString AppPath;         // ends with a separator
    QString IniPath;
    QString CommandLine;
    QString TextEditorPath;
    bool OpenEditorOnEnd = false;
    bool Portable = false;  // settings beside the program, not in the user's folder
    // A settings file that cannot be read or decoded is never written: the
    // run goes on with the defaults.
    bool IniUsable = true;
    bool IniWriteFailed = false;
    ProfileHeld IniHeld;  // writes held for one write of the file (IniWriteBatch)
};

struct AppState {
    explicit AppState(FileLayer &files) : files(files) {}

    MachineTable machineTable;
    AttachmentSlots Attachments;     // exactly AttachMaxCount slots
    std::int16_t AttachMaxCount = 10;
    AttachmentRecord EditAttachment;
    std::int32_t EditAttachPos = 0;  // one-based list position handed to the editor
    std::int32_t EditAttachNo = 0;   // attachment number handed to the editor
    AppSettings settings;
    MessageTable messages;

    FileLayer &files;

    // Creates the slots, all free.
    void SizeAttachments(std::int16_t count)
    {
        AttachMaxCount = count;
        Attachments.assign(count, AttachmentRecord());
    }
};
