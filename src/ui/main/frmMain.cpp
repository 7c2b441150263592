#include "frmMain.h"

#include "ui_frmMain.h"

#include "app/Settings.h"
#include "model/MtlFile.h"
#include "model/Numbers.h"
#include "model/SlotOrder.h"
#include "platform/FileSystem.h"
#include "ui/common/Warn.h"
#include "ui/common/WindowSetup.h"
#include "ui/editor/OutlineDraw.h"
#include "ui/editor/frmEditor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QProcess>
#include <QShortcut>

#include <cfloat>
#include <cstdio>

namespace {
const QString kConfig = QStringLiteral("Config");
const QString kInitDirKey = QStringLiteral("Init Dir");
const QString kInitFileKey = QStringLiteral("Init File");
}  // namespace

frmMain::frmMain(AppState &state, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), ui(new Ui::frmMain), fieldEvents_(this)
{
    ui->setupUi(this);
    setFixedSize(size());

    txtStroke = {ui->txtStroke_0, ui->txtStroke_1, ui->txtStroke_2};
    txtMaxFeedXYZ = {ui->txtMaxFeedXYZ_0, ui->txtMaxFeedXYZ_1, ui->txtMaxFeedXYZ_2};
    txtMaxAcceleXYZ = {ui->txtMaxAcceleXYZ_0, ui->txtMaxAcceleXYZ_1, ui->txtMaxAcceleXYZ_2};
    txtRapidFeedXYZ = {ui->txtRapidFeedXYZ_0, ui->txtRapidFeedXYZ_1, ui->txtRapidFeedXYZ_2};
    txtRapidAcceleXYZ = {ui->txtRapidAcceleXYZ_0, ui->txtRapidAcceleXYZ_1,
                         ui->txtRapidAcceleXYZ_2};

    // A .ui font holds whole points only.
    QFont noteFont = ui->Label24->font();
    noteFont.setPointSizeF(11.25);
    ui->Label24->setFont(noteFont);
    ui->pictView->SetBackColor(QColor(0xE0, 0xE0, 0xE0));

    // Number boxes take plain digits: no input method.
    QList<QLineEdit *> numberBoxes{ui->txtCngTime, ui->txtMaxFeedAll, ui->txtAttachInit};
    for (const auto *array :
         {&txtStroke, &txtMaxFeedXYZ, &txtMaxAcceleXYZ, &txtRapidFeedXYZ, &txtRapidAcceleXYZ})
        for (QLineEdit *box : *array)
            numberBoxes << box;
    // The decimal boxes hold the longest text of any Single (-FLT_MAX, 41
    // characters), so that no value is cut on display and read back cut.
    const int longestNumber = int(FormatNumber(-FLT_MAX, Pattern::Decimal).size());
    for (QLineEdit *box : numberBoxes) {
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        if (box != ui->txtAttachInit)
            box->setMaxLength(longestNumber);
    }

    // Field commits: Validate, then LostFocus, when the focus leaves a field.
    fieldEvents_.Watch(ui->txtCngTime, [this](bool &c) { txtCngTime_Validate(c); });
    fieldEvents_.Watch(ui->txtMaxFeedAll, [this](bool &c) { txtMaxFeedAll_Validate(c); });
    for (int i = 0; i < 3; ++i) {
        fieldEvents_.Watch(txtStroke[i], [this, i](bool &c) { txtStroke_Validate(i, c); });
        fieldEvents_.Watch(txtMaxFeedXYZ[i], [this, i](bool &c) { txtMaxFeedXYZ_Validate(i, c); });
        fieldEvents_.Watch(txtMaxAcceleXYZ[i],
                           [this, i](bool &c) { txtMaxAcceleXYZ_Validate(i, c); });
        fieldEvents_.Watch(txtRapidFeedXYZ[i],
                           [this, i](bool &c) { txtRapidFeedXYZ_Validate(i, c); });
        fieldEvents_.Watch(txtRapidAcceleXYZ[i],
                           [this, i](bool &c) { txtRapidAcceleXYZ_Validate(i, c); });
    }
    fieldEvents_.Watch(ui->txtMachineName, {}, [this] { txtMachineName_LostFocus(); });
    fieldEvents_.Watch(ui->txtAttachInit, [this](bool &c) { txtAttachInit_Validate(c); },
                       [this] { txtAttachInit_LostFocus(); });

    connect(ui->txtFileName, &QLineEdit::textChanged, this, [this] { txtFileName_Change(); });
    connect(ui->cmbAtcType, &QComboBox::currentIndexChanged, this, [this] { cmbAtcType_Click(); });
    connect(ui->lstAttach, &QListWidget::itemSelectionChanged, this, [this] { lstAttach_Click(); });
    connect(ui->framFile, &DropFrame::filesDropped, this,
            [this](const QStringList &files) { framFile_OLEDragDrop(files); });

    // Buttons that act on the model see the focused field committed first
    // and do nothing while it refuses its text.
    auto act = [this](void (frmMain::*handler)()) {
        return [this, handler] {
            if (fieldEvents_.Commit())
                (this->*handler)();
        };
    };
    connect(ui->btnEntry, &QPushButton::clicked, this, act(&frmMain::btnEntry_Click));
    connect(ui->btnEnd, &QPushButton::clicked, this, act(&frmMain::btnEnd_Click));
    connect(ui->cmdFile, &QPushButton::clicked, this, act(&frmMain::cmdFile_Click));
    connect(ui->btnAdd, &QPushButton::clicked, this, act(&frmMain::btnAdd_Click));
    connect(ui->btnEdit, &QPushButton::clicked, this, act(&frmMain::btnEdit_Click));
    connect(ui->btnDel, &QPushButton::clicked, this, act(&frmMain::btnDel_Click));
    connect(ui->lstAttach, &QListWidget::itemDoubleClicked, this, act(&frmMain::btnEdit_Click));
    // The keys press the buttons themselves, so they commit the field first too.
    for (const auto &[keys, button] : {std::pair{Qt::CTRL | Qt::Key_S, ui->btnEntry},
                                       std::pair{Qt::CTRL | Qt::Key_O, ui->cmdFile},
                                       std::pair{Qt::CTRL | Qt::Key_Q, ui->btnEnd}}) {
        auto *shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
        button->setToolTip(shortcut->key().toString(QKeySequence::NativeText));
    }

    // Labels lead to their fields.
    const std::pair<QLabel *, QWidget *> buddies[] = {
        {ui->Label1, ui->txtMachineName},   {ui->Label18, txtStroke[0]},
        {ui->Label19, txtStroke[0]},        {ui->Label20, txtStroke[1]},
        {ui->Label22, txtStroke[2]},        {ui->Label2, ui->cmbAtcType},
        {ui->Label3, ui->txtCngTime},       {ui->Label4, ui->txtCngTime},
        {ui->Label7, ui->txtMaxFeedAll},    {ui->Label5, ui->txtMaxFeedAll},
        {ui->Label21, txtMaxFeedXYZ[0]},    {ui->Label6, txtMaxFeedXYZ[0]},
        {ui->Label17, txtMaxAcceleXYZ[0]},  {ui->Label10, txtRapidFeedXYZ[0]},
        {ui->Label8, txtRapidAcceleXYZ[0]}, {ui->Label9, txtMaxFeedXYZ[0]},
        {ui->Label11, txtMaxFeedXYZ[1]},    {ui->Label13, txtMaxFeedXYZ[2]},
        {ui->Label12, ui->txtAttachInit},   {ui->Label23, ui->txtAttachInit},
        {ui->Label16, ui->lstAttach},
    };
    for (const auto &[label, field] : buddies)
        label->setBuddy(field);

    openEditor = [this] {
        if (!editor_)
            editor_ = new frmEditor(state_, dialogs_, [this] { AttachDefChange(); }, this);
        editor_->OpenModal();
    };
    startEditor = [](const QString &program, const QStringList &arguments) {
        return QProcess::startDetached(program, arguments);
    };
    endProgram = [] { QCoreApplication::quit(); };
    SetUpWindow(*this, state_.messages);
}

