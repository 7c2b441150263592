#pragma once
// The hints in the main window: a sign on each field and row a hint is about,
// the hint in its tooltip and accessible description, their count in the
// strip, and F8 and Shift+F8 to the next and the previous of them. They
// follow every change of the table and never block anything.
#include "model/AppState.h"
#include "model/Document.h"
#include "model/Hints.h"

#include <QObject>

#include <functional>
#include <vector>

class AttachList;
class AttachmentRows;
class FieldEvents;
class QLabel;
class QLineEdit;
class StatusStrip;

class HintMarks : public QObject {
public:
    // The window's field of a value.
    using FieldBox = std::function<QLineEdit *(FieldRef field)>;
    HintMarks(Document &document, const AppState &state, const FieldBox &fieldBox, AttachList *list,
              AttachmentRows *rows, StatusStrip *strip, FieldEvents &fields, QWidget &window);
    // The hints of the table as it stands, shown.
    void Update();
    // Moves to the next (or the previous) field or row a hint is about,
    // wrapping round, after the field left is committed as Tab commits it.
    void Next(bool back);

private:
    struct Mark {
        QLineEdit *box;
        QLabel *sign;  // beside the field, clear of its text
        int field;     // the value's place in kWriterOrder
        QString hint;
    };
    // The place of the field or row that has the focus, in F8's order.
    int Here() const;

    Document &document_;
    const AppState &state_;
    std::vector<Mark> marks_;
    AttachList *list_;
    AttachmentRows *rows_;
    StatusStrip *strip_;
    FieldEvents &fields_;
};
