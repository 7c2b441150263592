#pragma once
// Scripted stand-in for the dialogs seam: records what would have been shown
// and answers from queues. Used by the tests and by nothing else.
#include "platform/Dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

class FakeDialogs : public Dialogs {
public:
    struct Box {
        QString text;
        MsgButtons buttons;
        MsgIcon icon;
        MsgAnswer defaultButton;
        QString title;
    };
    struct Input {
        QString prompt;
        QString title;
        QString defaultText;
    };

    QList<Box> boxes;
    QList<Input> inputs;
    QList<OpenFileRequest> openRequests;
    int beeps = 0;

    // Answers, used in order. An empty queue answers with the default button,
    // an empty input and no file, and counts as unexpected.
    QQueue<MsgAnswer> answers;
    QQueue<QString> inputAnswers;
    QQueue<QString> fileAnswers;
    int unexpected = 0;

    MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                     MsgAnswer defaultButton, const QString &title) override
    {
        boxes.append({text, buttons, icon, defaultButton, title});
        if (answers.isEmpty()) {
            ++unexpected;
            return defaultButton;
        }
        return answers.dequeue();
    }
    using Dialogs::MsgBox;

    QString InputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override
    {
        inputs.append({prompt, title, defaultText});
        if (inputAnswers.isEmpty()) {
            ++unexpected;
            return QString();
        }
        return inputAnswers.dequeue();
    }

    QString OpenFile(const OpenFileRequest &request) override
    {
        openRequests.append(request);
        if (fileAnswers.isEmpty()) {
            ++unexpected;
            return QString();
        }
        return fileAnswers.dequeue();
    }

    void Beep() override { ++beeps; }

    QStringList texts() const
    {
        QStringList all;
        for (const Box &b : boxes)
            all << b.text;
        return all;
    }
    void reset() { *this = FakeDialogs(); }
};
