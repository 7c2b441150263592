#pragma once
// The attachment list of the main window and what it does: its rows, the
// outline of the chosen one, and adding, editing, deleting and registering
// attachments through the editor, with the questions each asks. The window's
// handlers call it.
#include "model/AppState.h"
#include "model/Document.h"
#include "platform/Dialogs.h"
#include "ui/editor/frmEditor.h"
#include "ui/main/AttachList.h"

#include <QObject>

#include <cstdint>
#include <functional>

class PictureBox;
class QAbstractButton;

class AttachmentPanel : public QObject {
public:
    struct Controls {
        AttachList *list;
        PictureBox *preview;
        QAbstractButton *add, *edit, *del;  // their captions name the steps
    };
    // Runs the modal editor on a request; afterwards the window follows.
    using RunEditor = std::function<void(const frmEditor::Request &request)>;

    AttachmentPanel(Document &document, Dialogs &dialogs, const AppState &state,
                    const Controls &controls, RunEditor runEditor, QObject *parent);

    void Add();
    void Edit();
    void Delete();
    // The chosen row's outline, or a blank picture.
    void ShowChosen();
    // No row chosen, and a blank picture.
    void Unchoose();
    // An undo or redo brought the attachment back, or a comparison points at
    // it: the row of its slot chosen, else the first of its number.
    void ShowRestored(std::int32_t number, int slot);
    // The initial attachment was set to a number no attachment has: asks
    // whether to register it (the question shows the number as typed).
    void OfferRegistration(std::int32_t number, const QString &typed);
    AttachmentRows *Rows() const { return rows_; }

private:
    // The chosen row's slot, or -1 after saying that nothing is chosen.
    int ChosenSlot();
    void OpenEditor(int position, std::int32_t number);
    QString StepName(const QAbstractButton *button, std::int32_t number) const;

    Document &document_;
    Dialogs &dialogs_;
    const AppState &state_;
    Controls controls_;
    RunEditor runEditor_;
    AttachmentRows *rows_;
};
