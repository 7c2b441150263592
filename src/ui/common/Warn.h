#pragma once
// Warnings and notices by message number, as both windows show them.
#include "platform/Dialogs.h"
#include "platform/MessageTable.h"

// Message n after prefix, with an OK button and the exclamation icon.
inline void Warn(Dialogs &dialogs, const MessageTable &messages, Msg n,
                 const QString &prefix = QString())
{
    dialogs.MsgBox(prefix + messages(n), MsgButtons::Ok, MsgIcon::Exclamation);
}

// What the number prompts show before Msg::NumberTooLarge: the largest number the
// hand-over to the editor once carried.
inline const QString kTooLargePrefix = QStringLiteral("16777215");
