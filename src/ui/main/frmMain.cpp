#include "frmMain.h"

#include "ui_frmMain.h"

#include "app/Settings.h"
#include "model/MtlFile.h"
#include "model/Numbers.h"
#include "model/SlotOrder.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"
#include "ui/common/Warn.h"
#include "ui/common/WindowSetup.h"
#include "ui/editor/OutlineDraw.h"
#include "ui/editor/frmEditor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QShortcut>

#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <utility>

frmMain::frmMain(AppState &state, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), ui(new Ui::frmMain), fieldEvents_(this),
      recovery_(state.files, RecoveryFolder(state.settings.Portable, state.settings.IniPath)),
      document_(state.files, state.AttachMaxCount)
{
    document_.SetRecovery(&recovery_);
    ui->setupUi(this);
    setFixedSize(size());

    txtStroke = {ui->txtStroke_0, ui->txtStroke_1, ui->txtStroke_2};
    txtMaxFeedXYZ = {ui->txtMaxFeedXYZ_0, ui->txtMaxFeedXYZ_1, ui->txtMaxFeedXYZ_2};
    txtMaxAcceleXYZ = {ui->txtMaxAcceleXYZ_0, ui->txtMaxAcceleXYZ_1, ui->txtMaxAcceleXYZ_2};
    txtRapidFeedXYZ = {ui->txtRapidFeedXYZ_0, ui->txtRapidFeedXYZ_1, ui->txtRapidFeedXYZ_2};
    txtRapidAcceleXYZ = {ui->txtRapidAcceleXYZ_0, ui->txtRapidAcceleXYZ_1, ui->txtRapidAcceleXYZ_2};

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
    fieldEvents_.Watch(
        ui->txtMachineName, [this](bool &c) { txtMachineName_Validate(c); },
        [this] { txtMachineName_LostFocus(); });
    fieldEvents_.Watch(
        ui->txtAttachInit, [this](bool &c) { txtAttachInit_Validate(c); },
        [this] { txtAttachInit_LostFocus(); });

    connect(ui->txtFileName, &QLineEdit::textChanged, this, [this] { txtFileName_Change(); });
    connect(&document_, &Document::AttachmentsChanged, this, [this] { AttachDefChange(); });
    connect(&document_, &Document::Restored, this, &frmMain::ShowRestored);
    connect(&document_, &Document::ChangedStateChanged, this, &QWidget::setWindowModified);
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

    // Undo and redo. The buttons take no focus, so that a click neither
    // commits nor leaves the field the user is in.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    if (!redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)))
        redoKeys << QKeySequence(Qt::CTRL | Qt::Key_Y);
    auto *undoKey = new QShortcut(this);
    undoKey->setKeys(QKeySequence::Undo);
    auto *redoKey = new QShortcut(this);
    redoKey->setKeys(redoKeys);
    connect(undoKey, &QShortcut::activated, this, [this] { UndoRedo(false); });
    connect(redoKey, &QShortcut::activated, this, [this] { UndoRedo(true); });
    connect(ui->btnUndo, &QPushButton::clicked, this, [this] { UndoRedo(false); });
    connect(ui->btnRedo, &QPushButton::clicked, this, [this] { UndoRedo(true); });
    // The buttons say what they would undo or redo.
    auto sayWhat = [this] {
        const QUndoStack &history = document_.History();
        const MessageTable &m = state_.messages;
        auto describe = [](QPushButton *button, bool can, const QString &caption,
                           const QString &what, const QString &key) {
            button->setEnabled(can);
            const QString text = can ? caption + u' ' + what : caption;
            button->setToolTip(text + QStringLiteral(" (") + key + u')');
            button->setAccessibleDescription(text);
        };
        describe(ui->btnUndo, history.canUndo(), m(Msg::Undo), history.undoText(),
                 QKeySequence(QKeySequence::Undo).toString(QKeySequence::NativeText));
        describe(ui->btnRedo, history.canRedo(), m(Msg::Redo), history.redoText(),
                 QKeySequence(QKeySequence::Redo).toString(QKeySequence::NativeText));
    };
    connect(&document_.History(), &QUndoStack::indexChanged, this, sayWhat);
    connect(&document_.History(), &QUndoStack::cleanChanged, this, sayWhat);
    sayWhat();
    // A field's own undo while the user types in it; the window's after that.
    for (QLineEdit *box : findChildren<QLineEdit *>())
        box->installEventFilter(this);

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

    openEditor = [this](const frmEditor::Request &request) {
        if (!editor_)
            editor_ = new frmEditor(state_, dialogs_, this);
        editor_->OpenModal(request);
    };
    startEditor = [](const QString &program, const QStringList &arguments) {
        return StartDetached(program, arguments);
    };
    endProgram = [] { QCoreApplication::quit(); };
    SetUpWindow(*this, state_.messages);
}

