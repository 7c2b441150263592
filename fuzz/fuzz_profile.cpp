// The settings-file reader and writer on arbitrary bytes. The input is
// section NUL key NUL value NUL file-bytes.
#include "platform/Profile.h"
#include "platform/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

// Names and values the profile functions keep exactly: letters, digits and
// inner blanks.
bool Plain(const QString &s)
{
    if (s.isEmpty() || s.front() == u' ' || s.back() == u' ')
        return false;
    for (QChar c : s)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u' ')
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray all(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> parts = all.split('\0');
    if (parts.size() < 4)
        return 0;
    const QString section = DecodeCp932(parts[0]);
    const QString key = DecodeCp932(parts[1]);
    const QString value = DecodeCp932(parts[2]);
    const QByteArray file = all.mid(parts[0].size() + parts[1].size() + parts[2].size() + 3);

    (void)ProfileReadBytes(file, section, key);
    (void)ProfileReadBytes(file, section, key, 3);
    const std::optional<QByteArray> written = ProfileWriteBytes(file, section, key, value);
    if (written && Plain(section) && Plain(key) && Plain(value) && value.size() < 200) {
        const QString back = ProfileReadBytes(*written, section, key);
        if (back != value) {
            std::fprintf(stderr, "wrote [%s] %s=%s, read back %s\n", qPrintable(section),
                         qPrintable(key), qPrintable(value), qPrintable(back));
            std::abort();
        }
    }
    return 0;
}
