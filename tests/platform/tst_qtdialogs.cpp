#include "platform/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
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

void TypeAndOpen(QFileDialog *dialog, const QString &name)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    // Into the focused name box, as a user types, which drops the proposed file.
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
    void openFile_data();
    void openFile();

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
    QVERIFY(QFile(dir_.filePath(QStringLiteral("a.mtl"))).open(QIODevice::WriteOnly));
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
    QTest::addColumn<QString>("title");  // empty: captioned "Quillmark"
    QTest::addColumn<int>("key");        // Return, Escape, or 0 to click "No"
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<int>("qtIcon");

    using B = MsgButtons;
    using I = MsgIcon;
    using A = MsgAnswer;
    auto row = [](const char *name, B buttons, I icon, QMessageBox::Icon qtIcon, A defaultButton,
                  const char *title, int key, A answer) {
        QTest::newRow(name) << buttons << icon << defaultButton << QString(title) << key << answer
                            << int(qtIcon);
    };
    row("ok critical", B::Ok, I::Critical, QMessageBox::Critical, A::Ok, "T", Qt::Key_Return, A::Ok);
    row("ok escape, no title", B::Ok, I::Exclamation, QMessageBox::Warning, A::Ok, "", Qt::Key_Escape, A::Ok);
    row("no is default", B::YesNo, I::Question, QMessageBox::Question, A::No, "T", Qt::Key_Return, A::No);
    row("yes/no escape", B::YesNo, I::Question, QMessageBox::Question, A::Yes, "T", Qt::Key_Escape, A::No);
    row("save question escape", B::YesNoCancel, I::Information, QMessageBox::Information, A::Yes, "Q",
        Qt::Key_Escape, A::Cancel);
    row("save question no", B::YesNoCancel, I::Information, QMessageBox::Information, A::Yes, "Q", 0, A::No);
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

    const QMessageBox::StandardButton qt[] = {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No,
                                              QMessageBox::Cancel};  // in MsgAnswer's order
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
        seenDefault = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
        seenParent = box->parentWidget();
        if (key)
            QTest::keyClick(box, Qt::Key(key));
        else
            box->button(QMessageBox::No)->click();
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.MsgBox(QStringLiteral("text 1"), buttons, icon, defaultButton, title), answer);
    QCOMPARE(seenText, QStringLiteral("text 1"));
    QCOMPARE(seenTitle, title.isEmpty() ? QStringLiteral("Quillmark") : title);
    QCOMPARE(seenIcon, qtIcon);
    QCOMPARE(seenButtons, expectedButtons);
    QCOMPARE(seenDefault, qt[int(defaultButton)]);
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
    QCOMPARE(dialogs.InputBox("Number?", "Attachment", "5"), QStringLiteral(" 12 "));
    QCOMPARE(QStringList({prompt, caption, shown}), QStringList({"Number?", "Attachment", "5"}));

    // Cancel gives empty text whatever was typed; no title gives the program's.
    WhenModal<QInputDialog>([&](QInputDialog *box) {
        caption = box->windowTitle();
        box->setTextValue(QStringLiteral("typed"));
        box->reject();
    });
    QCOMPARE(dialogs.InputBox("Number?", QString(), QString()), QString());
    QCOMPARE(caption, QStringLiteral("Quillmark"));
}

void TestQtDialogs::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("filters");

    QTest::newRow("file choice") << "MTL file(.mtl)|*.mtl|All files|*.*"
                                 << QStringList{"MTL file(.mtl) (*.mtl)", "All files (*)"};
    QTest::newRow("several patterns") << "Text|*.txt;*.log" << QStringList{"Text (*.txt *.log)"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("description without pattern") << "MTL|*.mtl|dangling" << QStringList{"MTL (*.mtl)"};
    QTest::newRow("empty description") << "|*.mtl" << QStringList{"(*.mtl)"};
}

void TestQtDialogs::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, filters);
    QCOMPARE(QtDialogs::NameFilters(filter), filters);
}

void TestQtDialogs::openFile_data()
{
    QTest::addColumn<QString>("typed");  // empty: cancelled
    QTest::addColumn<QString>("chosen");
    QTest::newRow("existing file") << "a.mtl" << "a.mtl";
    QTest::newRow("new name") << "new.mtl" << "new.mtl";
    QTest::newRow("default suffix added") << "plain" << "plain.mtl";
    QTest::newRow("cancelled") << "" << "";
    // Refused with a warning, the dialog staying open; then cancelled.
    QTest::newRow("missing folder") << "nowhere/x.mtl" << "";
}

void TestQtDialogs::openFile()
{
    QFETCH(QString, typed);
    QFETCH(QString, chosen);
    const bool refused = typed.contains(u'/');
    QtDialogs dialogs;
    dialogs.nonNativeFileDialog = true;
    QString title, directory, proposed, warning;
    QStringList filters;
    bool stillOpen = false;
    WhenModal<QFileDialog>([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        directory = dialog->directory().canonicalPath();
        proposed = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        if (refused) {
            WhenModal<QMessageBox>([&](QMessageBox *box) {
                warning = box->text();
                box->accept();
            });
        }
        if (!typed.isEmpty())
            TypeAndOpen(dialog, typed);
        stillOpen = dialog->isVisible();
        if (stillOpen)
            dialog->reject();
    });
    const OpenFileRequest request{"Open", "MTL file(.mtl)|*.mtl|All files|*.*", ".mtl", "C.MTL", dir_.path()};
    QCOMPARE(dialogs.OpenFile(request),
             chosen.isEmpty() ? QString() : QDir(dir_.path()).absoluteFilePath(chosen));
    QCOMPARE(title, QStringLiteral("Open"));
    QCOMPARE(filters, (QStringList{"MTL file(.mtl) (*.mtl)", "All files (*)"}));
    QCOMPARE(directory, QDir(dir_.path()).canonicalPath());
    QCOMPARE(proposed, QStringLiteral("C.MTL"));
    QCOMPARE(stillOpen, typed.isEmpty() || refused);
    QCOMPARE(warning.contains(QStringLiteral("nowhere")), refused);
    // Nothing is created.
    QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
             QStringList{"a.mtl"});
}

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
