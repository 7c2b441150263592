#pragma once
// The values of a machine table by name: what a field of the window commits,
// a hint is about, or a comparison lists.
#include "MachineTable.h"

#include <QString>

#include <array>
#include <cstddef>

enum class Field {
    MachineName,
    Stroke,
    AtcType,
    ToolChangeTime,
    MaxFeedAll,
    MaxFeed,
    MaxAccel,
    RapidFeed,
    RapidAccel,
    IniAttachment,
    AttachChangeCode,  // no field in the window: passed through from the file
    AttachDesignCode,
};
struct FieldRef {
    Field field;
    int axis = 0;  // for the per-axis values
    bool operator==(const FieldRef &) const = default;
};

// Whether the field holds one per axis.
bool PerAxis(Field field);
// The Single a field holds, or nullptr for the fields that hold no Single
// (name, ATC type, initial attachment, codes).
float *SingleOf(MachineTable &table, FieldRef field);
const float *SingleOf(const MachineTable &table, FieldRef field);
// Copies one value from another table.
void CopyValue(MachineTable &to, const MachineTable &from, FieldRef field);
// The key of the field's line in the file: "STROKE(X)", "MAXIMUM FEEDRATE", "INI".
QString FieldKey(FieldRef field);

// Every value of the table, in the order the writer writes their lines.
inline constexpr std::array<FieldRef, 22> kWriterOrder{{
    {Field::MachineName},   {Field::Stroke, 0},        {Field::Stroke, 1},
    {Field::Stroke, 2},     {Field::ToolChangeTime},   {Field::AtcType},
    {Field::RapidFeed, 0},  {Field::RapidFeed, 1},     {Field::RapidFeed, 2},
    {Field::RapidAccel, 0}, {Field::RapidAccel, 1},    {Field::RapidAccel, 2},
    {Field::MaxFeedAll},    {Field::MaxFeed, 0},       {Field::MaxFeed, 1},
    {Field::MaxFeed, 2},    {Field::MaxAccel, 0},      {Field::MaxAccel, 1},
    {Field::MaxAccel, 2},   {Field::AttachChangeCode}, {Field::AttachDesignCode},
    {Field::IniAttachment},
}};

// The place of a value in kWriterOrder.
std::size_t WriterIndex(FieldRef field);
