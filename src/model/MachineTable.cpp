#include "MachineTable.h"

#include <cstddef>
#include <cstring>

QString ShapeName(int shapeType)
{
    switch (shapeType) {
    case 1: return QStringLiteral("SQUARE");
    case 2: return QStringLiteral("undefine");
    default: return QString();
    }
}

void ClearMachineTable(MachineTable &table)
{
    table = MachineTable();
}

void CopyMachineTable(MachineTable &destination, const MachineTable &source)
{
    destination = source;
}

void ClearAttachment(AttachmentRecord &record)
{
    record = AttachmentRecord();
}

void ClearAttachments(AttachmentSlots &attachments, int attachMaxCount)
{
    const int n = qMin<int>(attachMaxCount, int(attachments.size()));
    for (int i = 0; i < n; ++i)
        ClearAttachment(attachments[i]);
}

void CopyAttachment(AttachmentRecord &destination, const AttachmentRecord &source)
{
    destination = source;
}

namespace {
bool SameFloats(const float *a, const float *b, std::size_t n)
{
    return std::memcmp(a, b, n * sizeof(float)) == 0;
}
}  // namespace

bool BitEqual(const AttachmentRecord &a, const AttachmentRecord &b)
{
    return a.Number == b.Number && a.ShapeNumber == b.ShapeNumber && a.ShapeType == b.ShapeType &&
           SameFloats(a.Width.data(), b.Width.data(), a.Width.size()) &&
           SameFloats(a.Height.data(), b.Height.data(), a.Height.size()) &&
           a.AttachName == b.AttachName;
}

bool BitEqual(const MachineTable &a, const MachineTable &b)
{
    auto same = [](const AxisValues &x, const AxisValues &y) {
        return SameFloats(x.data(), y.data(), x.size());
    };
    return a.MachineName == b.MachineName && same(a.Stroke, b.Stroke) && a.AtcType == b.AtcType &&
           SameFloats(&a.ToolChangeTime, &b.ToolChangeTime, 1) &&
           SameFloats(&a.MaxFeedAll, &b.MaxFeedAll, 1) && same(a.MaxFeed, b.MaxFeed) &&
           same(a.MaxAccel, b.MaxAccel) && same(a.RapidFeed, b.RapidFeed) &&
           same(a.RapidAccel, b.RapidAccel) && a.IniAttachment == b.IniAttachment &&
           a.AttachChangeCode == b.AttachChangeCode && a.AttachDesignCode == b.AttachDesignCode;
}
