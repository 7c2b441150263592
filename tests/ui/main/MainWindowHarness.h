#pragma once
// A main window on a temporary program folder, with scripted dialogs and the
// editor, external editor and program end replaced by recorders.
#include "app/Settings.h"
#include "app/Startup.h"
#include "FakeDialogs.h"
#include "FaultyFiles.h"
#include "TestFiles.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(MsgAnswer)

// Messages read as "M" and their number; 18, 19 and the other unused numbers
// are left out and read as empty text.
inline QByteArray TestMessageFile()
{
    QByteArray bytes = "MAX_INDEX = 68\r\n";
    for (int i = 0; i <= 68; ++i)
        if (i != 18 && i != 19 && i != 33 && !(i >= 44 && i <= 46) && i != 48 && i != 49)
            bytes += "GSTR(" + QByteArray::number(i) + ") = \"M" + QByteArray::number(i) + "\"\r\n";
    return bytes;
}

// The example file's attachment lines, as listed.
const QString kLine1 = "ATTACHMENT01 = SQUARE/120.,40.,160.,60.,200.,90.,STANDARD HEAD       ";
const QString kLine2 = "ATTACHMENT02 = SQUARE/80.,30.,80.,50.,140.,70.,140.,20.,RIGHT ANGLE HEAD    ";
const QString kLine5 = "ATTACHMENT05 = SQUARE/60.,150.,100.,60.,EXTENSION           ";

// The number boxes in tab order, which is also their order in the table.
const QStringList kNumberBoxes{
    "txtStroke_0",       "txtStroke_1",       "txtStroke_2",         "txtCngTime",
    "txtMaxFeedAll",     "txtMaxFeedXYZ_0",   "txtMaxFeedXYZ_1",     "txtMaxFeedXYZ_2",
    "txtMaxAcceleXYZ_0", "txtMaxAcceleXYZ_1", "txtMaxAcceleXYZ_2",   "txtRapidFeedXYZ_0",
    "txtRapidFeedXYZ_1", "txtRapidFeedXYZ_2", "txtRapidAcceleXYZ_0", "txtRapidAcceleXYZ_1",
    "txtRapidAcceleXYZ_2"};

struct Harness {
    QTemporaryDir dir;
    FakeDialogs fake;
    FaultyFiles files;
    AppState state{files};
    Dialogs &dialogs;
    std::unique_ptr<frmMain> window;
    bool ready = false;
    std::function<void()> realEditor;  // the window's own editor opener
    int editorRuns = 0;
    std::function<void()> editorScript;
    std::int32_t handedNo = -1, handedPos = -1;  // what the editor was last given
    int ends = 0;

    // ini: the settings file's text before start-up; dialogs: real dialogs; mes: the message file.
    explicit Harness(const QByteArray &ini = QByteArray(), Dialogs *real = nullptr,
                     const QByteArray &mes = TestMessageFile())
        : dialogs(real ? *real : static_cast<Dialogs &>(fake))
    {
        // A settings file beside the program, empty when none is given, keeps
        // the program in this folder (the user's own stays untouched).
        if (!dir.isValid() || !WriteBytes(AppPath() + "Quillmark.mes", mes) ||
            !WriteBytes(AppPath() + "Quillmark.ini", ini) ||
            !InitApplication(state, dialogs, AppPath()))
            return;
        window = std::make_unique<frmMain>(state, dialogs);
        realEditor = window->openEditor;
        window->openEditor = [this] {
            ++editorRuns;
            handedNo = state.EditAttachNo;
            handedPos = state.EditAttachPos;
            if (editorScript)
                editorScript();
        };
        window->startEditor = [](const QString &, const QStringList &) { return true; };
        window->endProgram = [this] { ++ends; };
        window->ShowWindow();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        ready = QTest::qWaitForWindowActive(window.get());
    }

    QString AppPath() const { return dir.path() + QLatin1Char('/'); }
    // A copy of the example file in the temporary folder, loaded when asked.
    QString CopySample(const QString &name = QStringLiteral("sample.mtl"), bool load = false) const
    {
        const QString path = dir.filePath(name);
        QFile::remove(path);
        if (!QFile::copy(QStringLiteral(QM_SOURCE_DIR "/examples/sample.mtl"), path))
            return QString();
        if (load)
            window->SetFileName(path);
        return path;
    }

    template <class T = QWidget>
    T *w(const QString &name) const { return window->findChild<T *>(name); }
    QLineEdit *edit(const QString &name) const { return w<QLineEdit>(name); }
    QString text(const QString &name) const { return edit(name)->text(); }
    QListWidget *list() const { return w<QListWidget>("lstAttach"); }
    QWidget *focus() const { return QApplication::focusWidget(); }

    // Types into a field as a user does, then leaves it with Tab.
    void type(const QString &name, const QString &text, bool leave = true) const
    {
        QLineEdit *e = edit(name);
        e->setFocus(Qt::MouseFocusReason);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
        if (leave)
            QTest::keyClick(e, Qt::Key_Tab);
    }
    void click(const QString &button) const
    {
        QTest::mouseClick(w<QPushButton>(button), Qt::LeftButton);
    }
    // Every field as shown: the number boxes, name, initial attachment, ATC type.
    QStringList fields() const
    {
        QStringList all;
        for (const QString &box : kNumberBoxes + QStringList{"txtMachineName", "txtAttachInit"})
            all << text(box);
        return all << w<QComboBox>("cmbAtcType")->currentText();
    }
    QStringList listLines() const
    {
        QStringList lines;
        for (int i = 0; i < list()->count(); ++i)
            lines << list()->item(i)->text();
        return lines;
    }
    // Box i has these buttons and icon, the usual default button and title.
    bool boxIs(int i, MsgButtons buttons, MsgIcon icon) const
    {
        const FakeDialogs::Box &b = fake.boxes.value(i);
        return b.buttons == buttons && b.icon == icon && b.title == kProgramTitle &&
               b.defaultButton == (buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes);
    }
    // Editor runs, and the number and position it was last given.
    QList<int> handed() const { return {editorRuns, handedNo, handedPos}; }
    QString ini() const { return QString::fromLatin1(ReadBytes(AppPath() + "Quillmark.ini")); }
};
