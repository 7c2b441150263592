#include "AttachList.h"

#include "model/MtlFile.h"

#include <QApplication>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <utility>

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
    connect(&document, &Document::SlotReplaced, this, &AttachmentRows::Replaced);
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
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return FormatAttachLine(document_.Attachments(), SlotOf(index.row()));
    case Qt::AccessibleDescriptionRole: return HintOf(index.row());
    case Qt::DecorationRole:
        if (HintOf(index.row()).isEmpty())
            return QVariant();
        // A sign of its own, not a colour: it shows at every scale and in a dark palette.
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    default: return QVariant();
    }
}

int AttachmentRows::RowOfSlot(int slot) const
{
    const auto at = std::lower_bound(rowSlot_.begin(), rowSlot_.end(), slot);
    return at != rowSlot_.end() && *at == slot ? int(at - rowSlot_.begin()) : -1;
}

void AttachmentRows::SetHints(const QHash<int, QString> &bySlot)
{
    // Only the rows whose hint came, went or changed are told.
    QHash<int, QString> before = std::exchange(hints_, bySlot);
    for (auto it = bySlot.begin(); it != bySlot.end(); ++it)
        if (before.take(it.key()) != it.value())
            before.insert(it.key(), QString());
    for (auto it = before.begin(); it != before.end(); ++it)
        if (const int row = RowOfSlot(it.key()); row >= 0)
            emit dataChanged(index(row), index(row));
}

QString AttachmentRows::HintOf(int row) const
{
    return hints_.value(SlotOf(row));
}

std::vector<int> AttachmentRows::HintedRows() const
{
    std::vector<int> rows;
    for (auto it = hints_.begin(); it != hints_.end(); ++it)
        if (const int row = RowOfSlot(it.key()); row >= 0)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    return rows;
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

void AttachmentRows::Replaced(int slot)
{
    const auto at = std::lower_bound(rowSlot_.begin(), rowSlot_.end(), slot);
    if (at != rowSlot_.end() && *at == slot &&
        WrittenStages(document_.Attachments()[std::size_t(slot)]) > 0) {
        const QModelIndex row = index(int(at - rowSlot_.begin()));
        emit dataChanged(row, row);
        return;
    }
    // It gains or loses its line: taken out and put in.
    Removed(slot);
    Inserted(slot);
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
    setIconSize(QSize(12, 12));  // a hint's sign, no taller than the line
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
    // A line wider than the list, whole; then the row's hint.
    QStringList tip;
    if (index.isValid() && rect.left() + sizeHintForIndex(index).width() > viewport()->width())
        tip << index.data().toString();
    if (const QString hint = index.data(Qt::AccessibleDescriptionRole).toString(); !hint.isEmpty())
        tip << hint;
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip.join(u'\n'), viewport(), rect);
    return true;
}