frmMain::~frmMain()
{
    // The document outlives the controls here, and its history still signals
    // while it is taken apart.
    document_.disconnect(this);
    document_.History().disconnect(this);
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
    caption_ = m(Msg::TitleProduct) + QStringLiteral("  Ver") + kVersionText +
               QStringLiteral("    ") + m(Msg::TitleDescription) + QStringLiteral("    ") +
               m(Msg::TitleProject);
    UpdateTitle();

    const std::pair<QWidget *, Msg> captions[] = {
        {ui->cmdFile, Msg::FileButton},
        {ui->btnEntry, Msg::SaveButton},
        {ui->btnEnd, Msg::EndButton},
        {ui->Label1, Msg::MachineNameLabel},
        {ui->Label2, Msg::AtcTypeLabel},
        {ui->Label3, Msg::ToolChangeTimeLabel},
        {ui->Label4, Msg::ToolChangeTimeUnit},
        {ui->Label5, Msg::MaxFeedLabel},
        {ui->Label6, Msg::MaxFeedLabel},
        {ui->Label7, Msg::AllAxesLabel},
        {ui->Label8, Msg::RapidAccelLabel},
        {ui->Label9, Msg::XAxis},
        {ui->Label10, Msg::RapidFeedLabel},
        {ui->Label11, Msg::YAxis},
        {ui->Label12, Msg::AttachmentsLabel},
        {ui->Label13, Msg::ZAxis},
        {ui->Label16, Msg::AttachmentListLabel},
        {ui->Label17, Msg::MaxAccelLabel},
        {ui->Label18, Msg::StrokeLabel},
        {ui->Label19, Msg::XAxis},
        {ui->Label20, Msg::YAxis},
        {ui->Label21, Msg::PerAxisLabel},
        {ui->Label22, Msg::ZAxis},
        {ui->Label23, Msg::InitialAttachmentLabel},
        {ui->Label24, Msg::NotSetNote},
        {ui->btnEdit, Msg::EditButton},
    };
    for (const auto &[widget, number] : captions) {
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->setText(m(number));
        else if (auto *label = qobject_cast<QLabel *>(widget))
            label->setText(m(number));
    }
    // Add and Delete keep their design captions unless the message file
    // translates them with the otherwise unused numbers 18 and 19.
    for (const auto &[button, number] :
         {std::pair{ui->btnAdd, Msg::AddButton}, std::pair{ui->btnDel, Msg::DeleteButton}}) {
        if (!m(number).isEmpty())
            button->setText(m(number));
    }
    ui->btnUndo->setText(m(Msg::Undo));
    ui->btnRedo->setText(m(Msg::Redo));
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
    initDir_ = GetIniValue(state_, Settings::InitDir,
                           state_.settings.Portable ? state_.settings.AppPath
                                                    : QDir::homePath() + QLatin1Char('/'));
    initFile_ = GetIniValue(state_, Settings::InitFile);

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
    const QString axis[3] = {m(Msg::XAxis), m(Msg::YAxis), m(Msg::ZAxis)};
    for (int i = 0; i < 3; ++i) {
        txtStroke[i]->setAccessibleName(both(m(Msg::StrokeLabel), axis[i]));
        txtMaxFeedXYZ[i]->setAccessibleName(both(m(Msg::MaxFeedLabel), axis[i]));
        txtMaxAcceleXYZ[i]->setAccessibleName(both(m(Msg::MaxAccelLabel), axis[i]));
        txtRapidFeedXYZ[i]->setAccessibleName(both(m(Msg::RapidFeedLabel), axis[i]));
        txtRapidAcceleXYZ[i]->setAccessibleName(both(m(Msg::RapidAccelLabel), axis[i]));
    }
    ui->txtMachineName->setAccessibleName(m(Msg::MachineNameLabel));
    ui->cmbAtcType->setAccessibleName(m(Msg::AtcTypeLabel));
    ui->txtCngTime->setAccessibleName(
        both(m(Msg::ToolChangeTimeLabel), m(Msg::ToolChangeTimeUnit)));
    ui->txtMaxFeedAll->setAccessibleName(both(m(Msg::AllAxesLabel), m(Msg::MaxFeedLabel)));
    ui->txtAttachInit->setAccessibleName(m(Msg::InitialAttachmentLabel));
    ui->lstAttach->setAccessibleName(m(Msg::AttachmentListLabel));
    ui->txtFileName->setAccessibleName(m(Msg::FileButton));
    for (QAbstractButton *button : findChildren<QAbstractButton *>())
        button->setAccessibleName(button->text());
}

void frmMain::UpdateTitle()
{
    // An explicit title hides the file path in Qt, so the name goes in by hand.
    const QString &name = document_.Current().Name();
    setWindowFilePath(name);
    setWindowTitle(name.isEmpty()
                       ? caption_ + QStringLiteral("[*]")
                       : DisplayName(NameOf(name)) + QStringLiteral("[*] - ") + caption_);
}

