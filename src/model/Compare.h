#pragma once
// What differs between two machine tables, in the terms of the files the
// writer would write for them rather than of their text.
#include "Fields.h"
#include "MachineTable.h"

#include <QString>

#include <cstdint>
#include <vector>

struct TableDifference {
    enum class Kind { Value, OnlyInA, OnlyInB, Attachment };
    enum class Part { None, Shape, ShapeNumber, Width, Height, Name };
    Kind kind;
    FieldRef field{Field::MachineName};  // Kind::Value
    std::int32_t number = 0;             // attachments: the number
    int occurrence = 0;                  // the k-th attachment of that number in slot order, from 0
    int slotA = -1, slotB = -1;          // the slots on each side (-1 where there is none)
    Part part = Part::None;              // Kind::Attachment: what differs
    int stage = 0;                       // Width/Height: stage index 0..4
    // Both sides as the writer writes them; "" where not written. An
    // attachment in one table only has its whole line there; a shape number
    // of 1, which the writer leaves implied, reads "1".
    QString a, b;
};

// Every difference of B against A: values in the writer's order, then
// attachments by number. Each table counts as the writer would write it: a
// value or record it leaves out is not there, stages it drops do not count,
// and a difference of layout alone (key case, line order, "850" and "850.")
// is none. Attachments of one number pair k-th with k-th in slot order.
std::vector<TableDifference> CompareTables(const MachineTable &a, const AttachmentSlots &slotsA,
                                           const MachineTable &b, const AttachmentSlots &slotsB);

// What a difference is about: "STROKE(X)", "ATTACHMENT05", for the second
// record of one number "ATTACHMENT05 #2".
QString DifferenceKey(const TableDifference &difference);

// One line for mtlcheck: "STROKE(X): 850. -> 900.", "ATTACHMENT05: only in A",
// "ATTACHMENT02: stage 2 width 80. -> 90." (stages counted from 1); a side
// that is not written reads "(not set)", a blank name "(none)". A second
// record of one number is keyed "ATTACHMENT05 #2".
QString DifferenceLine(const TableDifference &difference);
