#pragma once
// Warnings and notices by message number, as both windows show them.
#include "platform/Dialogs.h"
#include "platform/MessageTable.h"

// Message n between prefix and suffix, with an OK button and the exclamation icon.
inline void Warn(Dialogs &dialogs, const MessageTable &messages, Msg n,
                 const QString &prefix = QString(), const QString &suffix = QString())
{
    dialogs.MsgBox(prefix + messages(n) + suffix, MsgButtons::Ok, MsgIcon::Exclamation);
}

// What the number prompts show before Msg::NumberTooLarge: the largest number the
// hand-over to the editor once carried.
inline const QString kTooLargePrefix = QStringLiteral("16777215");