void frmMain::Form_Unload()
{
    WriteIniValue(state_, Settings::InitDir, initDir_);
    WriteIniValue(state_, Settings::InitFile, initFile_);
    ReportSettingsProblem();
}

void frmMain::ReportSettingsProblem()
{
    const AppSettings &s = state_.settings;
    if (settingsReported_ || (s.IniUsable && !s.IniWriteFailed))
        return;
    settingsReported_ = true;
    dialogs_.MsgBox(
        state_.messages(s.IniUsable ? Msg::SettingsNotWritten : Msg::SettingsUnreadable) +
            QLatin1Char('\n') + QDir::toNativeSeparators(s.IniPath),
        MsgButtons::Ok, MsgIcon::Exclamation);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!unloaded_ && !ending_) {
        // The close box asks about unsaved edits as the end button does.
        if (!maybeSave()) {
            event->ignore();
            return;
        }
    }
    if (!unloaded_) {
        unloaded_ = true;
        // A normal end: edits were saved or given up when asked. Edits that had
        // nowhere to go (the file's folder gone) keep their copy for the next start.
        if (!document_.Changed())
            document_.DiscardRecovery();
        recovery_.ClaimFile(QString());
        Form_Unload();
    }
    event->accept();
}

namespace {
// Every value that a text box shows, in the order of the window.
const FieldRef kBoxFields[] = {
    {Field::MachineName},    {Field::Stroke, 0},     {Field::Stroke, 1},     {Field::Stroke, 2},
    {Field::ToolChangeTime}, {Field::MaxFeedAll},    {Field::MaxFeed, 0},    {Field::MaxFeed, 1},
    {Field::MaxFeed, 2},     {Field::MaxAccel, 0},   {Field::MaxAccel, 1},   {Field::MaxAccel, 2},
    {Field::RapidFeed, 0},   {Field::RapidFeed, 1},  {Field::RapidFeed, 2},  {Field::RapidAccel, 0},
    {Field::RapidAccel, 1},  {Field::RapidAccel, 2}, {Field::IniAttachment},
};

QString FieldText(const MachineTable &t, FieldRef f)
{
    const std::size_t axis = std::size_t(qBound(0, f.axis, 2));
    auto decimal = [](float v) { return FormatNumber(v, Pattern::Decimal); };
    switch (f.field) {
    case Field::MachineName: {
        // The fixed field's padding would block typing at the name's end.
        QString name = t.MachineName.str();
        while (name.endsWith(u' '))
            name.chop(1);
        return name;
    }
    case Field::Stroke: return decimal(t.Stroke[axis]);
    case Field::ToolChangeTime: return decimal(t.ToolChangeTime);
    case Field::MaxFeedAll: return decimal(t.MaxFeedAll);
    case Field::MaxFeed: return decimal(t.MaxFeed[axis]);
    case Field::MaxAccel: return decimal(t.MaxAccel[axis]);
    case Field::RapidFeed: return decimal(t.RapidFeed[axis]);
    case Field::RapidAccel: return decimal(t.RapidAccel[axis]);
    case Field::IniAttachment: return FormatNumber(t.IniAttachment, Pattern::Whole);
    default: break;
    }
    return QString();
}
}  // namespace

QLineEdit *frmMain::FieldBox(FieldRef f) const
{
    const int axis = qBound(0, f.axis, 2);
    switch (f.field) {
    case Field::MachineName: return ui->txtMachineName;
    case Field::Stroke: return txtStroke[axis];
    case Field::ToolChangeTime: return ui->txtCngTime;
    case Field::MaxFeedAll: return ui->txtMaxFeedAll;
    case Field::MaxFeed: return txtMaxFeedXYZ[axis];
    case Field::MaxAccel: return txtMaxAcceleXYZ[axis];
    case Field::RapidFeed: return txtRapidFeedXYZ[axis];
    case Field::RapidAccel: return txtRapidAcceleXYZ[axis];
    case Field::IniAttachment: return ui->txtAttachInit;
    default: break;
    }
    return nullptr;
}

void frmMain::ShowField(FieldRef field)
{
    const bool wasDisplaying = std::exchange(displaying_, true);
    const MachineTable &t = document_.Table();
    if (field.field == Field::AtcType)
        ui->cmbAtcType->setCurrentIndex(t.AtcType >= 0 && t.AtcType <= 2 ? t.AtcType : -1);
    else if (QLineEdit *box = FieldBox(field))
        box->setText(FieldText(t, field));
    displaying_ = wasDisplaying;
}

