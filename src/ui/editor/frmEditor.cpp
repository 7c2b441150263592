#include "frmEditor.h"

#include "OutlineDraw.h"
#include "PictureBox.h"
#include "model/Hints.h"
#include "model/Numbers.h"
#include "model/SlotOrder.h"
#include "ui/common/FieldEvents.h"
#include "ui/common/Warn.h"
#include "ui/common/WindowSetup.h"
#include "ui_frmEditor.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace {
const QColor kViewBack(0xE0, 0xE0, 0xE0);
const QColor kOffBack(0xC0, 0xC0, 0xC0);
const QColor kOnBack(0xFF, 0xFF, 0xFF);
// Dark grey on the grey of a disabled box: 5.7:1, readable, and still
// plainly not the black on white of a box that takes input.
const QColor kOffText(0x40, 0x40, 0x40);
constexpr int kNotAKeyPress = -2;

// The character code a key press would hand to a KeyPress handler, or
// kNotAKeyPress for keys that never reach one (Delete, navigation, shortcuts).
int KeyAsciiOf(const QKeyEvent &event)
{
    if (event.key() == Qt::Key_Backspace)
        return 8;
    if (event.key() == Qt::Key_Delete)
        return kNotAKeyPress;
    const QString text = event.text();
    if (text.isEmpty())
        return kNotAKeyPress;
    const char16_t first = text.at(0).unicode();
    if (first < 0x20 || first == 0x7F)
        return kNotAKeyPress;  // Ctrl combinations, Tab, Enter, Escape
    return text.size() == 1 ? first : -1;
}

void SetBackground(QLineEdit &box, const QColor &color)
{
    QPalette pal = box.palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(g, QPalette::Base, color);
    pal.setColor(QPalette::Disabled, QPalette::Text, kOffText);
    box.setPalette(pal);
}
}  // namespace

frmEditor::frmEditor(AppState &state, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), state_(state), dialogs_(dialogs), ui(std::make_unique<Ui::frmEditor>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(650, 305);
    setModal(true);

    txtWidth = {ui->txtWidth_0, ui->txtWidth_1, ui->txtWidth_2, ui->txtWidth_3, ui->txtWidth_4};
    txtHight = {ui->txtHight_0, ui->txtHight_1, ui->txtHight_2, ui->txtHight_3, ui->txtHight_4};
    Label2 = {ui->Label2_0, ui->Label2_1, ui->Label2_2, ui->Label2_3, ui->Label2_4};

    ui->Label1->setBuddy(ui->txtAttachNo);
    ui->Label4->setBuddy(txtWidth[0]);
    ui->Label5->setBuddy(txtHight[0]);
    for (int i = 0; i < 5; ++i)
        Label2[i]->setBuddy(txtWidth[i]);

    fieldEvents_ = new FieldEvents(this);
    ui->txtAttachNo->setAttribute(Qt::WA_InputMethodEnabled, false);
    ui->txtAttachNo->installEventFilter(this);
    connect(ui->txtAttachNo, &QLineEdit::textChanged, this, [this] { txtAttachNo_Change(); });
    for (int i = 0; i < 5; ++i) {
        for (QLineEdit *box : {txtWidth[i], txtHight[i]}) {
            box->setAttribute(Qt::WA_InputMethodEnabled, false);
            box->installEventFilter(this);
            fieldEvents_->Watch(box, {}, [this, box] { txtStage_LostFocus(box); });
        }
        connect(txtWidth[i], &QLineEdit::textChanged, this,
                [this, i] { txtStage_Change(txtWidth[i], edit_.Width, i); });
        connect(txtHight[i], &QLineEdit::textChanged, this,
                [this, i] { txtStage_Change(txtHight[i], edit_.Height, i); });
    }
    connect(ui->btnShow, &QPushButton::clicked, this, [this] { btnShow_Click(); });
    connect(ui->btnEntry, &QPushButton::clicked, this, [this] { btnEntry_Click(); });
    connect(ui->btnClose, &QPushButton::clicked, this, [this] { btnClose_Click(); });
    SetUpWindow(*this, state_.messages);
}

frmEditor::~frmEditor() = default;

bool frmEditor::DataChanged() const
{
    return dataChanged_;
}

void frmEditor::OpenModal(const Request &request)
{
    Load(request);
    // Centre on the owner at every opening, as a freshly loaded window would be.
    setAttribute(Qt::WA_Moved, false);
    exec();
}

