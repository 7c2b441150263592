#include "platform/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// One message box: what is asked, the key that answers it, and what Qt shows.
struct BoxCase {
    MsgButtons buttons;
    MsgIcon icon;
    MsgAnswer defaultButton;
    QString title;  // empty: captioned "Quillmark"
    Qt::Key key;
    MsgAnswer answer;
    QMessageBox::Icon qtIcon;
    QMessageBox::StandardButtons qtButtons;
    QMessageBox::StandardButton qtDefault;
};

// Runs action on the modal dialog that the next call opens, once it is shown.
template <typename T>
void WhenModal(std::function<void(T *)> action)
{
    QTimer::singleShot(0, [action] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        QVERIFY(dialog && dialog->isVisible());
        action(dialog);
    });
}

}  // namespace
Q_DECLARE_METATYPE(BoxCase)

class TestQtDialogs : public QObject {
    Q_OBJECT

private slots:
    void msgBox_data()
    {
        using A = MsgAnswer;
        using B = MsgButtons;
        using I = MsgIcon;
        using Q = QMessageBox;
        const Q::StandardButtons ok(Q::Ok), yesNo = Q::Yes | Q::No, three = yesNo | Q::Cancel;
        const Qt::Key ret = Qt::Key_Return, esc = Qt::Key_Escape;
        auto row = [](const char *name, const BoxCase &box) { QTest::newRow(name) << box; };
        QTest::addColumn<BoxCase>("box");
        row("ok", {B::Ok, I::Critical, A::Ok, "T", ret, A::Ok, Q::Critical, ok, Q::Ok});
        row("ok escape, no title", {B::Ok, I::Exclamation, A::Ok, "", esc, A::Ok, Q::Warning, ok, Q::Ok});
        row("no is default", {B::YesNo, I::Question, A::No, "T", ret, A::No, Q::Question, yesNo, Q::No});
        row("yes/no escape", {B::YesNo, I::Question, A::Yes, "T", esc, A::No, Q::Question, yesNo, Q::Yes});
        row("3 escape", {B::YesNoCancel, I::Information, A::Yes, "Q", esc, A::Cancel, Q::Information, three, Q::Yes});
    }

    void msgBox()
    {
        QFETCH(BoxCase, box);
        // The field the user was in has the focus again afterwards, also where
        // no window manager hands it back.
        QLineEdit field;
        field.show();
        field.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&field));
        QVariantList seen;
        WhenModal<QMessageBox>([&](QMessageBox *shown) {
            seen << shown->text() << shown->windowTitle() << int(shown->icon()) << int(shown->standardButtons())
                 << int(shown->standardButton(shown->defaultButton()));
            QTest::keyClick(shown, box.key);
        });
        QtDialogs dialogs;
        QCOMPARE(dialogs.MsgBox("text 1", box.buttons, box.icon, box.defaultButton, box.title), box.answer);
        QTRY_COMPARE(QApplication::focusWidget(), &field);
        QCOMPARE(seen, (QVariantList{"text 1", box.title.isEmpty() ? QStringLiteral("Quillmark") : box.title,
                                     int(box.qtIcon), int(box.qtButtons), int(box.qtDefault)}));
    }

    void inputBox()
    {
        QtDialogs dialogs;
        QStringList seen;
        auto answer = [&seen](bool ok) {
            WhenModal<QInputDialog>([&seen, ok](QInputDialog *box) {
                seen << box->labelText() << box->windowTitle() << box->textValue();
                box->setTextValue(QStringLiteral(" 12 "));
                ok ? box->accept() : box->reject();
            });
        };
        answer(true);
        QCOMPARE(dialogs.InputBox("Number?", "Attachment", "5"), QStringLiteral(" 12 "));
        answer(false);  // Cancel gives empty text whatever was typed; no title gives the program's
        QCOMPARE(dialogs.InputBox("P", QString(), QString()), QString());
        QCOMPARE(seen, (QStringList{"Number?", "Attachment", "5", "P", "Quillmark", ""}));
    }

    void nameFilters()
    {
        // The usual filter is checked through the real dialog in openFile.
        QCOMPARE(QtDialogs::NameFilters("Text|*.txt;*.log"), QStringList{"Text (*.txt *.log)"});
        QCOMPARE(QtDialogs::NameFilters("MTL|*.mtl|dangling"), QStringList{"MTL (*.mtl)"});
        QCOMPARE(QtDialogs::NameFilters("|*.mtl"), QStringList{"(*.mtl)"});
    }

    void openFile()
    {
        QTemporaryDir dir;
        QtDialogs dialogs;
        dialogs.nonNativeFileDialog = true;
        QStringList seen, modelFilters;
        QString warning;
        WhenModal<QFileDialog>([&](QFileDialog *dialog) {
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            seen << dialog->windowTitle() << dialog->nameFilters() << dialog->directory().canonicalPath()
                 << edit->text();
            // The pattern Qt reads out of a description with parentheses of its own.
            modelFilters = dialog->findChild<QFileSystemModel *>()->nameFilters();
            // A missing folder is refused with a warning, the dialog staying open.
            WhenModal<QMessageBox>([&](QMessageBox *box) {
                warning = box->text();
                box->accept();
            });
            edit->setText(QStringLiteral("nowhere/x.mtl"));
            QTest::keyClick(edit, Qt::Key_Return);
            edit->setText(QStringLiteral("new"));  // replaces the proposed name, gains the default extension
            QTest::keyClick(edit, Qt::Key_Return);
        });
        const OpenFileRequest request{"Open", "MTL file(.mtl)|*.mtl|All files|*.*", ".mtl", "C.MTL", dir.path()};
        QCOMPARE(dialogs.OpenFile(request), QDir(dir.path()).absoluteFilePath("new.mtl"));
        QCOMPARE(seen, (QStringList{"Open", "MTL file(.mtl) (*.mtl)", "All files (*)",
                                    QDir(dir.path()).canonicalPath(), "C.MTL"}));
        QCOMPARE(modelFilters, QStringList{"*.mtl"});
        QVERIFY(warning.contains(QStringLiteral("nowhere")));
        QVERIFY(QDir(dir.path()).isEmpty());  // nothing is created
    }
};

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
