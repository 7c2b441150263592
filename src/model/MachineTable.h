#pragma once
// The in-memory form of one machine definition.
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

// A text that always holds exactly N characters: shorter texts are padded
// with spaces, longer ones cut (never inside a surrogate pair).
template <int N>
class FixedText {
public:
    FixedText() : text_(Blank()) { }
    FixedText(const QString &s) { *this = s; }
    FixedText &operator=(const QString &s)
    {
        if (s.size() == N)
            text_ = s;  // shared, not copied
        else
            *this = QStringView(s);
        return *this;
    }
    FixedText &operator=(QStringView s)
    {
        qsizetype n = qMin<qsizetype>(N, s.size());
        if (n > 0 && n < s.size() && s[n - 1].isHighSurrogate())
            --n;
        if (n == 0) {
            text_ = Blank();
            return *this;
        }
        QString text(N, QLatin1Char(' '));
        std::copy_n(s.data(), n, text.data());
        text_ = std::move(text);
        return *this;
    }
    const QString &str() const { return text_; }
    bool operator==(const FixedText &o) const { return text_ == o.text_; }

private:
    // One text of spaces that every empty field shares: a table of 32767
    // free slots costs no text of its own.
    static const QString &Blank()
    {
        static const QString blank(N, QLatin1Char(' '));
        return blank;
    }

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
// Slots are counted in 16 bits.
inline constexpr std::int16_t kMaxAttachSlots = 32767;

// The words of the MTL file. ShapeNames is one-based and its second word is
// lower case as the file format has it; ShapeName() of any other index is empty.
inline const std::array<QString, 3> AxisNames{QStringLiteral("X"), QStringLiteral("Y"),
                                              QStringLiteral("Z")};
inline const std::array<QString, 3> AtcTypeNames{QStringLiteral("DIRECT"), QStringLiteral("WAIT"),
                                                 QStringLiteral("WAIT2")};
QString ShapeName(int shapeType);

// Bit for bit: a restored value must be the very value it was (-0 is not 0).
bool BitEqual(const AttachmentRecord &a, const AttachmentRecord &b);
bool BitEqual(const MachineTable &a, const MachineTable &b);

void ClearMachineTable(MachineTable &table);
void CopyMachineTable(MachineTable &destination, const MachineTable &source);
// Clears slots 0 to attachMaxCount - 1 (never beyond the array).
void ClearAttachments(AttachmentSlots &attachments, int attachMaxCount);
void ClearAttachment(AttachmentRecord &record);
void CopyAttachment(AttachmentRecord &destination, const AttachmentRecord &source);
