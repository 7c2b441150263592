#pragma once
// Everything modal that reaches the user goes through this seam, so that
// model and window code run in tests without a screen.
#include <QString>

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { Critical, Question, Exclamation, Information };
enum class MsgAnswer { Ok, Yes, No, Cancel };

// The caption of every box that has no title of its own.
inline const QString kProgramTitle = QStringLiteral("Quillmark");

struct OpenFileRequest {
    QString title;
    // In the common dialog's form: "description|pattern|description|pattern".
    QString filter;
    QString defaultExtension;  // with its dot, e.g. ".mtl"
    QString fileName;          // proposed name, without directory
    QString directory;         // folder the dialog starts in
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // details: a longer text the box offers behind a button, or empty.
    virtual MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                             MsgAnswer defaultButton, const QString &title,
                             const QString &details) = 0;
    // Cancel gives empty text, as an empty answer would.
    virtual QString InputBox(const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;
    // Full path of the chosen file; empty when cancelled or failed.
    virtual QString OpenFile(const OpenFileRequest &request) = 0;
    virtual void Beep() = 0;

    MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon, MsgAnswer defaultButton,
                     const QString &title)
    {
        return MsgBox(text, buttons, icon, defaultButton, title, QString());
    }
    // The common case: the first button is the default, captioned "Quillmark".
    MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon)
    {
        return MsgBox(text, buttons, icon,
                      buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes, kProgramTitle,
                      QString());
    }
};
