#include "MachineTable.h"

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
