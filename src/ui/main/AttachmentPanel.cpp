#include "AttachmentPanel.h"

#include "model/MtlFile.h"
#include "model/Numbers.h"
#include "model/SlotOrder.h"
#include "ui/common/Warn.h"
#include "ui/editor/OutlineDraw.h"
#include "ui/editor/PictureBox.h"

#include <QAbstractButton>

AttachmentPanel::AttachmentPanel(Document &document, Dialogs &dialogs, const AppState &state,
                                 const Controls &controls, RunEditor runEditor, QObject *parent)
    : QObject(parent), document_(document), dialogs_(dialogs), state_(state), controls_(controls),
      runEditor_(std::move(runEditor)), rows_(new AttachmentRows(document, this))
{
    controls_.list->setModel(rows_);
    connect(controls_.list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ShowChosen(); });
}

QString AttachmentPanel::StepName(const QAbstractButton *button, std::int32_t number) const
{
    return button->text() + u' ' + AttachmentKey(number);
}

// Every add, edit and registration runs the editor; each Entry in it is a step.
void AttachmentPanel::OpenEditor(int position, std::int32_t number)
{
    frmEditor::Request request;
    request.table = &document_.Attachments();
    request.machine = &document_.Table();
    request.position = position;
    request.number = number;
    request.entry = [this](int slot, const AttachmentRecord &record) {
        const AttachmentSlots &table = document_.Attachments();
        const bool replaces =
            slot >= 0 && slot < int(table.size()) && IsComplete(table[std::size_t(slot)]);
        return document_.PutAttachment(
            slot, record, StepName(replaces ? controls_.edit : controls_.add, record.Number));
    };
    runEditor_(request);
}

int AttachmentPanel::ChosenSlot()
{
    const int slot = rows_->SlotOf(controls_.list->SelectedRow());
    if (slot < 0)
        Warn(dialogs_, state_.messages, Msg::NothingSelected);
    return slot;
}

void AttachmentPanel::Add()
{
    const int count = CountAttachments(document_.Attachments());
    if (count >= state_.AttachMaxCount) {
        Warn(dialogs_, state_.messages, Msg::TableFull);
        return;
    }
    if (const std::int32_t number = AskAttachmentNumber(dialogs_, state_.messages))
        OpenEditor(count + 1, number);
}

void AttachmentPanel::Edit()
{
    const int slot = ChosenSlot();
    if (slot >= 0)
        OpenEditor(slot + 1, document_.Attachments()[std::size_t(slot)].Number);
}

void AttachmentPanel::Delete()
{
    const int slot = ChosenSlot();
    if (slot < 0)
        return;
    const std::int32_t number = document_.Attachments()[std::size_t(slot)].Number;
    const Msg question = number == document_.Table().IniAttachment ? Msg::DeleteInitialQuestion
                                                                   : Msg::DeleteQuestion;
    if (dialogs_.MsgBox(AttachmentKey(number) + state_.messages(question), MsgButtons::YesNo,
                        MsgIcon::Question) == MsgAnswer::Yes)
        document_.DeleteAttachment(slot, StepName(controls_.del, number));
}

void AttachmentPanel::ShowChosen()
{
    const int slot = rows_->SlotOf(controls_.list->SelectedRow());
    if (slot < 0 || slot >= state_.AttachMaxCount)
        controls_.preview->Clear();  // only a chosen attachment is shown
    else
        AttachDraw(document_.Attachments()[std::size_t(slot)], *controls_.preview);
}

void AttachmentPanel::Unchoose()
{
    controls_.list->clearSelection();
    controls_.list->setCurrentIndex(QModelIndex());
    controls_.preview->Clear();
}

void AttachmentPanel::ShowRestored(std::int32_t number, int slot)
{
    const int ofSlot = slot >= 0 ? rows_->RowOfSlot(slot) : -1;
    if (const int row = ofSlot >= 0 ? ofSlot : rows_->RowOfNumber(number); row >= 0)
        controls_.list->setCurrentIndex(rows_->index(row));
    controls_.list->setFocus(Qt::OtherFocusReason);
}

void AttachmentPanel::OfferRegistration(std::int32_t number, const QString &typed)
{
    const MessageTable &m = state_.messages;
    if (dialogs_.MsgBox(m(Msg::AttachmentNumber) + typed + m(Msg::NotRegistered), MsgButtons::YesNo,
                        MsgIcon::Question) != MsgAnswer::Yes)
        return;
    const int count = CountAttachments(document_.Attachments());
    if (count < state_.AttachMaxCount)
        OpenEditor(count + 1, number);
    else
        dialogs_.MsgBox(m(Msg::TableFullLine1) + QStringLiteral("\r\n") + m(Msg::TableFullLine2) +
                            QStringLiteral("\r\n") + m(Msg::TableFullLine3),
                        MsgButtons::Ok, MsgIcon::Exclamation);
}
