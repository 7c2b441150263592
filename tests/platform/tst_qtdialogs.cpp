#include "platform/QtDialogs.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)
Q_DECLARE_METATYPE(MsgAnswer)

namespace {

// Runs action on the next modal dialog of type T as soon as it is shown.
template <typename T>
void WhenModal(std::function<void(T *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            if (!dialog->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            action(dialog);
        }
    });
    timer->start();
}

// The names that the dialog's list shows, once it shows expected.
QStringList ListedNames(QFileDialog *dialog, const QString &expected)
{
    auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
    if (!view)
        return {};
    QStringList names;
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        names.clear();
        const QAbstractItemModel *model = view->model();
        for (int r = 0; r < model->rowCount(view->rootIndex()); ++r)
            names << model->index(r, 0, view->rootIndex()).data().toString();
        if (names.contains(expected))
            break;
        QTest::qWait(20);
    }
    names.sort();
    return names;
}

void TypeAndOpen(QFileDialog *dialog, const QString &name)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    // Typing goes where a user types: into the focused name box, which also
    // takes the proposed file's selection away.
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    QTest::keyClicks(edit, name);
    QTest::keyClick(edit, Qt::Key_Return);
}

}  // namespace

class TestQtDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void msgBox_data();
    void msgBox();
    void inputBox();
    void nameFilters_data();
    void nameFilters();
    void openFileShowsTheRequest();
    void openFileTakesNewNameAndSuffix();
    void openFileRefusesMissingFolder();

private:
    QWidget window_;
    QTemporaryDir dir_;
};

void TestQtDialogs::initTestCase()
{
    window_.resize(400, 300);
    window_.show();
    window_.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window_));
    QVERIFY(dir_.isValid());
    for (const char *name : {"a.mtl", "b.txt", "C.MTL"}) {
        QFile f(dir_.filePath(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("sub")));
}

void TestQtDialogs::init()
{
    // Closing a box leaves no active window on this platform.
    window_.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window_));
}

void TestQtDialogs::msgBox_data()
{
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<MsgIcon>("icon");
    QTest::addColumn<MsgAnswer>("defaultButton");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("key");  // Return, Escape, or 0 to click "No"
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<int>("qtIcon");
    QTest::addColumn<QString>("caption");

    QTest::newRow("ok critical") << MsgButtons::Ok << MsgIcon::Critical << MsgAnswer::Ok
                                 << "Quillmark" << int(Qt::Key_Return) << MsgAnswer::Ok
                                 << int(QMessageBox::Critical) << "Quillmark";
    QTest::newRow("ok escape") << MsgButtons::Ok << MsgIcon::Exclamation << MsgAnswer::Ok
                               << "" << int(Qt::Key_Escape) << MsgAnswer::Ok
                               << int(QMessageBox::Warning) << "Quillmark";
    QTest::newRow("yes is default") << MsgButtons::YesNo << MsgIcon::Question << MsgAnswer::Yes
                                    << "T" << int(Qt::Key_Return) << MsgAnswer::Yes
                                    << int(QMessageBox::Question) << "T";
    QTest::newRow("no is default") << MsgButtons::YesNo << MsgIcon::Question << MsgAnswer::No
                                   << "T" << int(Qt::Key_Return) << MsgAnswer::No
                                   << int(QMessageBox::Question) << "T";
    QTest::newRow("yes/no escape") << MsgButtons::YesNo << MsgIcon::Question << MsgAnswer::Yes
                                   << "T" << int(Qt::Key_Escape) << MsgAnswer::No
                                   << int(QMessageBox::Question) << "T";
    QTest::newRow("save question escape")
        << MsgButtons::YesNoCancel << MsgIcon::Information << MsgAnswer::Yes << "Quillmark"
        << int(Qt::Key_Escape) << MsgAnswer::Cancel << int(QMessageBox::Information)
        << "Quillmark";
    QTest::newRow("save question no") << MsgButtons::YesNoCancel << MsgIcon::Information
                                      << MsgAnswer::Yes << "Quillmark" << 0 << MsgAnswer::No
                                      << int(QMessageBox::Information) << "Quillmark";
}

