#include "Warn.h"

#include "model/Numbers.h"

#include <optional>

std::int32_t AskAttachmentNumber(Dialogs &dialogs, const MessageTable &messages)
{
    for (;;) {
        const QString answer = dialogs.InputBox(messages(Msg::AddNumberPrompt),
                                                messages(Msg::AttachmentNumber), QString());
        const std::optional<double> value =
            answer.contains(u'-') || answer.contains(u'.') ? std::nullopt : ParseNumeric(answer);
        if (!value && answer.isEmpty())
            return 0;
        const std::optional<std::int32_t> whole = value ? RoundToInt32(*value) : std::nullopt;
        if (whole)
            return *whole;
        if (value)
            Warn(dialogs, messages, Msg::NumberTooLarge, kTooLargePrefix);
        else
            Warn(dialogs, messages, Msg::NotANumber);
    }
}
