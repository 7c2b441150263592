#pragma once
// The attachment list. Commands act on the row the user selected and sees
// highlighted, never on a current row that only the focus has set.
#include <QListWidget>

class AttachList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

    // The selected row, or -1.
    int SelectedRow() const;

protected:
    void focusInEvent(QFocusEvent *event) override;
    // A line wider than the list shows whole in a tooltip.
    bool viewportEvent(QEvent *event) override;
};