void TestQtDialogs::msgBox()
{
    QFETCH(MsgButtons, buttons);
    QFETCH(MsgIcon, icon);
    QFETCH(MsgAnswer, defaultButton);
    QFETCH(QString, title);
    QFETCH(int, key);
    QFETCH(MsgAnswer, answer);
    QFETCH(int, qtIcon);
    QFETCH(QString, caption);

    const QMessageBox::StandardButtons expectedButtons =
        buttons == MsgButtons::Ok      ? QMessageBox::StandardButtons(QMessageBox::Ok)
        : buttons == MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                       : QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QString seenText, seenTitle;
    int seenIcon = -1;
    QMessageBox::StandardButtons seenButtons;
    QMessageBox::StandardButton seenDefault = QMessageBox::NoButton;
    QWidget *seenParent = nullptr;
    WhenModal<QMessageBox>([&](QMessageBox *box) {
        seenText = box->text();
        seenTitle = box->windowTitle();
        seenIcon = box->icon();
        seenButtons = box->standardButtons();
        seenDefault = box->defaultButton() ? box->standardButton(box->defaultButton())
                                           : QMessageBox::NoButton;
        seenParent = box->parentWidget();
        if (key)
            QTest::keyClick(box, Qt::Key(key));
        else
            box->button(QMessageBox::No)->click();
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.MsgBox(QStringLiteral("text 1"), buttons, icon, defaultButton, title), answer);
    QCOMPARE(seenText, QStringLiteral("text 1"));
    QCOMPARE(seenTitle, caption);
    QCOMPARE(seenIcon, qtIcon);
    QCOMPARE(seenButtons, expectedButtons);
    QCOMPARE(seenDefault, [&] {
        switch (defaultButton) {
        case MsgAnswer::Ok: return QMessageBox::Ok;
        case MsgAnswer::Yes: return QMessageBox::Yes;
        case MsgAnswer::No: return QMessageBox::No;
        case MsgAnswer::Cancel: return QMessageBox::Cancel;
        }
        return QMessageBox::NoButton;
    }());
    QCOMPARE(seenParent, &window_);
}

void TestQtDialogs::inputBox()
{
    QtDialogs dialogs;
    QString prompt, caption, shown;
    WhenModal<QInputDialog>([&](QInputDialog *box) {
        prompt = box->labelText();
        caption = box->windowTitle();
        shown = box->textValue();
        box->setTextValue(QStringLiteral(" 12 "));
        box->accept();
    });
    QCOMPARE(dialogs.InputBox(QStringLiteral("Number?"), QStringLiteral("Attachment"),
                              QStringLiteral("5")),
             QStringLiteral(" 12 "));
    QCOMPARE(prompt, QStringLiteral("Number?"));
    QCOMPARE(caption, QStringLiteral("Attachment"));
    QCOMPARE(shown, QStringLiteral("5"));

    WhenModal<QInputDialog>([&](QInputDialog *box) {
        caption = box->windowTitle();
        box->setTextValue(QStringLiteral("typed"));
        box->reject();
    });
    QCOMPARE(dialogs.InputBox(QStringLiteral("Number?"), QString(), QString()), QString());
    QCOMPARE(caption, QStringLiteral("Quillmark"));
}

void TestQtDialogs::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("filters");

    QTest::newRow("file choice") << "MTL file(.mtl)|*.mtl|All files|*.*"
                                 << QStringList{"MTL file(.mtl) (*.mtl)", "All files (*)"};
    QTest::newRow("japanese description")
        << "MTLファイル(.mtl)|*.mtl|すべてのファイル|*.*"
        << QStringList{"MTLファイル(.mtl) (*.mtl)", "すべてのファイル (*)"};
    QTest::newRow("several patterns") << "Text|*.txt;*.log" << QStringList{"Text (*.txt *.log)"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("description without pattern") << "MTL|*.mtl|dangling"
                                                  << QStringList{"MTL (*.mtl)"};
    QTest::newRow("empty description") << "|*.mtl" << QStringList{"(*.mtl)"};
}

void TestQtDialogs::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, filters);
    QCOMPARE(QtDialogs::NameFilters(filter), filters);
}

