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
#include "ui/editor/frmEditor.h"
#include "ui/main/AttachmentPanel.h"
#include "ui/main/FileNotice.h"
#include "ui/main/HintMarks.h"
#include "ui/main/HistoryKeys.h"
#include "ui/main/RecentMenu.h"
#include "ui/main/StatusStrip.h"
#include "ui/main/frmCompare.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QShortcut>

#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <utility>

frmMain::frmMain(AppState &state, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), ui(new Ui::frmMain), fieldEvents_(this),
      recovery_(state.files, RecoveryFolder(state.settings.Portable, state.settings.IniPath)),
      document_(state.files, state.AttachMaxCount),
      questions_(document_, dialogs, state.messages, state.settings)
{
    document_.SetRecovery(&recovery_);
    ui->setupUi(this);
    setFixedSize(size());
    GatherControls();
    // Without a window manager nobody gives the focus back once the editor is gone.
    panel_ = new AttachmentPanel(
        document_, dialogs_, state_,
        {ui->lstAttach, ui->pictView, ui->btnAdd, ui->btnEdit, ui->btnDel},
        [this](const frmEditor::Request &request) {
            if (openEditor)
                openEditor(request);
            activateWindow();
            AttachDefChange();
        },
        this);
    SetUpFields();
    hints_ = new HintMarks(
        document_, state_, [this](FieldRef field) { return FieldBox(field); }, ui->lstAttach,
        panel_->Rows(), ui->stripStatus, fieldEvents_, *this);
    SetUpButtonsAndKeys();
    history_ = new HistoryKeys(*this, document_.History(), fieldEvents_, ui->btnUndo, ui->btnRedo,
                               state_.messages);
    SetUpSeams();
    SetUpFileCompanions();
    SetUpWindow(*this, state_.messages);
}

frmMain::~frmMain()
{
    // The document, a member, goes before the child widgets that refer to it,
    // and its history signals while it is taken apart: they hear none of it.
    document_.disconnect();
    document_.History().disconnect();
    delete ui;
}

void frmMain::GatherControls()
{
    txtStroke = {ui->txtStroke_0, ui->txtStroke_1, ui->txtStroke_2};
    txtMaxFeedXYZ = {ui->txtMaxFeedXYZ_0, ui->txtMaxFeedXYZ_1, ui->txtMaxFeedXYZ_2};
    txtMaxAcceleXYZ = {ui->txtMaxAcceleXYZ_0, ui->txtMaxAcceleXYZ_1, ui->txtMaxAcceleXYZ_2};
    txtRapidFeedXYZ = {ui->txtRapidFeedXYZ_0, ui->txtRapidFeedXYZ_1, ui->txtRapidFeedXYZ_2};
    txtRapidAcceleXYZ = {ui->txtRapidAcceleXYZ_0, ui->txtRapidAcceleXYZ_1, ui->txtRapidAcceleXYZ_2};
    numberBoxes_ = {
        {ui->txtCngTime, {Field::ToolChangeTime}, &frmMain::txtCngTime_Validate},
        {ui->txtMaxFeedAll, {Field::MaxFeedAll}, &frmMain::txtMaxFeedAll_Validate},
    };
    const std::pair<std::array<QLineEdit *, 3> *, std::pair<Field, ValidateAt>> arrays[] = {
        {&txtStroke, {Field::Stroke, &frmMain::txtStroke_Validate}},
        {&txtMaxFeedXYZ, {Field::MaxFeed, &frmMain::txtMaxFeedXYZ_Validate}},
        {&txtMaxAcceleXYZ, {Field::MaxAccel, &frmMain::txtMaxAcceleXYZ_Validate}},
        {&txtRapidFeedXYZ, {Field::RapidFeed, &frmMain::txtRapidFeedXYZ_Validate}},
        {&txtRapidAcceleXYZ, {Field::RapidAccel, &frmMain::txtRapidAcceleXYZ_Validate}},
    };
    for (const auto &[boxes, handler] : arrays)
        for (int i = 0; i < 3; ++i)
            numberBoxes_.push_back({(*boxes)[i], {handler.first, i}, nullptr, handler.second});
}

