#pragma once
// Start-up: settings, slots and message table, then the main window.
#include "model/AppState.h"
#include "platform/Dialogs.h"

#include <cstdint>
#include <functional>
#include <memory>

// Reads the settings, sizes the slots, clears the table and loads the message
// table, each file where FindAppFiles finds it. False when the program must
// end (the reason has been shown).
bool InitApplication(AppState &state, Dialogs &dialogs, const QString &appPath);

// The slot count that a text of "ATTACH MAX COUNT" gives: numbers rounded
// and brought into 1..32767, anything else 10. mtlcheck counts the same way.
std::int16_t AttachCountFrom(const QString &text);

// The MTL file that a command line names: the whole trimmed line when its
// last four characters are ".MTL" in any case, else empty text.
QString CommandLineMtlFile(const QString &commandLine);

// What start-up needs of the main window, so that it can be driven in tests.
class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;
    virtual void ShowWindow() = 0;                      // runs the window's load
    virtual void SetFileName(const QString &name) = 0;  // loads the file
};

// The entry procedure. Returns the window it created, or nothing when start-up
// ended the program. commandLine is the arguments joined by single blanks.
std::unique_ptr<MainWindowPort>
Main(AppState &state, Dialogs &dialogs, const QString &appPath, const QString &commandLine,
     const std::function<std::unique_ptr<MainWindowPort>(AppState &)> &createWindow);
