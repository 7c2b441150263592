#pragma once
// Plausibility hints: values a file may well hold that are probably mistyped,
// such as a rapid feed below the cutting feed. A hint never blocks anything;
// the windows mark what it is about and mtlcheck lists it.
#include "Fields.h"
#include "MachineTable.h"
#include "platform/MessageTable.h"

#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>
#include <vector>

enum class HintRule {
    RapidBelowFeed,
    FeedAboveOverall,
    RapidAccelBelowAccel,
    AxisNotSet,
    AxisOutlier,
    HeadTallerThanZ,
    InitialNotListed,
    SameNameOtherOutline,
    SameNumber,
};
inline constexpr int kHintRuleCount = 9;

// "rapid-below-feed", ...: the names of the settings and of mtlcheck's lines.
QString HintRuleName(HintRule rule);
// A name as a settings value writes it: blanks around it and case do not matter.
std::optional<HintRule> HintRuleByName(QStringView name);
// "Hints Off": rule names separated by commas; the names it does not know go
// to *unknown as written, trimmed.
std::array<bool, kHintRuleCount> HintsOffFrom(const QString &value, QStringList *unknown = nullptr);

struct Hint {
    HintRule rule;
    FieldRef field{Field::MachineName};  // the marked value, when slot < 0 and !edited
    int slot = -1;                       // >= 0: the marked attachment row (its slot index)
    bool edited = false;                 // about the record being edited (see HintOptions)
    // The first value it was compared with: mtlcheck names its line when the
    // marked value has none in the file.
    std::optional<FieldRef> comparedWith;
    Msg message;       // what to say, with data as its %1, %2, ...
    QStringList data;  // numbers as the window shows them, keys as "ATTACHMENT05"
};

struct HintOptions {
    std::array<bool, kHintRuleCount> off{};     // rules turned off
    const AttachmentRecord *editing = nullptr;  // a record open in the attachment editor, taken
    int editingSlot = -1;  // in place of this slot, or as one more record when -1
};

// The hints of a table and its slots (kept sorted by Number): values in the
// order the writer writes them, then rows by slot, the edited record last
// when it has no slot.
std::vector<Hint> FindHints(const MachineTable &table, const AttachmentSlots &attachments,
                            const HintOptions &options = {});

// The message of a rule, and its English text with %1.. placeholders (the
// same text as the English message file): for mtlcheck, and for message
// files made before the hints.
Msg HintMessage(HintRule rule);
const char *HintEnglish(HintRule rule);

// A hint's words: the text of its message with %1, %2, ... its data, filled
// in one pass (data that holds "%2" stays as it is).
QString HintText(const QString &text, const Hint &hint);
