#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>

// The numbers of the message file, by what each text is for. The numbers
// are the file's: a translated file keeps them.
enum class Msg : int {
    TitleProduct = 0,  // the main window's title: these three
    TitleDescription = 1,
    TitleProject = 2,
    FileButton = 3,
    SaveButton = 4,
    EndButton = 5,
    MachineNameLabel = 6,
    AtcTypeLabel = 7,
    ToolChangeTimeLabel = 8,
    ToolChangeTimeUnit = 9,
    MaxFeedLabel = 10,
    AllAxesLabel = 11,
    RapidAccelLabel = 12,
    XAxis = 13,
    RapidFeedLabel = 14,
    YAxis = 15,
    AttachmentsLabel = 16,
    ZAxis = 17,
    AddButton = 18,     // optional: without it the button keeps its own caption
    DeleteButton = 19,  // likewise
    AttachmentListLabel = 20,
    MaxAccelLabel = 21,
    StrokeLabel = 22,
    PerAxisLabel = 23,
    InitialAttachmentLabel = 24,
    NotSetNote = 25,
    EditButton = 26,
    EditorTitleProduct = 27,  // the editor's title: these three
    EditorTitle = 28,
    EditorTitleHint = 29,
    AttachmentNumber = 30,  // the editor's number caption, the number prompt's title, and
                            // before a typed number and NotRegistered
    StageBefore = 31,       // around a stage's number: its caption
    StageAfter = 32,
    WidthHeading = 34,
    HeightHeading = 35,
    CloseButton = 36,
    EntryButton = 37,
    ShowButton = 38,
    OpenDialogTitle = 39,
    AllFilesFilter = 40,
    SaveChanges = 41,
    NotANumber = 42,
    TableFull = 43,
    NumberTooLarge = 47,  // after the digits 16777215
    AddNumberPrompt = 50,
    DeleteQuestion = 51,  // after an attachment's key
    NotRegistered = 52,
    DeleteInitialQuestion = 53,  // after an attachment's key
    TableFullLine1 = 54,
    TableFullLine2 = 55,
    TableFullLine3 = 56,
    Saved = 57,
    NothingSelected = 58,
    NotAnMtlFile = 59,
    FolderMissing = 60,
    SaveFailed = 61,
    ChangedOnDisk = 62,
    OverwriteUnloadable = 63,
    BackupLeft = 64,
    SettingsUnreadable = 65,
    SettingsNotWritten = 66,
    FileTooLarge = 67,
    MtlFileType = 68,
    LinesNotKept = 69,  // followed by the count of lines
    SaveDropsLines = 70,
    Undo = 71,
    Redo = 72,
    OpenElsewhere = 73,
    RecoverEdits = 74,
    LeftoverUnusable = 75,
    InterruptedSaveBackup = 76,
    OutlineName = 77,
    OutlineDescription = 78,  // %1 stages, %2 the widest width, %3 the total height
    CharactersNotHeld = 79,   // followed by the characters
    FolderGoneEndAnyway = 80,
    EditsKeptIn = 81,  // followed by the recovery copy's path
    NoMachineLine = 82,
    StageOneIncomplete = 83,  // after stage 1's caption
    // The plausibility hints, one per rule, and the count of them in the
    // window's strip (%1 the number; NoHints at zero).
    HintRapidBelowFeed = 84,
    HintFeedAboveOverall = 85,
    HintRapidAccelBelowAccel = 86,
    HintAxisNotSet = 87,
    HintAxisOutlier = 88,
    HintHeadTallerThanZ = 89,
    HintInitialNotListed = 90,
    HintSameNameOtherOutline = 91,
    HintSameNumber = 92,
    HintCount = 93,
    NoHints = 94,
    CompareButton = 95,
    CompareTitle = 96,
    CompareItem = 97,
    ThisWindow = 98,
    OtherFile = 99,
    OwnFileOnDisk = 100,
    TakeOver = 101,
    CompareOtherFile = 102,
    CompareOwnFile = 103,   // says it compares values, not a save's bytes
    DifferenceCount = 104,  // %1 the number
    NoDifferences = 105,
    NotSet = 106,
    NotInFile = 107,
    PartShape = 108,
    PartShapeNumber = 109,
    PartStageWidth = 110,  // %1 the stage
    PartStageHeight = 111,
    PartName = 112,
    DifferenceList = 113,
    ChangedElsewhere = 114,  // %1 the file's name
    ReplacedElsewhere = 115,
    RemovedElsewhere = 116,
    ReloadButton = 117,
    KeepEditing = 118,
    ReloadQuestion = 119,
    RecentFiles = 120,
    RecentMissing = 121,
    NoRecentFiles = 122,
    OtherLinesNotKept = 123,  // %1 the count of lines, which follow
    TakeOverRoom = 124,       // %1 slots in use, %2 slots, %3 the attachments the rows add
};

// The numbered captions and messages. A number outside the table reads as
// empty text: a short message file must never crash the program.
class MessageTable {
public:
    void Create(std::int16_t maxIndex)
    {
        maxIndex_ = maxIndex;
        texts_ = QStringList();
        for (int i = 0; i <= maxIndex; ++i)
            texts_.append(QString());
    }
    void Set(int index, const QString &text)
    {
        if (index >= 0 && index < texts_.size())
            texts_[index] = text;
    }
    // Gives an entry the file left empty a text of the program's own, also
    // beyond the file's MAX_INDEX.
    void SetMissing(Msg message, const QString &text)
    {
        const int index = int(message);
        while (index >= texts_.size())
            texts_.append(QString());
        if (index >= 0 && texts_.at(index).isEmpty())
            texts_[index] = text;
    }
    QString operator()(Msg message) const { return Text(int(message)); }
    QString Text(int index) const
    {
        return index >= 0 && index < texts_.size() ? texts_.at(index) : QString();
    }
    std::int16_t MaxIndex() const { return maxIndex_; }
    bool Loaded() const { return !texts_.isEmpty(); }
    void Clear()
    {
        texts_.clear();
        maxIndex_ = -1;
        language_ = kDesignLanguage;
    }

    // The language the texts are written in, as a locale name ("ja", "en"),
    // from the file's LANGUAGE line; Japanese, the design language, without one.
    // Qt's own texts (standard buttons, context menus) follow it.
    const QString &Language() const { return language_; }
    void SetLanguage(const QString &language)
    {
        language_ = language.isEmpty() ? kDesignLanguage : language;
    }
    static inline const QString kDesignLanguage = QStringLiteral("ja");

private:
    QStringList texts_;
    std::int16_t maxIndex_ = -1;
    QString language_ = kDesignLanguage;
};
