#include "SlotOrder.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

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

namespace {

// Sorts keys by their upper 32 bits, keeping the order of equal ones: one
// counting pass per byte that tells keys apart.
void SortByUpperHalf(std::vector<std::uint64_t> &keys)
{
    std::vector<std::uint64_t> spare(keys.size());
    for (int shift = 32; shift < 64; shift += 8) {
        std::size_t counts[257] = {};
        for (const std::uint64_t key : keys)
            ++counts[(key >> shift & 0xFF) + 1];
        if (std::find(std::begin(counts), std::end(counts), keys.size()) != std::end(counts))
            continue;  // one value for every key: nothing to order
        for (int b = 0; b < 256; ++b)
            counts[b + 1] += counts[b];
        for (const std::uint64_t key : keys)
            spare[counts[key >> shift & 0xFF]++] = key;
        keys.swap(spare);
    }
}

}  // namespace

void SortAttachments(AttachmentSlots &attachments, std::vector<int> *alongside)
{
    // Only complete records take part, so an incomplete one can never take
    // the place of a complete one; equal numbers keep their slot order. The
    // order is found on small keys (number, slot), after which every record
    // moves once, round the cycles of that order, with no second table.
    // Incomplete records sort last and are cleared there.
    const std::size_t n = attachments.size();
    if (alongside)
        alongside->resize(n);
    std::vector<std::uint64_t> keys(n);
    std::size_t complete = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const bool kept = IsComplete(attachments[i]);
        complete += kept;
        const std::uint32_t rank = kept ? std::uint32_t(attachments[i].Number) : UINT32_MAX;
        keys[i] = std::uint64_t(rank) << 32 | i;
    }
    SortByUpperHalf(keys);

    std::vector<bool> placed(n);
    for (std::size_t start = 0; start < n; ++start) {
        if (placed[start])
            continue;
        AttachmentRecord carried = std::move(attachments[start]);
        const int carriedAlong = alongside ? (*alongside)[start] : 0;
        std::size_t at = start;
        for (std::size_t from = std::uint32_t(keys[at]); from != start;
             from = std::uint32_t(keys[at])) {
            attachments[at] = std::move(attachments[from]);
            if (alongside)
                (*alongside)[at] = (*alongside)[from];
            placed[at] = true;
            at = from;
        }
        attachments[at] = std::move(carried);
        if (alongside)
            (*alongside)[at] = carriedAlong;
        placed[at] = true;
    }
    for (std::size_t k = complete; k < n; ++k) {
        ClearAttachment(attachments[k]);
        if (alongside)
            (*alongside)[k] = 0;
    }
}