void TestQtDialogs::openFileShowsTheRequest()
{
    QtDialogs dialogs;
    dialogs.nonNativeFileDialog = true;
    QString title, directory, typed;
    QStringList filters, listed;
    WhenModal<QFileDialog>([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        directory = dialog->directory().absolutePath();
        typed = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        listed = ListedNames(dialog, QStringLiteral("a.mtl"));
        TypeAndOpen(dialog, QStringLiteral("a.mtl"));
    });
    const QString chosen = dialogs.OpenFile({QStringLiteral("Open"),
                                             QStringLiteral("MTL file(.mtl)|*.mtl|All files|*.*"),
                                             QStringLiteral(".mtl"), QStringLiteral("C.MTL"),
                                             dir_.path()});
    QCOMPARE(chosen, QDir(dir_.path()).absoluteFilePath(QStringLiteral("a.mtl")));
    QCOMPARE(title, QStringLiteral("Open"));
    QCOMPARE(filters, (QStringList{"MTL file(.mtl) (*.mtl)", "All files (*)"}));
    QCOMPARE(QDir(directory).canonicalPath(), QDir(dir_.path()).canonicalPath());
    QCOMPARE(typed, QStringLiteral("C.MTL"));
    // The first entry shows MTL files in any case, and folders, but nothing else.
    QCOMPARE(listed, (QStringList{"C.MTL", "a.mtl", "sub"}));
}

void TestQtDialogs::openFileTakesNewNameAndSuffix()
{
    QtDialogs dialogs;
    dialogs.nonNativeFileDialog = true;
    const OpenFileRequest request{QStringLiteral("Open"), QStringLiteral("MTL|*.mtl|All|*.*"),
                                  QStringLiteral(".mtl"), QString(), dir_.path()};

    WhenModal<QFileDialog>([&](QFileDialog *dialog) { TypeAndOpen(dialog, "new.mtl"); });
    QCOMPARE(dialogs.OpenFile(request), QDir(dir_.path()).absoluteFilePath("new.mtl"));

    WhenModal<QFileDialog>([&](QFileDialog *dialog) { TypeAndOpen(dialog, "plain"); });
    QCOMPARE(dialogs.OpenFile(request), QDir(dir_.path()).absoluteFilePath("plain.mtl"));

    WhenModal<QFileDialog>([&](QFileDialog *dialog) { dialog->reject(); });
    QCOMPARE(dialogs.OpenFile(request), QString());
    QVERIFY(!QFile::exists(QDir(dir_.path()).absoluteFilePath("new.mtl")));
}

void TestQtDialogs::openFileRefusesMissingFolder()
{
    QtDialogs dialogs;
    dialogs.nonNativeFileDialog = true;
    QString warning;
    bool stillOpen = false;
    WhenModal<QFileDialog>([&](QFileDialog *dialog) {
        WhenModal<QMessageBox>([&](QMessageBox *box) {
            warning = box->text();
            box->accept();
        });
        TypeAndOpen(dialog, "nowhere/x.mtl");
        stillOpen = dialog->isVisible();
        dialog->reject();
    });
    QCOMPARE(dialogs.OpenFile({QStringLiteral("Open"), QStringLiteral("MTL|*.mtl"),
                               QStringLiteral(".mtl"), QString(), dir_.path()}),
             QString());
    QVERIFY(stillOpen);
    QVERIFY(warning.contains(QStringLiteral("nowhere")));
}

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
