#pragma once
// Undo and redo in the main window: Ctrl+Z undoes the typing in the focused
// field while there is some, then the last committed change; Ctrl+Shift+Z and
// Ctrl+Y redo. The buttons do the same and say what they would undo or redo.
#include "platform/MessageTable.h"

#include <QObject>

class FieldEvents;
class QPushButton;
class QUndoStack;
class QWidget;

class HistoryKeys : public QObject {
public:
    HistoryKeys(QWidget &window, QUndoStack &history, FieldEvents &fields, QPushButton *undo,
                QPushButton *redo, const MessageTable &messages);
    // The captions and tooltips from the message table.
    void SetTexts();
    void UndoRedo(bool redo);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Describe();

    QWidget &window_;
    QUndoStack &history_;
    FieldEvents &fields_;
    QPushButton *undo_;
    QPushButton *redo_;
    const MessageTable &messages_;
};
