#include "AttachList.h"

#include <QHelpEvent>
#include <QToolTip>

int AttachList::SelectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void AttachList::focusInEvent(QFocusEvent *event)
{
    const bool hadCurrent = currentIndex().isValid();
    QListWidget::focusInEvent(event);
    // Qt makes the first row current, unselected, when the focus comes in.
    // Left so, that row wears a focus frame as if chosen, and the first
    // arrow key skips it.
    if (!hadCurrent && currentIndex().isValid() && !selectionModel()->hasSelection())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

bool AttachList::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QListWidget::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = indexAt(help->pos());
    const QRect rect = visualRect(index);
    if (index.isValid() && rect.left() + sizeHintForIndex(index).width() > viewport()->width())
        QToolTip::showText(help->globalPos(), index.data().toString(), viewport(), rect);
    else
        QToolTip::hideText();
    return true;
}
