#include "HistoryKeys.h"

#include "ui/common/FieldEvents.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QUndoStack>

namespace {
// The user has typed into the box since the window last wrote it.
bool Typing(const QLineEdit &box, bool redo)
{
    return box.isModified() && (redo ? box.isRedoAvailable() : box.isUndoAvailable());
}

QList<QKeySequence> RedoKeys()
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Redo);
    if (!keys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)))
        keys << QKeySequence(Qt::CTRL | Qt::Key_Y);
    return keys;
}
}  // namespace

HistoryKeys::HistoryKeys(QWidget &window, QUndoStack &history, FieldEvents &fields,
                         QPushButton *undo, QPushButton *redo, const MessageTable &messages)
    : QObject(&window), window_(window), history_(history), fields_(fields), undo_(undo),
      redo_(redo), messages_(messages)
{
    auto *undoKey = new QShortcut(&window);
    undoKey->setKeys(QKeySequence::Undo);
    auto *redoKey = new QShortcut(&window);
    redoKey->setKeys(RedoKeys());
    connect(undoKey, &QShortcut::activated, this, [this] { UndoRedo(false); });
    connect(redoKey, &QShortcut::activated, this, [this] { UndoRedo(true); });
    // The buttons take no focus, so that a click neither commits nor leaves
    // the field the user is in.
    connect(undo, &QPushButton::clicked, this, [this] { UndoRedo(false); });
    connect(redo, &QPushButton::clicked, this, [this] { UndoRedo(true); });
    connect(&history, &QUndoStack::indexChanged, this, &HistoryKeys::Describe);
    connect(&history, &QUndoStack::cleanChanged, this, &HistoryKeys::Describe);
    // A field's own undo while the user types in it; the window's after that.
    for (QLineEdit *box : window.findChildren<QLineEdit *>())
        box->installEventFilter(this);
}

void HistoryKeys::SetTexts()
{
    undo_->setText(messages_(Msg::Undo));
    redo_->setText(messages_(Msg::Redo));
    Describe();
}

void HistoryKeys::Describe()
{
    auto describe = [](QPushButton *button, bool can, const QString &caption, const QString &what,
                       const QString &key) {
        button->setEnabled(can);
        const QString text = can ? caption + u' ' + what : caption;
        button->setToolTip(text + QStringLiteral(" (") + key + u')');
        button->setAccessibleDescription(text);
    };
    describe(undo_, history_.canUndo(), messages_(Msg::Undo), history_.undoText(),
             QKeySequence(QKeySequence::Undo).toString(QKeySequence::NativeText));
    describe(redo_, history_.canRedo(), messages_(Msg::Redo), history_.redoText(),
             QKeySequence(QKeySequence::Redo).toString(QKeySequence::NativeText));
}

bool HistoryKeys::eventFilter(QObject *watched, QEvent *event)
{
    // A box claims Ctrl+Z for itself; once nothing is typed into it, the
    // keys go to the window's undo instead.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *box = qobject_cast<QLineEdit *>(watched);
        const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
        const bool undo = QKeySequence::keyBindings(QKeySequence::Undo).contains(pressed);
        const bool redo = !undo && RedoKeys().contains(pressed);
        if (box && (undo || redo) && !Typing(*box, redo))
            return true;  // not accepted: the window's shortcut takes it
    }
    return QObject::eventFilter(watched, event);
}

void HistoryKeys::UndoRedo(bool redo)
{
    auto *box = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (box && box->window() == &window_ && Typing(*box, redo)) {
        redo ? box->redo() : box->undo();
        return;
    }
    // The field the user is in is left as it stands before the step goes.
    if (!fields_.Commit())
        return;
    redo ? history_.redo() : history_.undo();
}