void frmMain::ShowMachineTable()
{
    const bool wasDisplaying = std::exchange(displaying_, true);
    for (const FieldRef &field : kBoxFields)
        ShowField(field);
    ShowField({Field::AtcType});

    ui->lstAttach->clear();
    ui->pictView->Clear();
    rowSlot_.clear();
    QStringList lines;
    const AttachmentSlots &table = document_.Attachments();
    const int slotCount = qMin<int>(state_.AttachMaxCount, int(table.size()));
    for (int i = 0; i < slotCount; ++i) {
        const QString line = FormatAttachLine(table, i);
        if (!line.isEmpty()) {
            lines << line;
            rowSlot_.push_back(i);
        }
    }
    ui->lstAttach->addItems(lines);
    ++listBuilt_;
    displaying_ = wasDisplaying;
}

void frmMain::AttachDefChange()
{
    ShowMachineTable();
}

int frmMain::RowSlot(int row) const
{
    return row >= 0 && row < int(rowSlot_.size()) ? rowSlot_[row] : -1;
}

// --- undo and redo -----------------------------------------------------------

namespace {
// The user has typed into the box since the window last wrote it.
bool Typing(const QLineEdit &box, bool redo)
{
    return box.isModified() && (redo ? box.isRedoAvailable() : box.isUndoAvailable());
}
}  // namespace

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    // A box claims Ctrl+Z for itself; once nothing is typed into it, the
    // keys go to the window's undo instead.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *box = qobject_cast<QLineEdit *>(watched);
        auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        const bool undo = QKeySequence::keyBindings(QKeySequence::Undo).contains(pressed);
        const bool redo =
            !undo && (QKeySequence::keyBindings(QKeySequence::Redo).contains(pressed) ||
                      pressed == QKeySequence(Qt::CTRL | Qt::Key_Y));
        if (box && (undo || redo) && !Typing(*box, redo))
            return true;  // not accepted: the window's shortcut takes it
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::UndoRedo(bool redo)
{
    auto *box = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (box && box->window() == this && Typing(*box, redo)) {
        redo ? box->redo() : box->undo();
        return;
    }
    // The field the user is in is left as it stands before the step goes.
    if (!fieldEvents_.Commit())
        return;
    QUndoStack &history = document_.History();
    redo ? history.redo() : history.undo();
}

void frmMain::ShowRestored(const ChangeTarget &target)
{
    if (target.attachment) {
        // The list has been rebuilt: select the attachment's row, if it is there.
        const AttachmentSlots &table = document_.Attachments();
        for (int row = 0; row < int(rowSlot_.size()); ++row) {
            if (table[std::size_t(rowSlot_[row])].Number == target.number) {
                ui->lstAttach->setCurrentRow(row);
                break;
            }
        }
        ui->lstAttach->setFocus(Qt::OtherFocusReason);
        return;
    }
    ShowField(target.field);
    if (target.field.field == Field::AtcType) {
        ui->cmbAtcType->setFocus(Qt::OtherFocusReason);
    } else if (QLineEdit *box = FieldBox(target.field)) {
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
    }
}

// --- loading and saving ---------------------------------------------------

void frmMain::txtFileName_Change()
{
    const QString name = ui->txtFileName->text().trimmed();
    const LoadResult result = document_.Load(name);
    UpdateTitle();
    if (name.isEmpty())
        return;
    // Also after a missing file: the window must not show values the table
    // no longer holds, or the next save would drop them unseen.
    ShowMachineTable();
    if (result.problem != FileProblem::None)
        ShowFileProblem(result.problem, result.reason, QString());
    ShowFindings();
    OfferLeftovers();
}

namespace {
QByteArray BytesOf(const QString &path)
{
    QByteArray bytes;
    ReadFileBytes(path, kMaxMtlFileBytes, bytes);
    return bytes;
}

QString NameAndTime(const QString &path, const QDateTime &time)
{
    return QDir::toNativeSeparators(DisplayName(path)) + QStringLiteral("  (") +
           QLocale().toString(time.toLocalTime(), QLocale::ShortFormat) + u')';
}
}  // namespace

void frmMain::TellUnusable(const QString &path, const QString &reason)
{
    QString text = state_.messages(Msg::LeftoverUnusable) + u'\n' + QDir::toNativeSeparators(path);
    if (!reason.isEmpty())
        text += u'\n' + reason;
    dialogs_.MsgBox(text, MsgButtons::Ok, MsgIcon::Exclamation);
}