frmMain::~frmMain()
{
    delete ui;
}

void frmMain::ShowWindow()
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    show();
    ReportSettingsProblem();
}

void frmMain::SetFileName(const QString &name)
{
    ui->txtFileName->setText(name);
}

void frmMain::Form_Load()
{
    const MessageTable &m = state_.messages;
    caption_ = m(0) + QStringLiteral("  Ver") + kVersionText + QStringLiteral("    ") + m(1) +
               QStringLiteral("    ") + m(2);
    UpdateTitle();

    const std::pair<QWidget *, int> captions[] = {
        {ui->cmdFile, 3},  {ui->btnEntry, 4}, {ui->btnEnd, 5},   {ui->Label1, 6},
        {ui->Label2, 7},   {ui->Label3, 8},   {ui->Label4, 9},   {ui->Label5, 10},
        {ui->Label6, 10},  {ui->Label7, 11},  {ui->Label8, 12},  {ui->Label9, 13},
        {ui->Label10, 14}, {ui->Label11, 15}, {ui->Label12, 16}, {ui->Label13, 17},
        {ui->Label16, 20}, {ui->Label17, 21}, {ui->Label18, 22}, {ui->Label19, 13},
        {ui->Label20, 15}, {ui->Label21, 23}, {ui->Label22, 17}, {ui->Label23, 24},
        {ui->Label24, 25}, {ui->btnEdit, 26},
    };
    for (const auto &[widget, number] : captions) {
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->setText(m(number));
        else if (auto *label = qobject_cast<QLabel *>(widget))
            label->setText(m(number));
    }
    // Add and Delete keep their design captions unless the message file
    // translates them with the otherwise unused numbers 18 and 19.
    for (const auto &[button, number] : {std::pair{ui->btnAdd, 18}, std::pair{ui->btnDel, 19}}) {
        if (!m(number).isEmpty())
            button->setText(m(number));
    }
    SetAccessibleNames();
    // Labels fit their captions; the note keeps its width and wraps.
    for (QLabel *label : findChildren<QLabel *>()) {
        if (label == ui->Label24)
            label->resize(label->width(), label->heightForWidth(label->width()));
        else
            label->adjustSize();
    }

    // An installed program's folder holds no MTL files: there the dialog
    // starts in the user's home; a portable copy keeps its own folder.
    initDir_ = GetIniValue(state_, kConfig, kInitDirKey,
                           state_.settings.Portable ? state_.settings.AppPath
                                                    : QDir::homePath() + QLatin1Char('/'));
    initFile_ = GetIniValue(state_, kConfig, kInitFileKey, QString());

    displaying_ = true;
    ui->txtFileName->clear();
    ShowMachineTable();
    displaying_ = false;
}

