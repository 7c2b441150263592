#pragma once
// A main window on a temporary program folder, with scripted dialogs and the
// editor, external editor and program end replaced by recorders.
#include "app/Startup.h"
#include "platform/FakeDialogs.h"
#include "platform/FileOps.h"
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

// Messages read as "M" and their number, so that every text is easy to check.
inline QByteArray TestMessageFile()
{
    QByteArray bytes = "# test messages\r\nMAX_INDEX = 61\r\n";
    for (int i = 0; i <= 61; ++i) {
        // Only the numbers in use: the gaps must read as empty text.
        if (i == 18 || i == 19 || i == 33 || (i >= 44 && i <= 46) || i == 48 || i == 49)
            continue;
        bytes += "GSTR(" + QByteArray::number(i) + ") = \"M" + QByteArray::number(i) + "\"\r\n";
    }
    return bytes;
}

inline QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QString SamplePath()
{
    return QStringLiteral(QM_SOURCE_DIR "/examples/sample.mtl");
}

struct Harness {
    QTemporaryDir dir;
    FakeDialogs fake;
    FileOps files;
    AppState state;
    std::unique_ptr<frmMain> window;
    bool ready = false;
    std::function<void()> realEditor;  // the window's own editor opener

    // Recorders for the seams.
    int editorRuns = 0;
    std::function<void()> editorScript;
    QList<std::pair<QString, QStringList>> started;
    bool startSucceeds = true;
    int ends = 0;

    // ini: the settings file's text before start-up (none when empty);
    // dialogs: real dialogs instead of the fake.
    explicit Harness(const QByteArray &ini = QByteArray(), Dialogs *dialogs = nullptr)
        : state(dialogs ? *dialogs : static_cast<Dialogs &>(fake), files)
    {
        if (!dir.isValid() || !WriteBytes(AppPath() + "Quillmark.mes", TestMessageFile()))
            return;
        if (!ini.isEmpty() && !WriteBytes(AppPath() + "Quillmark.ini", ini))
            return;
        if (!InitApplication(state, AppPath()))
            return;
        window = std::make_unique<frmMain>(state);
        realEditor = window->openEditor;
        window->openEditor = [this] {
            ++editorRuns;
            if (editorScript)
                editorScript();
        };
        window->startEditor = [this](const QString &program, const QStringList &arguments) {
            started.append({program, arguments});
            return startSucceeds;
        };
        window->endProgram = [this] { ++ends; };
        window->ShowWindow();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        ready = QTest::qWaitForWindowActive(window.get());
    }

    QString AppPath() const { return dir.path() + QLatin1Char('/'); }
    // A copy of the example file in the temporary folder.
    QString CopySample(const QString &name = QStringLiteral("sample.mtl")) const
    {
        const QString path = dir.path() + QLatin1Char('/') + name;
        QFile::remove(path);
        return QFile::copy(SamplePath(), path) ? path : QString();
    }

    template <class T = QWidget>
    T *w(const QString &name) const
    {
        return window->findChild<T *>(name);
    }
    QLineEdit *edit(const QString &name) const { return w<QLineEdit>(name); }
    QString text(const QString &name) const { return edit(name)->text(); }

    // Types text into a field as a user does: focus it, replace its text.
    void type(const QString &name, const QString &text) const
    {
        QLineEdit *e = edit(name);
        e->setFocus(Qt::MouseFocusReason);
        e->selectAll();
        if (text.isEmpty())
            QTest::keyClick(e, Qt::Key_Delete);
        else
            QTest::keyClicks(e, text);
    }
    // Leaves the focused field with the Tab key.
    void tab() const
    {
        QWidget *f = QApplication::focusWidget();
        QTest::keyClick(f ? f : window.get(), Qt::Key_Tab);
    }
    void click(const QString &button) const
    {
        QTest::mouseClick(w<QPushButton>(button), Qt::LeftButton);
    }
    QWidget *focus() const { return QApplication::focusWidget(); }
    QStringList listLines() const
    {
        QStringList lines;
        const QListWidget *list = w<QListWidget>(QStringLiteral("lstAttach"));
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines;
    }
    QString ini() const { return QString::fromLatin1(ReadBytes(AppPath() + "Quillmark.ini")); }
};
