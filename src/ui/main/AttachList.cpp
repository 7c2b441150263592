#include "AttachList.h"

#include "model/MtlFile.h"

#include <QHelpEvent>
#include <QToolTip>

#include <algorithm>

AttachmentRows::AttachmentRows(const Document &document, QObject *parent)
    : QAbstractListModel(parent), document_(document)
{
    connect(&document, &Document::Reset, this, [this] {
        beginResetModel();
        Fill();
        endResetModel();
    });
    connect(&document, &Document::SlotInserted, this, &AttachmentRows::Inserted);
    connect(&document, &Document::SlotRemoved, this, &AttachmentRows::Removed);
    // A replaced record is taken out and put in: it may gain or lose its line.
    connect(&document, &Document::SlotReplaced, this, [this](int slot) {
        Removed(slot);
        Inserted(slot);
    });
    Fill();
}

void AttachmentRows::Fill()
{
    rowSlot_.clear();
    const AttachmentSlots &records = document_.Attachments();
    for (int i = 0; i < int(records.size()); ++i)
        if (WrittenStages(records[std::size_t(i)]) > 0)
            rowSlot_.push_back(i);
}

int AttachmentRows::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rowSlot_.size());
}

QVariant AttachmentRows::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return QVariant();
    return FormatAttachLine(document_.Attachments(), SlotOf(index.row()));
}

int AttachmentRows::SlotOf(int row) const
{
    return row >= 0 && row < int(rowSlot_.size()) ? rowSlot_[std::size_t(row)] : -1;
}

int AttachmentRows::RowOfNumber(std::int32_t number) const
{
    const AttachmentSlots &records = document_.Attachments();
    for (std::size_t row = 0; row < rowSlot_.size(); ++row)
        if (records[std::size_t(rowSlot_[row])].Number == number)
            return int(row);
    return -1;
}

void AttachmentRows::Inserted(int slot)
{
    const auto at = std::lower_bound(rowSlot_.begin(), rowSlot_.end(), slot);
    for (auto it = at; it != rowSlot_.end(); ++it)
        ++*it;
    if (WrittenStages(document_.Attachments()[std::size_t(slot)]) == 0)
        return;
    const int row = int(at - rowSlot_.begin());
    beginInsertRows(QModelIndex(), row, row);
    rowSlot_.insert(at, slot);
    endInsertRows();
}

void AttachmentRows::Removed(int slot)
{
    auto at = std::lower_bound(rowSlot_.begin(), rowSlot_.end(), slot);
    if (at != rowSlot_.end() && *at == slot) {
        const int row = int(at - rowSlot_.begin());
        beginRemoveRows(QModelIndex(), row, row);
        at = rowSlot_.erase(at);
        endRemoveRows();
    }
    for (auto it = at; it != rowSlot_.end(); ++it)
        --*it;
}

AttachList::AttachList(QWidget *parent) : QListView(parent)
{
    // Every row one line high: the view lays out 32767 rows without asking
    // each, the rows in view first.
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(1000);
}

int AttachList::SelectedRow() const
{
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void AttachList::focusInEvent(QFocusEvent *event)
{
    const bool hadCurrent = currentIndex().isValid();
    QListView::focusInEvent(event);
    // Qt makes the first row current, unselected, when the focus comes in.
    // Left so, that row wears a focus frame as if chosen, and the first
    // arrow key skips it.
    if (!hadCurrent && currentIndex().isValid() && !selectionModel()->hasSelection())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

bool AttachList::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QListView::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = indexAt(help->pos());
    const QRect rect = visualRect(index);
    if (index.isValid() && rect.left() + sizeHintForIndex(index).width() > viewport()->width())
        QToolTip::showText(help->globalPos(), index.data().toString(), viewport(), rect);
    else
        QToolTip::hideText();
    return true;
}