// Screen readers name each field by the captions around it: a grid box by its
// column heading and its axis.
void frmMain::SetAccessibleNames()
{
    const MessageTable &m = state_.messages;
    auto both = [](const QString &first, const QString &second) { return first + u' ' + second; };
    const QString axis[3] = {m(13), m(15), m(17)};
    for (int i = 0; i < 3; ++i) {
        txtStroke[i]->setAccessibleName(both(m(22), axis[i]));
        txtMaxFeedXYZ[i]->setAccessibleName(both(m(10), axis[i]));
        txtMaxAcceleXYZ[i]->setAccessibleName(both(m(21), axis[i]));
        txtRapidFeedXYZ[i]->setAccessibleName(both(m(14), axis[i]));
        txtRapidAcceleXYZ[i]->setAccessibleName(both(m(12), axis[i]));
    }
    ui->txtMachineName->setAccessibleName(m(6));
    ui->cmbAtcType->setAccessibleName(m(7));
    ui->txtCngTime->setAccessibleName(both(m(8), m(9)));
    ui->txtMaxFeedAll->setAccessibleName(both(m(11), m(10)));
    ui->txtAttachInit->setAccessibleName(m(24));
    ui->lstAttach->setAccessibleName(m(20));
    ui->txtFileName->setAccessibleName(m(3));
    for (QAbstractButton *button : findChildren<QAbstractButton *>())
        button->setAccessibleName(button->text());
}

void frmMain::SetDataChanged(bool changed)
{
    current_.SetChanged(changed);
    setWindowModified(changed);
}

void frmMain::UpdateTitle()
{
    // An explicit title hides the file path in Qt, so the name goes in by hand.
    const QString &name = current_.Name();
    setWindowFilePath(name);
    setWindowTitle(name.isEmpty() ? caption_ + QStringLiteral("[*]")
                                  : QFileInfo(name).fileName() + QStringLiteral("[*] - ") + caption_);
}

