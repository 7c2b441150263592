// The message-file parser on arbitrary bytes.
#include "app/MessageFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    MessageTable table;
    const MessageFileResult result = ParseMessageFile(bytes, table);
    if (result == MessageFileResult::Ok) {
        if (!table.Loaded() || table.MaxIndex() < 0)
            std::abort();
        // Every number in use reads without harm, and so do the ones outside.
        for (int n = -2; n <= int(table.MaxIndex()) + 2 && n < 70000; ++n)
            (void)table.Text(n).size();
    }
    // The line routines on each line as well.
    for (const QByteArray &line : bytes.split('\n')) {
        const QString text = QString::fromLatin1(line);
        (void)StripComment(text);
        (void)GetValuePart(text);
        const int index = GetGstrIndex(text);
        if (index < -32768 || index > 32767)
            std::abort();
    }
    return 0;
}
