#include "Fields.h"

#include <cstddef>

bool PerAxis(Field field)
{
    switch (field) {
    case Field::Stroke:
    case Field::MaxFeed:
    case Field::MaxAccel:
    case Field::RapidFeed:
    case Field::RapidAccel: return true;
    default: return false;
    }
}

float *SingleOf(MachineTable &t, FieldRef f)
{
    const std::size_t axis = std::size_t(qBound(0, f.axis, 2));
    switch (f.field) {
    case Field::Stroke: return &t.Stroke[axis];
    case Field::ToolChangeTime: return &t.ToolChangeTime;
    case Field::MaxFeedAll: return &t.MaxFeedAll;
    case Field::MaxFeed: return &t.MaxFeed[axis];
    case Field::MaxAccel: return &t.MaxAccel[axis];
    case Field::RapidFeed: return &t.RapidFeed[axis];
    case Field::RapidAccel: return &t.RapidAccel[axis];
    default: return nullptr;
    }
}

const float *SingleOf(const MachineTable &t, FieldRef f)
{
    return SingleOf(const_cast<MachineTable &>(t), f);
}

void CopyValue(MachineTable &to, const MachineTable &from, FieldRef f)
{
    if (float *single = SingleOf(to, f)) {
        *single = *SingleOf(from, f);
        return;
    }
    switch (f.field) {
    case Field::MachineName: to.MachineName = from.MachineName; break;
    case Field::AtcType: to.AtcType = from.AtcType; break;
    case Field::IniAttachment: to.IniAttachment = from.IniAttachment; break;
    case Field::AttachChangeCode: to.AttachChangeCode = from.AttachChangeCode; break;
    case Field::AttachDesignCode: to.AttachDesignCode = from.AttachDesignCode; break;
    default: break;
    }
}

QString FieldKey(FieldRef f)
{
    QString key;
    switch (f.field) {
    case Field::MachineName: return QStringLiteral("NAME");
    case Field::AtcType: return QStringLiteral("ATC TYPE");
    case Field::ToolChangeTime: return QStringLiteral("TOOL CHANGE TIME");
    case Field::MaxFeedAll: return QStringLiteral("MAXIMUM FEEDRATE");
    case Field::IniAttachment: return QStringLiteral("INI");
    case Field::AttachChangeCode: return QStringLiteral("ATTACH CHANGE CODE");
    case Field::AttachDesignCode: return QStringLiteral("ATTACH DESIGN CODE");
    case Field::Stroke: key = QStringLiteral("STROKE"); break;
    case Field::MaxFeed: key = QStringLiteral("MAXIMUM FEEDRATE"); break;
    case Field::MaxAccel: key = QStringLiteral("MAXIMUM ACCELERATION"); break;
    case Field::RapidFeed: key = QStringLiteral("RAPID"); break;
    case Field::RapidAccel: key = QStringLiteral("RAPID ACCELERATION"); break;
    }
    return key + u'(' + AxisNames[std::size_t(qBound(0, f.axis, 2))] + u')';
}

std::size_t WriterIndex(FieldRef field)
{
    for (std::size_t i = 0; i < kWriterOrder.size(); ++i)
        if (kWriterOrder[i].field == field.field &&
            (!PerAxis(field.field) || kWriterOrder[i].axis == field.axis))
            return i;
    return 0;
}