void frmMain::Form_Unload()
{
    WriteIniValue(state_, kConfig, kInitDirKey, initDir_);
    WriteIniValue(state_, kConfig, kInitFileKey, initFile_);
    ReportSettingsProblem();
}

void frmMain::ReportSettingsProblem()
{
    const AppSettings &s = state_.settings;
    if (settingsReported_ || (s.IniUsable && !s.IniWriteFailed))
        return;
    settingsReported_ = true;
    dialogs_.MsgBox(state_.messages(s.IniUsable ? 66 : 65) + QLatin1Char('\n') +
                        QDir::toNativeSeparators(s.IniPath),
                    MsgButtons::Ok, MsgIcon::Exclamation);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!unloaded_ && !ending_) {
        // The close box asks about unsaved edits as the end button does.
        bool cancel = !fieldEvents_.Commit();
        if (!cancel)
            ConfirmSave(cancel);
        if (cancel) {
            event->ignore();
            return;
        }
    }
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    event->accept();
}

void frmMain::ShowMachineTable()
{
    const bool wasDisplaying = displaying_;
    displaying_ = true;
    const MachineTable &t = state_.machineTable;
    // The fixed field's padding would block typing at the name's end.
    QString name = t.MachineName.str();
    while (name.endsWith(u' '))
        name.chop(1);
    ui->txtMachineName->setText(name);
    ui->cmbAtcType->setCurrentIndex(t.AtcType >= 0 && t.AtcType <= 2 ? t.AtcType : -1);
    ui->txtCngTime->setText(FormatNumber(t.ToolChangeTime, Pattern::Decimal));
    ui->txtMaxFeedAll->setText(FormatNumber(t.MaxFeedAll, Pattern::Decimal));
    ui->txtAttachInit->setText(FormatNumber(t.IniAttachment, Pattern::Whole));
    for (int i = 0; i < 3; ++i) {
        txtStroke[i]->setText(FormatNumber(t.Stroke[i], Pattern::Decimal));
        txtMaxFeedXYZ[i]->setText(FormatNumber(t.MaxFeed[i], Pattern::Decimal));
        txtMaxAcceleXYZ[i]->setText(FormatNumber(t.MaxAccel[i], Pattern::Decimal));
        txtRapidFeedXYZ[i]->setText(FormatNumber(t.RapidFeed[i], Pattern::Decimal));
        txtRapidAcceleXYZ[i]->setText(FormatNumber(t.RapidAccel[i], Pattern::Decimal));
    }

    ui->lstAttach->clear();
    ui->pictView->Clear();
    rowSlot_.clear();
    QStringList lines;
    const int slotCount = qMin<int>(state_.AttachMaxCount, int(state_.Attachments.size()));
    for (int i = 0; i < slotCount; ++i) {
        const QString line = FormatAttachLine(state_.Attachments, i);
        if (!line.isEmpty()) {
            lines << line;
            rowSlot_.push_back(i);
        }
    }
    ui->lstAttach->addItems(lines);
    displaying_ = wasDisplaying;
}

void frmMain::AttachDefChange()
{
    SetDataChanged(true);
    ShowMachineTable();
}

int frmMain::RowSlot(int row) const
{
    return row >= 0 && row < int(rowSlot_.size()) ? rowSlot_[row] : -1;
}

// --- loading and saving ---------------------------------------------------

void frmMain::txtFileName_Change()
{
    const QString name = ui->txtFileName->text().trimmed();
    if (name.isEmpty()) {
        current_.Clear();
        UpdateTitle();
        return;
    }
    ClearMachineTable(state_.machineTable);
    ClearAttachments(state_.Attachments, state_.AttachMaxCount);
    if (FileExists(name)) {
        const LoadResult result = ReadMtlFile(state_, name);
        // A file that gave no table is not the current file: saving the empty
        // table over it has to be confirmed.
        if (result.loaded)
            current_.SetLoaded(name, result.hash);
        else
            current_.SetFailed(name);
        if (result.message)
            ShowFileProblem(result.message, result.reason, QString());
    } else {
        current_.SetMissing(name);
    }
    UpdateTitle();
    // Also after a missing file: the window must not show values the table
    // no longer holds, or the next save would drop them unseen.
    ShowMachineTable();
    SetDataChanged(false);  // the window shows the file as it is
}