void frmEditor::ShowStages(bool on)
{
    ui->btnShow->setVisible(!on);
    ui->btnEntry->setEnabled(on);
    ui->pctbView->setEnabled(on);
    ui->pctbView->SetBackColor(on ? kViewBack : kOffBack);
    for (int i = 0; i < 5; ++i) {
        textEnable(*txtWidth[i], on);
        textEnable(*txtHight[i], on);
    }
}

int frmEditor::SlotCount() const
{
    return request_.table ? qMin<int>(state_.AttachMaxCount, int(request_.table->size())) : 0;
}

void frmEditor::Load(const Request &request)
{
    request_ = request;
    const MessageTable &m = state_.messages;
    const QString gap(4, QLatin1Char(' '));
    setWindowTitle(m(Msg::EditorTitleProduct) + gap + m(Msg::EditorTitle) + gap +
                   m(Msg::EditorTitleHint));
    SetCaptions(*this, m);
    for (int i = 0; i < 5; ++i)
        Label2[i]->setText(m(Msg::StageBefore) + QString::number(i + 1) + m(Msg::StageAfter));
    // Screen readers name each box by its captions.
    ui->txtAttachNo->setAccessibleName(m(Msg::AttachmentNumber));
    for (int i = 0; i < 5; ++i) {
        txtWidth[i]->setAccessibleName(Label2[i]->text() + u' ' + m(Msg::WidthHeading));
        txtHight[i]->setAccessibleName(Label2[i]->text() + u' ' + m(Msg::HeightHeading));
    }
    for (QPushButton *button : {ui->btnShow, ui->btnEntry, ui->btnClose})
        button->setAccessibleName(button->text());

    // The controls outlive a closing; put back what the design gives them.
    ShowStages(true);
    ui->txtAttachNo->setFocus();
    displaying_ = true;
    editIndex_ = -1;
    dataChanged_ = false;  // what an earlier opening left unentered is gone with it
    ui->txtAttachNo->setText(QStringLiteral("0"));
    for (int i = 0; i < 5; ++i) {
        txtWidth[i]->setText(QStringLiteral("0"));
        txtHight[i]->setText(QStringLiteral("0"));
    }

    AttachmentRecord &w = edit_;
    w.Number = 0;
    w.ShapeNumber = 1;
    w.AttachName = QString();
    w.Width.fill(0.0f);
    w.Height.fill(0.0f);
    displaying_ = false;

    if (request_.position >= 1 && request_.position <= SlotCount()) {
        editIndex_ = request_.position - 1;
        displaying_ = true;
        ui->txtAttachNo->setText(QString::number(request_.number));
        displaying_ = false;
        btnShow_Click();
    }
}

void frmEditor::btnShow_Click()
{
    const std::optional<double> value = ParseNumeric(ui->txtAttachNo->text().trimmed());
    const std::optional<std::int32_t> number = value ? RoundToInt32(*value) : std::nullopt;
    if (!number) {
        Warn(dialogs_, state_.messages, Msg::NumberTooLarge, kTooLargePrefix);
        ui->txtAttachNo->setFocus();
        return;
    }
    const std::int32_t n = *number;

    static const AttachmentSlots kNoSlots;
    const AttachmentSlots &table = request_.table ? *request_.table : kNoSlots;
    int slot = FindAttachment(table, n);
    if (slot < 0)
        slot = CountAttachments(table);
    if (slot < 0 || slot >= SlotCount()) {
        // Every slot holds a complete record: nothing to load, nowhere to write.
        Warn(dialogs_, state_.messages, Msg::TableFull);
        ShowStages(false);
        ui->txtAttachNo->setFocus();
        return;
    }
    editIndex_ = slot;
    ShowStages(true);

    CopyAttachment(edit_, table[std::size_t(slot)]);
    edit_.Number = n;
    AttachShow();
}

void frmEditor::AttachShow()
{
    const AttachmentRecord &w = edit_;
    displaying_ = true;
    ui->txtAttachNo->setText(QString::number(w.Number));
    ui->pctbView->Clear();
    for (int i = 0; i < 5; ++i) {
        txtWidth[i]->setText(FormatNumber(w.Width[i], Pattern::Decimal));
        txtHight[i]->setText(FormatNumber(w.Height[i], Pattern::Decimal));
    }
    displaying_ = false;
    AttachDraw(w, *ui->pctbView);
    ShowHints();
}

