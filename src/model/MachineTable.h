#pragma once
// The in-memory form of one machine definition.
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// A text that always holds exactly N characters: shorter texts are padded
// with spaces, longer ones cut (never inside a surrogate pair).
template <int N>
class FixedText {
public:
    FixedText() : text_(N, QLatin1Char(' ')) {}
    FixedText(const QString &s) { *this = s; }
    FixedText &operator=(const QString &s)
    {
        int n = qMin<int>(N, s.size());
        if (n > 0 && n < s.size() && s.at(n - 1).isHighSurrogate())
            --n;
        text_ = s.left(n).leftJustified(N, QLatin1Char(' '));
        return *this;
    }
    const QString &str() const { return text_; }
    bool operator==(const FixedText &o) const { return text_ == o.text_; }

private:
    QString text_;
};

using Text20 = FixedText<20>;

// Axis indices of the per-axis arrays, in the order of AxisNames.
using AxisValues = std::array<float, 3>;

struct MachineTable {
    Text20 MachineName;
    AxisValues Stroke{};
    std::int16_t AtcType = -1;  // index into AtcTypeNames; -1 = not set
    float ToolChangeTime = 0;
    float MaxFeedAll = 0;
    AxisValues MaxFeed{};
    AxisValues MaxAccel{};
    AxisValues RapidFeed{};
    AxisValues RapidAccel{};
    std::int32_t IniAttachment = 0;
    QString AttachChangeCode;
    QString AttachDesignCode;
};

struct AttachmentRecord {
    std::int32_t Number = 0;       // 0 = free slot
    std::int16_t ShapeNumber = 0;  // written after the shape word when not 1
    std::int16_t ShapeType = 0;    // index into ShapeNames (1-based); 0 = no shape
    std::array<float, 5> Width{};
    std::array<float, 5> Height{};
    Text20 AttachName;
};

using AttachmentSlots = std::vector<AttachmentRecord>;

// The words of the MTL file. ShapeNames is one-based and its second word is
// lower case as the file format has it; ShapeName() of any other index is empty.
inline const std::array<QString, 3> AxisNames{QStringLiteral("X"), QStringLiteral("Y"),
                                              QStringLiteral("Z")};
inline const std::array<QString, 3> AtcTypeNames{
    QStringLiteral("DIRECT"), QStringLiteral("WAIT"), QStringLiteral("WAIT2")};
QString ShapeName(int shapeType);

void ClearMachineTable(MachineTable &table);
void CopyMachineTable(MachineTable &destination, const MachineTable &source);
// Clears slots 0 to attachMaxCount - 1 (never beyond the array).
void ClearAttachments(AttachmentSlots &attachments, int attachMaxCount);
void ClearAttachment(AttachmentRecord &record);
void CopyAttachment(AttachmentRecord &destination, const AttachmentRecord &source);