void frmMain::OfferLeftovers()
{
    if (recovery_.Claimed() == RecoveryStore::Claim::Elsewhere) {
        // That program keeps the copy; offering it here would fork the edits.
        dialogs_.MsgBox(state_.messages(Msg::OpenElsewhere) + u'\n' +
                            QDir::toNativeSeparators(document_.Current().Name()),
                        MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    if (!OfferRecoveryCopy())
        OfferBackup();
}

// True when the edits were taken back.
bool frmMain::OfferRecoveryCopy()
{
    const RecoveryStore::Found found = recovery_.Find();
    if (found.status == RecoveryStore::Found::None)
        return false;
    const QString &name = document_.Current().Name();
    QString unheld;
    if (found.status == RecoveryStore::Found::Usable && document_.CanRecover(found.bytes, &unheld)) {
        if (found.bytes == BytesOf(name)) {
            recovery_.Remove();  // nothing was lost
            return false;
        }
        const MsgAnswer answer = dialogs_.MsgBox(state_.messages(Msg::RecoverEdits) + u'\n' +
                                                     NameAndTime(name, found.time),
                                                 MsgButtons::YesNo, MsgIcon::Question);
        if (answer != MsgAnswer::Yes) {
            recovery_.Remove();
            return false;
        }
        document_.Recover(found.bytes);
        ShowMachineTable();
        return true;
    }
    // Kept for whoever can make use of it; this program writes no copy over it.
    TellUnusable(found.path, unheld.isEmpty() ? found.reason
                                              : state_.messages(Msg::CharactersNotHeld) + unheld);
    recovery_.Stop();
    return false;
}

void frmMain::OfferBackup()
{
    const QString name = document_.Current().Name();
    // The backup lies beside the file a link names.
    const QString canonical = CanonicalPath(name);
    const QString target = canonical.isEmpty() ? name : canonical;
    const QString backup = target + QStringLiteral("bak");
    const PathInfo info = StatPath(backup, false);
    if (name.isEmpty() || !info.isFile)
        return;
    QByteArray bytes;
    QString reason;
    if (ReadFileBytes(backup, kMaxMtlFileBytes, bytes, &reason) != ReadResult::Ok) {
        TellUnusable(backup, reason);
        return;
    }
    if (bytes == BytesOf(target)) {
        state_.files.Unlink(EncodeName(backup));  // a finished save's leftover
        return;
    }
    QString unheld;
    if (!document_.CanRecover(bytes, &unheld)) {
        TellUnusable(backup,
                     unheld.isEmpty() ? QString() : state_.messages(Msg::CharactersNotHeld) + unheld);
        return;
    }
    const QString text = state_.messages(Msg::InterruptedSaveBackup) + u'\n' +
                         NameAndTime(target, StatPath(target).modified) + u'\n' +
                         NameAndTime(backup, info.modified);
    if (dialogs_.MsgBox(text, MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No, kProgramTitle) !=
        MsgAnswer::Yes)
        return;  // the next save removes it
    document_.Recover(bytes);
    ShowMachineTable();
}

void frmMain::ShowFileProblem(FileProblem problem, const QString &reason, const QString &backupLeft)
{
    Msg message = Msg::SaveFailed;
    switch (problem) {
    case FileProblem::NotMtlFile: message = Msg::NotAnMtlFile; break;
    case FileProblem::TooLarge: message = Msg::FileTooLarge; break;
    case FileProblem::FolderMissing: message = Msg::FolderMissing; break;
    case FileProblem::NoMachineLine: message = Msg::NoMachineLine; break;
    case FileProblem::None:
    case FileProblem::NotSaved: break;
    }
    QString text = state_.messages(message);
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    if (!backupLeft.isEmpty())
        text += QLatin1Char('\n') + QDir::toNativeSeparators(backupLeft);
    dialogs_.MsgBox(text, MsgButtons::Ok, MsgIcon::Exclamation);
}

void frmMain::ShowFindings()
{
    // One line may be named by several findings; the user is told of lines.
    QStringList lines;
    int last = 0;
    for (const MtlLineFinding &finding : document_.Findings()) {
        if (finding.line != last)
            lines << QString::number(finding.line) + QStringLiteral(": ") + finding.text;
        last = finding.line;
    }
    if (lines.isEmpty())
        return;
    constexpr int kShown = 5;
    constexpr int kShownWidth = 80;
    QString text = state_.messages(Msg::LinesNotKept) + QString::number(lines.size());
    for (int i = 0; i < qMin<int>(kShown, int(lines.size())); ++i) {
        const QString &line = lines.at(i);
        text += u'\n' + (line.size() > kShownWidth ? line.left(kShownWidth - 1) + u'\u2026' : line);
    }
    if (lines.size() > kShown)
        text += QStringLiteral("\n\u2026 (+%1)").arg(lines.size() - kShown);
    dialogs_.MsgBox(text, MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok, kProgramTitle,
                    lines.join(u'\n'));
}

bool frmMain::ConfirmOverwrite()
{
    auto ask = [this](Msg question, const QString &details) {
        return dialogs_.MsgBox(state_.messages(question), MsgButtons::YesNo, MsgIcon::Question,
                               MsgAnswer::No, kProgramTitle, details) == MsgAnswer::Yes;
    };
    switch (document_.OverwriteRisk()) {
    case Document::Risk::None: break;
    case Document::Risk::ChangedOnDisk:
        if (!ask(Msg::ChangedOnDisk, QString()))
            return false;
        break;
    case Document::Risk::NotLoaded:
        if (!ask(Msg::OverwriteUnloadable, QString()))
            return false;
        break;
    }
    // A save that drops lines of the file on disk, as it is now, shows what it
    // changes: after a load, recovered edits, or another program's change alike.
    if (document_.OverwriteRisk() == Document::Risk::NotLoaded)
        return true;  // asked already
    return document_.DiskFindings().empty() || ask(Msg::SaveDropsLines, document_.Difference());
}

void frmMain::Save()
{
    if (document_.Current().Name().isEmpty())
        return;
    if (document_.FolderMissing()) {
        ShowFileProblem(FileProblem::FolderMissing, QDir::toNativeSeparators(document_.Current().Name()),
                        QString());
        return;
    }
    if (!ConfirmOverwrite())
        return;
    const SaveResult result = document_.Save();
    if (!result.Saved()) {
        const QString reason = result.unheld.isEmpty()
                                   ? result.reason
                                   : state_.messages(Msg::CharactersNotHeld) + result.unheld;
        ShowFileProblem(result.problem, reason, result.backupLeft);
        return;
    }
    QString text = state_.messages(Msg::Saved);
    if (!result.backupLeft.isEmpty())
        text += QLatin1Char('\n') + state_.messages(Msg::BackupLeft) + QLatin1Char('\n') +
                QDir::toNativeSeparators(result.backupLeft);
    dialogs_.MsgBox(text, MsgButtons::Ok, MsgIcon::Information);
}

void frmMain::btnEntry_Click()
{
    Save();
}

bool frmMain::maybeSave()
{
    if (!fieldEvents_.Commit())
        return false;
    if (!document_.Changed() || document_.Current().Name().isEmpty())
        return true;  // nothing to save, or no file to save to
    if (document_.FolderMissing()) {
        // Nowhere to save: the edits stay in their recovery copy, if they have one.
        QString text = state_.messages(Msg::FolderGoneEndAnyway);
        const QString copy = recovery_.CopyPath();
        if (!copy.isEmpty())
            text += u'\n' + state_.messages(Msg::EditsKeptIn) + u'\n' +
                    QDir::toNativeSeparators(copy);
        return dialogs_.MsgBox(text, MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No,
                               kProgramTitle) == MsgAnswer::Yes;
    }
    const MsgAnswer answer = dialogs_.MsgBox(state_.messages(Msg::SaveChanges),
                                             MsgButtons::YesNoCancel, MsgIcon::Information);
    if (answer == MsgAnswer::Cancel)
        return false;
    if (answer == MsgAnswer::Yes) {
        Save();
        // A save that failed or was refused has said why; going on would lose the edits.
        return !document_.Changed();
    }
    document_.DiscardRecovery();
    return true;
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
        Warn(dialogs_, state_.messages, Msg::NotANumber);
        Cancel = true;
        return 0;
    }
    const bool wasDisplaying = displaying_;
    displaying_ = true;
    txtb->setText(FormatNumber(*value, Pattern::Decimal));
    displaying_ = wasDisplaying;
    return *value;
}

// A value that is stored as it was changes nothing and is no step to undo.
// False when the text is refused.
bool frmMain::CommitNumber(QLineEdit *box, FieldRef field)
{
    if (displaying_)
        return true;
    bool refused = false;
    const float value = NumValidate(box, refused);
    if (!refused)
        document_.SetNumber(field, value, box->accessibleName());
    return !refused;
}

void frmMain::txtCngTime_Validate(bool &Cancel)
{
    if (!CommitNumber(ui->txtCngTime, {Field::ToolChangeTime}))
        Cancel = true;
}

void frmMain::txtMaxFeedAll_Validate(bool &Cancel)
{
    if (!CommitNumber(ui->txtMaxFeedAll, {Field::MaxFeedAll}))
        Cancel = true;
}

void frmMain::txtStroke_Validate(int Index, bool &Cancel)
{
    if (!CommitNumber(txtStroke[Index], {Field::Stroke, Index}))
        Cancel = true;
}

void frmMain::txtMaxFeedXYZ_Validate(int Index, bool &Cancel)
{
    if (!CommitNumber(txtMaxFeedXYZ[Index], {Field::MaxFeed, Index}))
        Cancel = true;
}

void frmMain::txtMaxAcceleXYZ_Validate(int Index, bool &Cancel)
{
    if (!CommitNumber(txtMaxAcceleXYZ[Index], {Field::MaxAccel, Index}))
        Cancel = true;
}

void frmMain::txtRapidFeedXYZ_Validate(int Index, bool &Cancel)
{
    if (!CommitNumber(txtRapidFeedXYZ[Index], {Field::RapidFeed, Index}))
        Cancel = true;
}

void frmMain::txtRapidAcceleXYZ_Validate(int Index, bool &Cancel)
{
    if (!CommitNumber(txtRapidAcceleXYZ[Index], {Field::RapidAccel, Index}))
        Cancel = true;
}

void frmMain::txtMachineName_Validate(bool &Cancel)
{
    // A character the file cannot hold would make every save fail.
    const QString unheld = CharactersNotHeld(ui->txtMachineName->text().trimmed());
    if (displaying_ || unheld.isEmpty())
        return;
    Warn(dialogs_, state_.messages, Msg::CharactersNotHeld, QString(), unheld);
    Cancel = true;
}

void frmMain::txtMachineName_LostFocus()
{
    if (displaying_)
        return;
    document_.SetMachineName(ui->txtMachineName->text().trimmed(),
                             ui->txtMachineName->accessibleName());
    Committed(ui->txtMachineName);
}

void frmMain::Committed(QLineEdit *box)
{
    // The box's own undo starts from the value now in the table: undoing the
    // typing must never go back past it.
    const bool wasDisplaying = std::exchange(displaying_, true);
    const int cursor = box->cursorPosition();
    box->setText(box->text());
    box->setCursorPosition(cursor);
    displaying_ = wasDisplaying;
}

void frmMain::cmbAtcType_Click()
{
    if (displaying_)
        return;
    document_.SetAtcType(ui->cmbAtcType->currentIndex(), ui->cmbAtcType->accessibleName());
}

void frmMain::txtAttachInit_Validate(bool &Cancel)
{
    const QString text = ui->txtAttachInit->text();
    if (const std::optional<double> value = ParseNumeric(text)) {
        // The number must fit the table's 32-bit field.
        if (!RoundToInt32(*value)) {
            Warn(dialogs_, state_.messages, Msg::NotANumber);
            Cancel = true;
        }
        return;
    }
    if (text.trimmed().isEmpty()) {
        ui->txtAttachInit->setText(QStringLiteral("0"));
        return;
    }
    Warn(dialogs_, state_.messages, Msg::NotANumber);
    Cancel = true;
}

void frmMain::txtAttachInit_LostFocus()
{
    QLineEdit *box = ui->txtAttachInit;
    const QString text = box->text();
    const std::optional<double> value = ParseNumeric(text);
    const std::optional<std::int32_t> number = value ? RoundToInt32(*value) : std::nullopt;
    if (number) {
        // The number, and an attachment registered for it, are one step.
        document_.BeginStep(box->accessibleName());
        const bool changed = document_.SetIniAttachment(*number, box->accessibleName());
        Committed(box);
        // Numbers below 1 name no attachment; an untouched field asks nothing.
        if (changed && *number >= 1 && FindAttachment(document_.Attachments(), *number) < 0) {
            const MsgAnswer answer = dialogs_.MsgBox(state_.messages(Msg::AttachmentNumber) + text +
                                                         state_.messages(Msg::NotRegistered),
                                                     MsgButtons::YesNo, MsgIcon::Question);
            const int count = CountAttachments(document_.Attachments());
            if (answer == MsgAnswer::Yes && count < state_.AttachMaxCount)
                OpenEditor(count + 1, *number);
            else if (answer == MsgAnswer::Yes)
                dialogs_.MsgBox(state_.messages(Msg::TableFullLine1) + QStringLiteral("\r\n") +
                                    state_.messages(Msg::TableFullLine2) + QStringLiteral("\r\n") +
                                    state_.messages(Msg::TableFullLine3),
                                MsgButtons::Ok, MsgIcon::Exclamation);
        }
        document_.EndStep();
    } else if (text.trimmed().isEmpty()) {
        document_.SetIniAttachment(0, box->accessibleName());
        box->setText(QStringLiteral("0"));
    } else {
        dialogs_.Beep();
        box->setFocus();
    }
}

// --- attachment list --------------------------------------------------------

QString frmMain::AttachmentStep(const QString &caption, std::int32_t number) const
{
    return caption + QStringLiteral(" ATTACHMENT") + FormatNumber(number, Pattern::TwoDigits);
}

// Every add, edit and registration runs the editor; each Entry in it is a
// step. The window is refilled afterwards whether or not anything was entered.
void frmMain::OpenEditor(std::int32_t position, std::int32_t number)
{
    frmEditor::Request request;
    request.table = &document_.Attachments();
    request.position = position;
    request.number = number;
    request.entry = [this](int slot, const AttachmentRecord &record) {
        const AttachmentSlots &table = document_.Attachments();
        const bool replaces =
            slot >= 0 && slot < int(table.size()) && IsComplete(table[std::size_t(slot)]);
        const QString caption = replaces ? ui->btnEdit->text() : ui->btnAdd->text();
        return document_.PutAttachment(slot, record, AttachmentStep(caption, record.Number));
    };
    const int built = listBuilt_;
    if (openEditor)
        openEditor(request);
    // Without a window manager nobody gives the focus back once the editor is gone.
    activateWindow();
    if (listBuilt_ == built)
        AttachDefChange();
}

int frmMain::SelectedSlot()
{
    const int slot = RowSlot(ui->lstAttach->SelectedRow());
    if (slot < 0)
        Warn(dialogs_, state_.messages, Msg::NothingSelected);
    return slot;
}

void frmMain::btnAdd_Click()
{
    const int count = CountAttachments(document_.Attachments());
    if (count >= state_.AttachMaxCount) {
        Warn(dialogs_, state_.messages, Msg::TableFull);
        return;
    }
    std::int32_t number = 0;
    for (;;) {
        const QString answer = dialogs_.InputBox(state_.messages(Msg::AddNumberPrompt),
                                                 state_.messages(Msg::AttachmentNumber), QString());
        const std::optional<double> value =
            answer.contains(QLatin1Char('-')) || answer.contains(QLatin1Char('.'))
                ? std::nullopt
                : ParseNumeric(answer);
        if (!value) {
            if (answer.isEmpty())
                return;
            Warn(dialogs_, state_.messages, Msg::NotANumber);
            continue;
        }
        const std::optional<std::int32_t> whole = RoundToInt32(*value);
        if (!whole) {
            Warn(dialogs_, state_.messages, Msg::NumberTooLarge, kTooLargePrefix);
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
        OpenEditor(slot + 1, document_.Attachments()[std::size_t(slot)].Number);
}

void frmMain::btnDel_Click()
{
    const int slot = SelectedSlot();
    if (slot < 0)
        return;
    const std::int32_t number = document_.Attachments()[std::size_t(slot)].Number;
    const QString key = QStringLiteral("ATTACHMENT") + FormatNumber(number, Pattern::TwoDigits);
    const Msg question = number == document_.Table().IniAttachment ? Msg::DeleteInitialQuestion
                                                                   : Msg::DeleteQuestion;
    if (dialogs_.MsgBox(key + state_.messages(question), MsgButtons::YesNo, MsgIcon::Question) !=
        MsgAnswer::Yes)
        return;
    document_.DeleteAttachment(slot, AttachmentStep(ui->btnDel->text(), number));
}

void frmMain::lstAttach_Click()
{
    const int slot = RowSlot(ui->lstAttach->SelectedRow());
    if (slot < 0 || slot >= state_.AttachMaxCount) {
        ui->pictView->Clear();  // only a selected attachment is shown
        return;
    }
    AttachDraw(document_.Attachments()[std::size_t(slot)], *ui->pictView);
}

// --- file choice and program end -------------------------------------------

QString frmMain::FileChoice(QString &InitFileName, QString &InitDirectry,
                            const QString &FileCaption, const QString &Suffix)
{
    if (Suffix.isEmpty())
        return QString();
    OpenFileRequest request;
    request.title = state_.messages(Msg::OpenDialogTitle);
    request.filter = FileCaption + QStringLiteral("(") + Suffix + QStringLiteral(")|*") + Suffix +
                     QStringLiteral("|") + state_.messages(Msg::AllFilesFilter) +
                     QStringLiteral("|*.*");
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
    const QString current = document_.Current().Name();
    const QString chosen =
        FileChoice(initFile_, initDir_, state_.messages(Msg::MtlFileType), QStringLiteral(".mtl"));
    if (chosen.isEmpty() || chosen == current)
        return;
    LoadAfterAsking(chosen);
}

void frmMain::LoadAfterAsking(const QString &name)
{
    if (maybeSave())
        ui->txtFileName->setText(name);
}

void frmMain::framFile_OLEDragDrop(const QStringList &files)
{
    if (files.isEmpty())
        return;
    const QString name = files.first();
    // A drop replaces the table like the file button, so it asks the same.
    if (HasMtlExtension(name.trimmed()))
        LoadAfterAsking(name);
}

void frmMain::btnEnd_Click()
{
    if (!maybeSave())
        return;
    const QString name = document_.Current().Name();
    ending_ = true;
    close();
    if (FileExists(name) && state_.settings.OpenEditorOnEnd) {
        if (!startEditor || !startEditor(state_.settings.TextEditorPath, {name})) {
            const QByteArray line =
                QStringLiteral("quillmark: could not start the text editor \"%1\"\n")
                    .arg(state_.settings.TextEditorPath)
                    .toLocal8Bit();
            std::fputs(line.constData(), stderr);
        }
    }
    if (endProgram)
        endProgram();
}
