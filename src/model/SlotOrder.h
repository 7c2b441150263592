#pragma once
#include "MachineTable.h"

#include <cstdint>
#include <vector>

// Index of the first slot whose Number is n, or -1. n = 0 finds the first free slot.
int FindAttachment(const AttachmentSlots &attachments, std::int32_t n);
// Records whose Number, ShapeType and ShapeNumber are all above 0.
int CountAttachments(const AttachmentSlots &attachments);
bool IsComplete(const AttachmentRecord &record);
// Complete records first, ascending Number, equal numbers in slot order;
// every slot after them cleared. alongside, when given, holds a value for
// each slot and is put in the same order (a cleared slot's value 0).
void SortAttachments(AttachmentSlots &attachments, std::vector<int> *alongside = nullptr);
