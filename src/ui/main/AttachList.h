#pragma once
// The attachment list: a view of the slots the writer writes, one row each
// with its line, that follows every change of the document row by row.
// Commands act on the row the user selected and sees highlighted, never on a
// current row that only the focus has set.
#include "model/Document.h"

#include <QAbstractListModel>
#include <QHash>
#include <QListView>

#include <vector>

class AttachmentRows : public QAbstractListModel {
public:
    AttachmentRows(const Document &document, QObject *parent);
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // The slot a row shows, or -1; the row of the first record of a number, or -1.
    int SlotOf(int row) const;
    int RowOfNumber(std::int32_t number) const;
    int RowOfSlot(int slot) const;  // -1 for a slot without a row
    // The hints of the rows, by slot: a sign on each such row, and its words
    // in the row's tooltip and accessible description.
    void SetHints(const QHash<int, QString> &bySlot);
    QString HintOf(int row) const;
    std::vector<int> HintedRows() const;

private:
    void Fill();
    void Inserted(int slot);
    void Removed(int slot);
    void Replaced(int slot);

    const Document &document_;

    std::vector<int> rowSlot_;  // in slot order; rows and slots differ where a record has no line
    QHash<int, QString> hints_;
};

class AttachList : public QListView {
    Q_OBJECT
public:
    explicit AttachList(QWidget *parent = nullptr);
    // The selected row, or -1.
    int SelectedRow() const;

protected:
    void focusInEvent(QFocusEvent *event) override;
    // A line wider than the list shows whole in a tooltip.
    bool viewportEvent(QEvent *event) override;
};
