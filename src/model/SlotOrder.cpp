#include "SlotOrder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

int FindAttachment(const AttachmentSlots &attachments, std::int32_t n)
{
    for (std::size_t i = 0; i < attachments.size(); ++i)
        if (attachments[i].Number == n)
            return int(i);
    return -1;
}

bool IsComplete(const AttachmentRecord &record)
{
    return record.Number > 0 && record.ShapeType > 0 && record.ShapeNumber > 0;
}

int CountAttachments(const AttachmentSlots &attachments)
{
    return int(std::count_if(attachments.begin(), attachments.end(), IsComplete));
}

void SortAttachments(AttachmentSlots &attachments)
{
    // Only complete records take part, so an incomplete one can never take
    // the place of a complete one; equal numbers keep their slot order.
    AttachmentSlots placed;
    placed.reserve(attachments.size());
    for (const AttachmentRecord &r : attachments)
        if (IsComplete(r))
            placed.push_back(r);
    std::stable_sort(placed.begin(), placed.end(),
                     [](const AttachmentRecord &a, const AttachmentRecord &b) {
                         return a.Number < b.Number;
                     });
    std::size_t k = 0;
    for (; k < placed.size(); ++k)
        attachments[k] = std::move(placed[k]);
    for (; k < attachments.size(); ++k)
        ClearAttachment(attachments[k]);
}