void frmEditor::ShowHints()
{
    QStringList texts;
    if (request_.table && request_.machine && ui->btnEntry->isEnabled()) {
        HintOptions options;
        options.off = state_.settings.HintsOff;
        options.editing = &edit_;
        options.editingSlot = editIndex_;
        for (const Hint &hint : FindHints(*request_.machine, *request_.table, options))
            if (hint.edited)
                texts << HintText(state_.messages(hint.message), hint);
    }
    ui->lblHints->setText(texts.join(QStringLiteral("  ")));
    ui->lblHints->setToolTip(texts.join(u'\n'));
}

void frmEditor::textEnable(QLineEdit &txtBox, bool OnOff)
{
    txtBox.setEnabled(OnOff);
    SetBackground(txtBox, OnOff ? kOnBack : kOffBack);
}

void frmEditor::txtAttachNo_Change()
{
    if (displaying_)
        return;
    ShowStages(false);
    ShowHints();
}

bool frmEditor::KeyAsciiCheck(const QLineEdit &txtb, int KeyAscii) const
{
    const bool allowedKey =
        KeyAscii == 46 || KeyAscii == 8 || KeyAscii == 127 || (KeyAscii >= 48 && KeyAscii <= 57);
    if (!allowedKey)
        return false;
    const QString current = txtb.text().trimmed();
    return current.isEmpty() || IsNumeric(current);
}

bool frmEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched == ui->txtAttachNo) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnShow_Click();  // the number box's Return is Show
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto *box = qobject_cast<QLineEdit *>(watched);
        const bool stageBox =
            box && (std::find(txtWidth.begin(), txtWidth.end(), box) != txtWidth.end() ||
                    std::find(txtHight.begin(), txtHight.end(), box) != txtHight.end());
        if (stageBox) {
            const int code = KeyAsciiOf(*static_cast<QKeyEvent *>(event));
            if (code != kNotAKeyPress && !KeyAsciiCheck(*box, code)) {
                dialogs_.Beep();
                return true;  // the key is discarded
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmEditor::keyPressEvent(QKeyEvent *event)
{
    // Escape is the Close button, asking about typed values as it does.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        if (fieldEvents_->Commit())
            btnClose_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmEditor::txtStage_Change(QLineEdit *box, std::array<float, 5> &stage, int Index)
{
    if (displaying_)
        return;
    const QString text = box->text();
    if (text.isEmpty())
        return;
    const std::optional<double> value = ParseNumeric(text);
    if (!value)
        return;
    // Beyond a Single's range counts as not a number: the stage keeps its value.
    const std::optional<float> single = ToSingle(*value);
    if (!single)
        return;
    stage[Index] = *single;
    dataChanged_ = true;
    AttachDraw(edit_, *ui->pctbView);
    ShowHints();
}

void frmEditor::txtStage_LostFocus(QLineEdit *box)
{
    const std::optional<double> value = ParseNumeric(box->text().trimmed());
    const std::optional<float> single = value ? ToSingle(*value) : std::nullopt;
    if (!single)
        return;
    // The Single the record holds, not the typed digits it cannot hold.
    displaying_ = true;
    box->setText(FormatNumber(*single, Pattern::Decimal));
    displaying_ = false;
}

bool frmEditor::Enter()
{
    AttachmentRecord &w = edit_;
    if (!(w.Width[0] > 0.0f) || !(w.Height[0] > 0.0f)) {
        Warn(dialogs_, state_.messages, Msg::StageOneIncomplete, Label2[0]->text());
        return false;
    }
    if (editIndex_ < 0 || editIndex_ >= SlotCount())
        return true;  // no slot chosen: nothing to write to
    if (w.ShapeNumber < 1)
        w.ShapeNumber = 1;
    if (w.ShapeType < 1)
        w.ShapeType = 1;
    dataChanged_ = false;
    // The table puts the record in its place; a further Entry writes there.
    const int landed = request_.entry ? request_.entry(editIndex_, w) : -1;
    if (landed >= 0)
        editIndex_ = landed;
    return true;
}

void frmEditor::btnEntry_Click()
{
    Enter();
}

void frmEditor::btnClose_Click()
{
    if (dataChanged_) {
        const MsgAnswer answer =
            dialogs_.MsgBox(state_.messages(Msg::SaveChanges), MsgButtons::YesNoCancel,
                            MsgIcon::Information, MsgAnswer::Yes, kProgramTitle);
        if (answer == MsgAnswer::Cancel)
            return;
        // A Yes whose record cannot be written has said why: the typing stays.
        if (answer == MsgAnswer::Yes && !Enter())
            return;
    }
    CloseWindow();
}

void frmEditor::CloseWindow()
{
    done(QDialog::Accepted);
}
