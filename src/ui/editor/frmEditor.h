#pragma once
// The modal attachment editor. Created once and kept for the whole run: its
// DataChanged survives from one opening to the next.
#include "model/AppState.h"

#include <QDialog>
#include <functional>

class frmEditor : public QDialog {
    Q_OBJECT
public:
    // attachDefChange is the main window's AttachDefChange.
    frmEditor(AppState &state, std::function<void()> attachDefChange, QWidget *parent);
    ~frmEditor() override;

    // Loads the window for state.EditAttachPos / EditAttachNo, shows it modally
    // centred on its parent and returns when it has closed.
    void OpenModal();

    bool DataChanged() const;
};
