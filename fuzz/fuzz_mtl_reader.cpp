// The MTL reader on arbitrary bytes: split, decode, parse, sort, write.
// Besides crashes it checks that the writer's output is a fixed point: read
// back and written again it gives the same text; and that reading straight
// from the bytes and writing straight to bytes agree with the line-by-line
// text.
#include "model/MtlFile.h"
#include "model/Numbers.h"
#include "model/SlotOrder.h"
#include "platform/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct CountingSink : MtlFindingSink {
    int count = 0;
    int lastLine = 0;
    void Found(int lineNumber, MtlFinding, const QString &) override
    {
        ++count;
        if (lineNumber < 1)
            std::abort();
        lastLine = lineNumber;
    }
};

QStringList Lines(const QString &text)
{
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();  // after the last CR LF
    return lines;
}

QString Normalise(const QStringList &lines, int slotCount, bool *recognised = nullptr)
{
    MachineTable table;
    AttachmentSlots attachments;
    CountingSink sink;
    const bool ok = ParseMtlLines(lines, slotCount, table, attachments, &sink);
    if (recognised)
        *recognised = ok;
    if (int(attachments.size()) != slotCount)
        std::abort();
    const int complete = CountAttachments(attachments);
    SortAttachments(attachments);
    if (CountAttachments(attachments) != complete)
        std::abort();  // sorting must never lose a complete record
    for (int i = 1; i < complete; ++i)
        if (attachments[std::size_t(i - 1)].Number > attachments[std::size_t(i)].Number)
            std::abort();
    return MtlFileText(table, attachments);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses the slot count, the rest is the file.
    const int slotCount = 1 + data[0] % 40;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    QStringList lines;
    for (const QByteArray &line : SplitLines(bytes))
        lines << DecodeCp932(line);

    bool recognised = false;
    const QString first = Normalise(lines, slotCount, &recognised);
    QByteArray encoded;
    const bool encodable = EncodeCp932(first, encoded);

    // The file reader's own way, straight from the bytes, reads the same, and
    // the bytes a save writes are that text encoded.
    MachineTable table;
    AttachmentSlots attachments;
    const bool read = ParseMtlBytes(bytes, slotCount, table, attachments);
    SortAttachments(attachments);
    QByteArray saved;
    if (read != recognised || MtlFileText(table, attachments) != first ||
        MtlFileBytes(table, attachments, saved) != encodable || (encodable && saved != encoded)) {
        std::fprintf(stderr, "the file reader or writer differs:\n%s\n", qPrintable(first));
        std::abort();
    }

    // Numbers that round to 0. at three decimals read back as "not set", so
    // the first rewrite may still drop lines; after that nothing may change.
    const QString second = Normalise(Lines(first), slotCount);
    const QString third = Normalise(Lines(second), slotCount);
    if (second != third) {
        std::fprintf(stderr, "not a fixed point:\n%s\n---\n%s\n", qPrintable(second),
                     qPrintable(third));
        std::abort();
    }
    (void)recognised;
    return 0;
}