void frmMain::ShowFileProblem(int message, const QString &reason, const QString &backupLeft)
{
    QString text = state_.messages(message);
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    if (!backupLeft.isEmpty())
        text += QLatin1Char('\n') + QDir::toNativeSeparators(backupLeft);
    dialogs_.MsgBox(text, MsgButtons::Ok, MsgIcon::Exclamation);
}

bool frmMain::CanSave(const QString &name) const
{
    if (name.isEmpty())
        return false;
    if (FileExists(name))
        return true;
    // A new name in an existing folder; never something that exists but is
    // no normal file (a folder, a hidden file the reader did not see).
    const QFileInfo info(name);
    return !info.exists() && !info.isSymLink() && info.absoluteDir().exists();
}

bool frmMain::ConfirmOverwrite(const QString &name)
{
    int question = 0;
    switch (current_.GetState()) {
    case CurrentFile::State::None:
        return false;
    case CurrentFile::State::Failed:
        question = FileExists(name) ? 63 : 0;
        break;
    case CurrentFile::State::Loaded:
    case CurrentFile::State::Missing:
        question = current_.SameOnDisk() ? 0 : 62;
        break;
    }
    return question == 0 ||
           dialogs_.MsgBox(state_.messages(question), MsgButtons::YesNo, MsgIcon::Question,
                           MsgAnswer::No, kProgramTitle) == MsgAnswer::Yes;
}

void frmMain::Save()
{
    const QString name = current_.Name();
    if (!CanSave(name) || !ConfirmOverwrite(name))
        return;
    const SaveResult result = WriteMtlFile(state_, name);
    if (!result.Saved()) {
        ShowFileProblem(result.message, result.reason, result.backupLeft);
        return;
    }
    current_.SetSaved(result.hash);
    SetDataChanged(false);
    QString text = state_.messages(57);
    if (!result.backupLeft.isEmpty())
        text += QLatin1Char('\n') + state_.messages(64) + QLatin1Char('\n') +
                QDir::toNativeSeparators(result.backupLeft);
    dialogs_.MsgBox(text, MsgButtons::Ok, MsgIcon::Information);
}

void frmMain::btnEntry_Click()
{
    Save();
}

void frmMain::ConfirmSave(bool &Cancel)
{
    Cancel = false;
    if (!current_.Changed())
        return;
    if (!CanSave(current_.Name()))
        return;  // nowhere to save: the edits are given up
    const MsgAnswer answer =
        dialogs_.MsgBox(state_.messages(41), MsgButtons::YesNoCancel, MsgIcon::Information);
    if (answer == MsgAnswer::Cancel) {
        Cancel = true;
    } else if (answer == MsgAnswer::Yes) {
        Save();
        // A save that failed or was refused has said why; going on would lose the edits.
        if (current_.Changed())
            Cancel = true;
    }
}

// --- field commits ----------------------------------------------------------

float frmMain::NumValidate(QLineEdit *txtb, bool &Cancel)
{
    QString text = txtb->text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("0");
    const std::optional<double> parsed = ParseNumeric(text);
    const std::optional<float> value = parsed ? ToSingle(*parsed) : std::nullopt;
    if (!value) {
        Warn(dialogs_, state_.messages, 42);
        Cancel = true;
        return 0;
    }
    const bool wasDisplaying = displaying_;
    displaying_ = true;
    txtb->setText(FormatNumber(*value, Pattern::Decimal));
    displaying_ = wasDisplaying;
    return *value;
}

void frmMain::CommitNumber(QLineEdit *box, float &field, bool &Cancel)
{
    if (displaying_)
        return;
    const float value = NumValidate(box, Cancel);
    if (!Cancel) {
        field = value;
        SetDataChanged(true);
    }
}

void frmMain::txtCngTime_Validate(bool &Cancel)
{
    CommitNumber(ui->txtCngTime, state_.machineTable.ToolChangeTime, Cancel);
}

void frmMain::txtMaxFeedAll_Validate(bool &Cancel)
{
    CommitNumber(ui->txtMaxFeedAll, state_.machineTable.MaxFeedAll, Cancel);
}

void frmMain::txtStroke_Validate(int Index, bool &Cancel)
{
    CommitNumber(txtStroke[Index], state_.machineTable.Stroke[Index], Cancel);
}

