#pragma once
// Warnings and notices by message number, as both windows show them.
#include "platform/Dialogs.h"
#include "platform/MessageTable.h"

#include <cstdint>

// Message n between prefix and suffix, with an OK button and the exclamation icon.
inline void Warn(Dialogs &dialogs, const MessageTable &messages, Msg n,
                 const QString &prefix = QString(), const QString &suffix = QString())
{
    dialogs.MsgBox(prefix + messages(n) + suffix, MsgButtons::Ok, MsgIcon::Exclamation);
}

// Asks for the number of an attachment to add, again after each answer it
// refuses (a sign, a point, no number, beyond 32 bits); 0 when the user
// cancels or answers nothing.
std::int32_t AskAttachmentNumber(Dialogs &dialogs, const MessageTable &messages);

// What the number prompts show before Msg::NumberTooLarge: the largest number the
// hand-over to the editor once carried.
inline const QString kTooLargePrefix = QStringLiteral("16777215");