void frmMain::SetUpFields()
{
    // A .ui font holds whole points only.
    QFont noteFont = ui->Label24->font();
    noteFont.setPointSizeF(11.25);
    ui->Label24->setFont(noteFont);
    ui->pictView->SetBackColor(QColor(0xE0, 0xE0, 0xE0));
    // The file name keeps its light grey in a dark palette too: its text stays dark on it.
    QPalette fileName = ui->txtFileName->palette();
    fileName.setColor(QPalette::Text, Qt::black);
    ui->txtFileName->setPalette(fileName);

    // Number boxes take plain digits, no input method, and hold the longest
    // text of any Single (-FLT_MAX, 41 characters), so that no value is cut on
    // display and read back cut.
    const int longestNumber = int(FormatNumber(-FLT_MAX, Pattern::Decimal).size());
    for (const NumberBox &n : numberBoxes_) {
        n.box->setAttribute(Qt::WA_InputMethodEnabled, false);
        n.box->setMaxLength(longestNumber);
        const int axis = n.field.axis;
        fieldEvents_.Watch(n.box, [this, n, axis](bool &c) {
            n.validate ? (this->*n.validate)(c) : (this->*n.validateAt)(axis, c);
        });
    }
    ui->txtAttachInit->setAttribute(Qt::WA_InputMethodEnabled, false);
    // Field commits: Validate, then LostFocus, when the focus leaves a field.
    fieldEvents_.Watch(
        ui->txtMachineName, [this](bool &c) { txtMachineName_Validate(c); },
        [this] { txtMachineName_LostFocus(); });
    fieldEvents_.Watch(
        ui->txtAttachInit, [this](bool &c) { txtAttachInit_Validate(c); },
        [this] { txtAttachInit_LostFocus(); });

    connect(ui->txtFileName, &QLineEdit::textChanged, this, [this] { txtFileName_Change(); });
    connect(&document_, &Document::Reset, this, [this] { ShowMachineTable(); });
    connect(&document_, &Document::AttachmentsChanged, this, [this] { AttachDefChange(); });
    connect(&document_, &Document::Restored, this, &frmMain::ShowRestored);
    connect(&document_, &Document::ChangedStateChanged, this, &QWidget::setWindowModified);
    connect(ui->cmbAtcType, &QComboBox::currentIndexChanged, this, [this] { cmbAtcType_Click(); });
    connect(ui->framFile, &DropFrame::filesDropped, this,
            [this](const QStringList &files) { framFile_OLEDragDrop(files); });
}

void frmMain::SetUpButtonsAndKeys()
{
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
    connect(ui->lstAttach, &QListView::doubleClicked, this, act(&frmMain::btnEdit_Click));
    // The keys press the buttons themselves, so they commit the field first too.
    for (const auto &[keys, button] : {std::pair{Qt::CTRL | Qt::Key_S, ui->btnEntry},
                                       std::pair{Qt::CTRL | Qt::Key_O, ui->cmdFile},
                                       std::pair{Qt::CTRL | Qt::Key_Q, ui->btnEnd}}) {
        auto *shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
        button->setToolTip(shortcut->key().toString(QKeySequence::NativeText));
    }
}

void frmMain::SetUpSeams()
{
    openEditor = [this](const frmEditor::Request &request) {
        if (!editor_)
            editor_ = new frmEditor(state_, dialogs_, this);
        editor_->OpenModal(request);
    };
    startEditor = [](const QString &program, const QStringList &arguments) {
        return StartDetached(program, arguments);
    };
    endProgram = [] { QCoreApplication::quit(); };
}

void frmMain::SetUpFileCompanions()
{
    // The file compared with is no file the window opens: Init File and Init Dir stay.
    auto choose = [this] {
        QString file = initFile_, folder = initDir_;
        return FileChoice(file, folder, state_.messages(Msg::MtlFileType), QStringLiteral(".mtl"));
    };
    compare_ =
        new frmCompare(document_, questions_, dialogs_, state_.messages,
                       {choose, [this] { return fieldEvents_.Commit(focusWidget()); }}, this);
    connect(compare_, &frmCompare::ShowInMain, this, [this](const ChangeTarget &target) {
        activateWindow();
        ShowRestored(target);
    });
    connect(compare_, &frmCompare::TookOver, this, &frmMain::ShowMachineTable);
    connect(ui->btnCompare, &QPushButton::clicked, compare_, &frmCompare::ChooseAndCompare);

    auto reload = [this] {
        if (fieldEvents_.Commit())
            questions_.Reload();
    };
    ui->stripStatus->SetNotice(new FileNotice(document_, state_.messages, *this,
                                              {reload, [this] { compare_->CompareOwnFile(); }},
                                              ui->stripStatus));
    // A file picked from the recent list is chosen as the dialog chooses one.
    new RecentMenu(state_, document_, ui->btnRecent, [this](const QString &path) {
        if (path == document_.Current().Name())
            return;
        initFile_ = NameOf(path);
        initDir_ = GetFileDir(path);
        LoadAfterAsking(path);
    });
}

void frmMain::ShowWindow()
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    show();
    questions_.ReportSettingsProblem();
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
    ::SetCaptions(*this, state_.messages);
    history_->SetTexts();
    for (QAbstractButton *button : findChildren<QAbstractButton *>())
        if (!button->text().isEmpty())  // an arrow button is named for its list
            button->setAccessibleName(button->text());
    hints_->Update();

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
    questions_.ReportSettingsProblem();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // The close box asks about unsaved edits as the end button does.
    if (!unloaded_ && !ending_ && !maybeSave()) {
        event->ignore();
        return;
    }
    if (!unloaded_) {
        unloaded_ = true;
        compare_->close();
        document_.Close();
        Form_Unload();
    }
    event->accept();
}