void frmMain::txtMaxFeedXYZ_Validate(int Index, bool &Cancel)
{
    CommitNumber(txtMaxFeedXYZ[Index], state_.machineTable.MaxFeed[Index], Cancel);
}

void frmMain::txtMaxAcceleXYZ_Validate(int Index, bool &Cancel)
{
    CommitNumber(txtMaxAcceleXYZ[Index], state_.machineTable.MaxAccel[Index], Cancel);
}

void frmMain::txtRapidFeedXYZ_Validate(int Index, bool &Cancel)
{
    CommitNumber(txtRapidFeedXYZ[Index], state_.machineTable.RapidFeed[Index], Cancel);
}

void frmMain::txtRapidAcceleXYZ_Validate(int Index, bool &Cancel)
{
    CommitNumber(txtRapidAcceleXYZ[Index], state_.machineTable.RapidAccel[Index], Cancel);
}

void frmMain::txtMachineName_LostFocus()
{
    if (displaying_)
        return;
    state_.machineTable.MachineName = ui->txtMachineName->text().trimmed();
    SetDataChanged(true);
}

void frmMain::cmbAtcType_Click()
{
    if (displaying_)
        return;
    state_.machineTable.AtcType = std::int16_t(ui->cmbAtcType->currentIndex());
    SetDataChanged(true);
}

void frmMain::txtAttachInit_Validate(bool &Cancel)
{
    const QString text = ui->txtAttachInit->text();
    if (const std::optional<double> value = ParseNumeric(text)) {
        // The number must fit the table's 32-bit field.
        if (!RoundToInt32(*value)) {
            Warn(dialogs_, state_.messages, 42);
            Cancel = true;
        }
        return;
    }
    if (text.trimmed().isEmpty()) {
        ui->txtAttachInit->setText(QStringLiteral("0"));
        return;
    }
    Warn(dialogs_, state_.messages, 42);
    Cancel = true;
}

void frmMain::txtAttachInit_LostFocus()
{
    const QString text = ui->txtAttachInit->text();
    const std::optional<double> value = ParseNumeric(text);
    const std::optional<std::int32_t> number = value ? RoundToInt32(*value) : std::nullopt;
    if (number) {
        state_.machineTable.IniAttachment = *number;
        SetDataChanged(true);
        // Numbers below 1 name no attachment: nothing to register.
        if (*number < 1 || FindAttachment(state_.Attachments, *number) >= 0)
            return;
        const MsgAnswer answer =
            dialogs_.MsgBox(state_.messages(30) + text + state_.messages(52), MsgButtons::YesNo,
                            MsgIcon::Question);
        if (answer != MsgAnswer::Yes)
            return;
        const int count = CountAttachments(state_.Attachments);
        if (count < state_.AttachMaxCount) {
            OpenEditor(count + 1, *number);
        } else {
            dialogs_.MsgBox(state_.messages(54) + QStringLiteral("\r\n") + state_.messages(55) +
                                QStringLiteral("\r\n") + state_.messages(56),
                            MsgButtons::Ok, MsgIcon::Exclamation);
        }
    } else if (text.trimmed().isEmpty()) {
        state_.machineTable.IniAttachment = 0;
        ui->txtAttachInit->setText(QStringLiteral("0"));
    } else {
        dialogs_.Beep();
        ui->txtAttachInit->setFocus();
    }
}

// --- attachment list --------------------------------------------------------

// Every add, edit and registration runs the editor, then sorts and redisplays,
// whether or not the user stored anything.
void frmMain::OpenEditor(std::int32_t position, std::int32_t number)
{
    state_.EditAttachPos = position;
    state_.EditAttachNo = number;
    if (openEditor)
        openEditor();
    SortAttachments(state_.Attachments);
    AttachDefChange();
}

int frmMain::SelectedSlot()
{
    const int slot = RowSlot(ui->lstAttach->SelectedRow());
    if (slot < 0)
        Warn(dialogs_, state_.messages, 58);
    return slot;
}

