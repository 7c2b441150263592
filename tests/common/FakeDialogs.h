#pragma once
// Scripted dialogs for tests: records what would be shown and answers as told; a message box not told
// answers with its default button, a prompt with empty text, a file dialog with no file.
#include "platform/Dialogs.h"

#include <QMap>
#include <QQueue>
#include <QStringList>

class FakeDialogs : public Dialogs {
public:
    struct Box {
        QString text;
        MsgButtons buttons;
        MsgIcon icon;
        MsgAnswer defaultButton;
        QString title, details;
    };
    struct Input {
        QString prompt, title, defaultText;
    };
    QList<Box> boxes;
    QList<Input> inputs;
    QList<OpenFileRequest> openRequests;
    int beeps = 0;
    QMap<qsizetype, MsgAnswer> answers;         // by the message box's number, from 0
    QQueue<QString> inputAnswers, fileAnswers;  // in turn

    using Dialogs::MsgBox;
    MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon, MsgAnswer defaultButton,
                     const QString &title, const QString &details) override
    {
        boxes.append({text, buttons, icon, defaultButton, title, details});
        return answers.value(boxes.size() - 1, defaultButton);
    }
    QString InputBox(const QString &prompt, const QString &title, const QString &defaultText) override
    {
        inputs.append({prompt, title, defaultText});
        return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
    }
    QString OpenFile(const OpenFileRequest &request) override
    {
        openRequests.append(request);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    }
    void Beep() override { ++beeps; }
    QStringList texts() const
    {
        QStringList all;
        for (const Box &b : boxes) all << b.text;
        return all;
    }
};