namespace {
QString FieldText(const MachineTable &t, FieldRef f)
{
    if (const float *single = SingleOf(t, f))
        return FormatNumber(*single, Pattern::Decimal);
    if (f.field == Field::IniAttachment)
        return FormatNumber(t.IniAttachment, Pattern::Whole);
    // The fixed field's padding would block typing at the name's end.
    QString name = t.MachineName.str();
    while (name.endsWith(u' '))
        name.chop(1);
    return name;
}
}  // namespace

QLineEdit *frmMain::FieldBox(FieldRef f) const
{
    if (f.field == Field::MachineName)
        return ui->txtMachineName;
    if (f.field == Field::IniAttachment)
        return ui->txtAttachInit;
    for (const NumberBox &n : numberBoxes_)
        if (n.field.field == f.field && (!PerAxis(f.field) || n.field.axis == f.axis))
            return n.box;
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
    for (const FieldRef &field : kWriterOrder)
        ShowField(field);
    // The list follows the document row by row; only a chosen row is shown.
    panel_->Unchoose();
    displaying_ = wasDisplaying;
}

void frmMain::AttachDefChange()
{
    ShowMachineTable();
}

void frmMain::ShowRestored(const ChangeTarget &target)
{
    if (target.attachment) {
        panel_->ShowRestored(target.number, target.slot);
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
    // The document's reset refills the window, also after a missing file: it
    // must not show values the table no longer holds.
    const QString name = ui->txtFileName->text().trimmed();
    const LoadResult result = document_.Load(name);
    UpdateTitle();
    if (!name.isEmpty())
        questions_.AfterLoad(result);
}

void frmMain::btnEntry_Click()
{
    questions_.Save();
}

bool frmMain::maybeSave()
{
    return fieldEvents_.Commit() && questions_.MaybeSave();
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
    Cancel |= !CommitNumber(ui->txtCngTime, {Field::ToolChangeTime});
}

void frmMain::txtMaxFeedAll_Validate(bool &Cancel)
{
    Cancel |= !CommitNumber(ui->txtMaxFeedAll, {Field::MaxFeedAll});
}

void frmMain::txtStroke_Validate(int Index, bool &Cancel)
{
    Cancel |= !CommitNumber(txtStroke[Index], {Field::Stroke, Index});
}

void frmMain::txtMaxFeedXYZ_Validate(int Index, bool &Cancel)
{
    Cancel |= !CommitNumber(txtMaxFeedXYZ[Index], {Field::MaxFeed, Index});
}

void frmMain::txtMaxAcceleXYZ_Validate(int Index, bool &Cancel)
{
    Cancel |= !CommitNumber(txtMaxAcceleXYZ[Index], {Field::MaxAccel, Index});
}

void frmMain::txtRapidFeedXYZ_Validate(int Index, bool &Cancel)
{
    Cancel |= !CommitNumber(txtRapidFeedXYZ[Index], {Field::RapidFeed, Index});
}

void frmMain::txtRapidAcceleXYZ_Validate(int Index, bool &Cancel)
{
    Cancel |= !CommitNumber(txtRapidAcceleXYZ[Index], {Field::RapidAccel, Index});
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
    const std::optional<double> value = ParseNumeric(text);
    if (!value && text.trimmed().isEmpty()) {
        ui->txtAttachInit->setText(QStringLiteral("0"));
        return;
    }
    // A number must fit the table's 32-bit field.
    if (!value || !RoundToInt32(*value)) {
        Warn(dialogs_, state_.messages, Msg::NotANumber);
        Cancel = true;
    }
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
        if (changed && *number >= 1 && FindAttachment(document_.Attachments(), *number) < 0)
            panel_->OfferRegistration(*number, text);
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

void frmMain::btnAdd_Click()
{
    panel_->Add();
}

void frmMain::btnEdit_Click()
{
    panel_->Edit();
}

void frmMain::btnDel_Click()
{
    panel_->Delete();
}

// --- file choice and program end -------------------------------------------

QString frmMain::FileChoice(QString &InitFileName, QString &InitDirectry,
                            const QString &FileCaption, const QString &Suffix)
{
    return questions_.ChooseFile(InitFileName, InitDirectry, FileCaption, Suffix);
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
    if (document_.Current().Exists() && state_.settings.OpenEditorOnEnd) {
        if (!startEditor || !startEditor(state_.settings.TextEditorPath, {name}))
            std::fprintf(stderr, "quillmark: could not start the text editor \"%s\"\n",
                         qPrintable(state_.settings.TextEditorPath));
    }
    if (endProgram)
        endProgram();
}