void frmMain::btnAdd_Click()
{
    const int count = CountAttachments(state_.Attachments);
    if (count >= state_.AttachMaxCount) {
        Warn(dialogs_, state_.messages, 43);
        return;
    }
    std::int32_t number = 0;
    for (;;) {
        const QString answer =
            dialogs_.InputBox(state_.messages(50), state_.messages(30), QString());
        const std::optional<double> value =
            answer.contains(QLatin1Char('-')) || answer.contains(QLatin1Char('.'))
                ? std::nullopt
                : ParseNumeric(answer);
        if (!value) {
            if (answer.isEmpty())
                return;
            Warn(dialogs_, state_.messages, 42);
            continue;
        }
        const std::optional<std::int32_t> whole = RoundToInt32(*value);
        if (!whole) {
            Warn(dialogs_, state_.messages, 47, kTooLargePrefix);
            continue;
        }
        number = *whole;
        break;
    }
    if (number == 0)
        return;
    OpenEditor(count + 1, number);
}

void frmMain::btnEdit_Click()
{
    const int slot = SelectedSlot();
    if (slot >= 0)
        OpenEditor(slot + 1, state_.Attachments[slot].Number);
}

void frmMain::btnDel_Click()
{
    const int slot = SelectedSlot();
    if (slot < 0)
        return;
    AttachmentRecord &record = state_.Attachments[slot];
    const QString key = QStringLiteral("ATTACHMENT") + FormatNumber(record.Number, Pattern::TwoDigits);
    const int question = record.Number == state_.machineTable.IniAttachment ? 53 : 51;
    if (dialogs_.MsgBox(key + state_.messages(question), MsgButtons::YesNo, MsgIcon::Question) !=
        MsgAnswer::Yes)
        return;
    record.Number = 0;
    SortAttachments(state_.Attachments);
    AttachDefChange();
}

void frmMain::lstAttach_Click()
{
    const int slot = RowSlot(ui->lstAttach->SelectedRow());
    if (slot < 0 || slot >= state_.AttachMaxCount) {
        ui->pictView->Clear();  // only a selected attachment is shown
        return;
    }
    CopyAttachment(state_.EditAttachment, state_.Attachments[slot]);
    AttachDraw(state_.EditAttachment, *ui->pictView);
}

// --- file choice and program end -------------------------------------------

QString frmMain::FileChoice(QString &InitFileName, QString &InitDirectry,
                            const QString &FileCaption, const QString &Suffix)
{
    if (Suffix.isEmpty())
        return QString();
    OpenFileRequest request;
    request.title = state_.messages(39);
    request.filter = FileCaption + QStringLiteral("(") + Suffix + QStringLiteral(")|*") + Suffix +
                     QStringLiteral("|") + state_.messages(40) + QStringLiteral("|*.*");
    request.defaultExtension = Suffix;
    request.fileName = InitFileName;
    request.directory = InitDirectry;
    const QString path = dialogs_.OpenFile(request);
    if (path.isEmpty())
        return QString();
    InitFileName = QFileInfo(path).fileName();
    InitDirectry = GetFileDir(path);
    return path;
}

void frmMain::cmdFile_Click()
{
    const QString current = current_.Name();
    const QString chosen = FileChoice(initFile_, initDir_, state_.messages(68), QStringLiteral(".mtl"));
    if (chosen.isEmpty() || chosen == current)
        return;
    LoadAfterAsking(chosen);
}

void frmMain::LoadAfterAsking(const QString &name)
{
    bool cancel = false;
    ConfirmSave(cancel);
    if (!cancel)
        ui->txtFileName->setText(name);
}

void frmMain::framFile_OLEDragDrop(const QStringList &files)
{
    if (files.isEmpty())
        return;
    const QString name = files.first();
    // A drop replaces the table like the file button, so it asks the same.
    if (HasMtlExtension(name.trimmed()) && fieldEvents_.Commit())
        LoadAfterAsking(name);
}

void frmMain::btnEnd_Click()
{
    bool cancel = false;
    ConfirmSave(cancel);
    if (cancel)
        return;
    const QString name = current_.Name();
    ending_ = true;
    close();
    if (FileExists(name) && state_.settings.OpenEditorOnEnd) {
        if (!startEditor || !startEditor(state_.settings.TextEditorPath, {name})) {
            const QByteArray line = QStringLiteral("quillmark: could not start the text editor \"%1\"\n")
                                        .arg(state_.settings.TextEditorPath)
                                        .toLocal8Bit();
            std::fputs(line.constData(), stderr);
        }
    }
    if (endProgram)
        endProgram();
}
