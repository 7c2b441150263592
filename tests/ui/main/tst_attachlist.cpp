// The attachment list, the file choice, dropped files and the end button,
// driven through the window with every question answered each way.
#include "MainWindowHarness.h"

#include "app/Settings.h"
#include "model/SlotOrder.h"
#include "platform/QtDialogs.h"
#include "ui/editor/PictureBox.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

namespace {

const QString kLine1 = "ATTACHMENT01 = SQUARE/120.,40.,160.,60.,200.,90.,STANDARD HEAD       ";
const QString kLine2 =
    "ATTACHMENT02 = SQUARE/80.,30.,80.,50.,140.,70.,140.,20.,RIGHT ANGLE HEAD    ";
const QString kLine5 = "ATTACHMENT05 = SQUARE/60.,150.,100.,60.,EXTENSION           ";

// What the editor does on Entry: the handed-over number into its slot.
void EnterRecord(Harness &h, float width, float height)
{
    AppState &s = h.state;
    int slot = FindAttachment(s.Attachments, s.EditAttachNo);
    if (slot < 0)
        slot = CountAttachments(s.Attachments);
    AttachmentRecord &r = s.Attachments[slot];
    r.Number = s.EditAttachNo;
    r.ShapeNumber = 1;
    r.ShapeType = 1;
    r.Width[0] = width;
    r.Height[0] = height;
    h.window->AttachDefChange();
}

int DarkPixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 64;
    return n;
}

QListWidget *List(Harness &h)
{
    return h.w<QListWidget>("lstAttach");
}

void Drop(Harness &h, QMimeData *mime)
{
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.w("framFile"), &drop);
}

// Runs check on the first modal window of class T once it is up.
template <class T>
void WhenModal(std::function<void(T *)> check)
{
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [check, poll](int left) {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *t = qobject_cast<T *>(top); t && t->isVisible()) {
                check(t);
                return;
            }
        }
        if (left > 0)
            QTimer::singleShot(20, [poll, left] { (*poll)(left - 1); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(250); });
}

}  // namespace

class TestAttachList : public QObject {
    Q_OBJECT
private slots:
    void add_data();
    void add();
    void addWhenFull();
    void addedNumbersAreSorted();
    void addWithRealEditor_data();
    void addWithRealEditor();
    void edit_data();
    void edit();
    void del_data();
    void del();
    void rowsFollowListedSlots();
    void selectingDrawsOutline();
    void initialAttachment_data();
    void initialAttachment();

    void fileButton_data();
    void fileButton();
    void realFileDialog();
    void drop_data();
    void drop();
    void end_data();
    void end();
};

void TestAttachList::add_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<qint64>("opened");  // number handed to the editor; 0 = not opened

    QTest::newRow("cancelled") << QStringList{""} << QStringList{} << qint64(0);
    QTest::newRow("zero") << QStringList{"0"} << QStringList{} << qint64(0);
    QTest::newRow("refusals, then cancelled")
        << QStringList{"3.5", "-2", "abc", "1e-3", "  ", "1,2", ""}
        << QStringList{"M42", "M42", "M42", "M42", "M42", "M42"} << qint64(0);
    QTest::newRow("too large, then 7") << QStringList{"99999999999", "7"}
                                       << QStringList{"16777215M47"} << qint64(7);
    QTest::newRow("largest 32-bit number") << QStringList{"2147483647"} << QStringList{}
                                           << qint64(2147483647);
    QTest::newRow("just beyond 32 bits") << QStringList{"2147483648", "0"}
                                         << QStringList{"16777215M47"} << qint64(0);
    QTest::newRow("blanks and exponent") << QStringList{" 1e2 "} << QStringList{} << qint64(100);
    QTest::newRow("existing number") << QStringList{"5"} << QStringList{} << qint64(5);
}

void TestAttachList::add()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, warnings);
    QFETCH(qint64, opened);
    Harness h;
    QVERIFY(h.ready);
    h.window->SetFileName(h.CopySample());
    List(h)->setCurrentRow(1);
    for (const QString &a : answers)
        h.fake.inputAnswers << a;
    std::int32_t handedNo = 0, handedPos = 0;
    h.editorScript = [&] {
        handedNo = h.state.EditAttachNo;
        handedPos = h.state.EditAttachPos;
    };
    h.click("btnAdd");

    QCOMPARE(h.fake.inputs.size(), answers.size());
    for (const auto &in : h.fake.inputs) {
        QCOMPARE(in.prompt, "M50");
        QCOMPARE(in.title, "M30");
        QCOMPARE(in.defaultText, QString());
    }
    QCOMPARE(h.fake.texts(), warnings);
    for (const auto &box : h.fake.boxes)
        QCOMPARE(box.icon, MsgIcon::Exclamation);
    QCOMPARE(h.editorRuns, opened ? 1 : 0);
    if (opened) {
        QCOMPARE(qint64(handedNo), opened);
        QCOMPARE(handedPos, 4);  // three listed, the new one after them
        // Marked changed even though the editor stored nothing; redrawn.
        QVERIFY(h.window->DataChanged());
        QCOMPARE(List(h)->currentRow(), -1);
    } else {
        QVERIFY(!h.window->DataChanged());
        QCOMPARE(List(h)->currentRow(), 1);
    }
    QCOMPARE(h.listLines(), (QStringList{kLine1, kLine2, kLine5}));
}

void TestAttachList::addWhenFull()
{
    Harness h("[Comfig]\r\nATTACH MAX COUNT=3\r\n");
    QVERIFY(h.ready);
    h.window->SetFileName(h.CopySample());
    QCOMPARE(h.listLines().size(), 3);
    h.click("btnAdd");
    QCOMPARE(h.fake.texts(), QStringList{"M43"});
    QCOMPARE(h.fake.boxes[0].icon, MsgIcon::Exclamation);
    QCOMPARE(h.fake.inputs.size(), 0);
    QCOMPARE(h.editorRuns, 0);
    QVERIFY(!h.window->DataChanged());
}

void TestAttachList::addedNumbersAreSorted()
{
    Harness h;
    QVERIFY(h.ready);
    h.editorScript = [&h] { EnterRecord(h, 10, 20); };
    h.fake.inputAnswers << "12";
    h.click("btnAdd");
    h.fake.inputAnswers << "3";
    h.click("btnAdd");
    QCOMPARE(h.listLines(),
             (QStringList{"ATTACHMENT03 = SQUARE/10.,20.", "ATTACHMENT12 = SQUARE/10.,20."}));
    QCOMPARE(h.state.Attachments[0].Number, 3);
    QCOMPARE(h.state.Attachments[1].Number, 12);
    QVERIFY(h.window->DataChanged());
}

void TestAttachList::addWithRealEditor_data()
{
    QTest::addColumn<QString>("number");
    QTest::newRow("7") << "7";
    QTest::newRow("above the sort's ceiling") << "40000";
    QTest::newRow("largest 32-bit number") << "2147483647";
}

void TestAttachList::addWithRealEditor()
{
    QFETCH(QString, number);
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.CopySample();
    h.window->SetFileName(path);
    h.window->openEditor = h.realEditor;
    h.fake.inputAnswers << number;
    QString editorNumber;
    bool driven = false;
    WhenModal<QDialog>([&](QDialog *editor) {
        editorNumber = editor->findChild<QLineEdit *>("txtAttachNo")->text();
        for (const char *name : {"txtWidth_0", "txtHight_0"}) {
            auto *box = editor->findChild<QLineEdit *>(name);
            box->setFocus();
            box->selectAll();
            QTest::keyClick(box, Qt::Key_Delete);
            QTest::keyClicks(box, "25");
        }
        QTest::mouseClick(editor->findChild<QPushButton *>("btnEntry"), Qt::LeftButton);
        QTest::mouseClick(editor->findChild<QPushButton *>("btnClose"), Qt::LeftButton);
        driven = true;
    });
    h.click("btnAdd");
    QVERIFY(driven);
    QCOMPARE(editorNumber, number);
    const QString key = "ATTACHMENT" + number.rightJustified(2, '0');
    QCOMPARE(h.listLines(), (QStringList{kLine1, kLine2, kLine5, key + " = SQUARE/25.,25."}));
    QVERIFY(h.window->DataChanged());
    h.click("btnEntry");
    QVERIFY(ReadBytes(path).endsWith(
        "ATTACHMENT05 = SQUARE/60.,150.,100.,60.,EXTENSION           \r\n" + key.toLatin1() +
        " = SQUARE/25.,25.\r\n"));
}

void TestAttachList::edit_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<int>("number");
    QTest::newRow("button, second row") << 1 << false << 2;
    QTest::newRow("button, last row") << 2 << false << 5;
    QTest::newRow("double click, last row") << 2 << true << 5;
    QTest::newRow("double click, first row") << 0 << true << 1;
    QTest::newRow("button, nothing selected") << -1 << false << 0;
}

void TestAttachList::edit()
{
    QFETCH(int, row);
    QFETCH(bool, doubleClick);
    QFETCH(int, number);
    Harness h;
    QVERIFY(h.ready);
    h.window->SetFileName(h.CopySample());
    std::int32_t handedNo = -1, handedPos = -1;
    h.editorScript = [&] {
        handedNo = h.state.EditAttachNo;
        handedPos = h.state.EditAttachPos;
    };
    QListWidget *list = List(h);
    if (doubleClick) {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    } else {
        list->setCurrentRow(row);
        h.click("btnEdit");
    }
    if (row < 0) {
        QCOMPARE(h.fake.texts(), QStringList{"M58"});
        QCOMPARE(h.fake.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(h.editorRuns, 0);
        QVERIFY(!h.window->DataChanged());
        return;
    }
    QCOMPARE(h.editorRuns, 1);
    QCOMPARE(handedNo, number);
    QCOMPARE(handedPos, row + 1);
    QCOMPARE(h.fake.boxes.size(), 0);
    QVERIFY(h.window->DataChanged());  // every run of the editor counts
    QCOMPARE(list->currentRow(), -1);
    QCOMPARE(DarkPixels(h.w<PictureBox>("pictView")->Picture()), 0);
}

void TestAttachList::del_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QStringList>("remaining");
    QTest::newRow("initial one, Yes") << 0 << MsgAnswer::Yes << "ATTACHMENT01M53"
                                      << QStringList{kLine2, kLine5};
    QTest::newRow("initial one, No") << 0 << MsgAnswer::No << "ATTACHMENT01M53"
                                     << QStringList{kLine1, kLine2, kLine5};
    QTest::newRow("another, Yes") << 2 << MsgAnswer::Yes << "ATTACHMENT05M51"
                                  << QStringList{kLine1, kLine2};
    QTest::newRow("another, No") << 1 << MsgAnswer::No << "ATTACHMENT02M51"
                                 << QStringList{kLine1, kLine2, kLine5};
    QTest::newRow("nothing selected") << -1 << MsgAnswer::Ok << "M58"
                                      << QStringList{kLine1, kLine2, kLine5};
}

void TestAttachList::del()
{
    QFETCH(int, row);
    QFETCH(MsgAnswer, answer);
    QFETCH(QString, question);
    QFETCH(QStringList, remaining);
    Harness h;
    QVERIFY(h.ready);
    h.window->SetFileName(h.CopySample());
    List(h)->setCurrentRow(row);
    h.fake.answers << answer;
    h.click("btnDel");
    QCOMPARE(h.fake.texts(), QStringList{question});
    if (row >= 0) {
        QCOMPARE(h.fake.boxes[0].buttons, MsgButtons::YesNo);
        QCOMPARE(h.fake.boxes[0].icon, MsgIcon::Question);
        QCOMPARE(h.fake.boxes[0].defaultButton, MsgAnswer::Yes);
    }
    QCOMPARE(h.listLines(), remaining);
    QCOMPARE(h.window->DataChanged(), answer == MsgAnswer::Yes);
    QCOMPARE(h.state.machineTable.IniAttachment, 1);  // never changed by a delete
    QCOMPARE(CountAttachments(h.state.Attachments), remaining.size());
}

void TestAttachList::rowsFollowListedSlots()
{
    // A complete record without a line (negative first width) takes a slot
    // but no row: the rows after it must still reach their own slots.
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.dir.filePath("gap.mtl");
    QVERIFY(WriteBytes(path, "NAME = GAP\r\nATTACHMENT01 = SQUARE/-5,10\r\n"
                             "ATTACHMENT03 = SQUARE/10,20\r\nATTACHMENT04 = SQUARE/30,5,NOSE\r\n"));
    h.window->SetFileName(path);
    QCOMPARE(h.listLines(),
             (QStringList{"ATTACHMENT03 = SQUARE/10.,20.", "ATTACHMENT04 = SQUARE/30.,5.,NOSE                "}));
    List(h)->setCurrentRow(1);
    QCOMPARE(h.state.EditAttachment.Number, 4);
    std::int32_t handedNo = 0;
    h.editorScript = [&] { handedNo = h.state.EditAttachNo; };
    h.click("btnEdit");
    QCOMPARE(handedNo, 4);
    List(h)->setCurrentRow(0);
    h.fake.answers << MsgAnswer::Yes;
    h.click("btnDel");
    QCOMPARE(h.fake.texts(), QStringList{"ATTACHMENT03M51"});
    QCOMPARE(h.listLines(), QStringList{"ATTACHMENT04 = SQUARE/30.,5.,NOSE                "});
    QCOMPARE(FindAttachment(h.state.Attachments, 1), 0);  // the unlisted record stays
}

void TestAttachList::selectingDrawsOutline()
{
    Harness h;
    QVERIFY(h.ready);
    h.window->SetFileName(h.CopySample());
    auto *view = h.w<PictureBox>("pictView");
    QCOMPARE(DarkPixels(view->Picture()), 0);
    QListWidget *list = List(h);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(h.state.EditAttachment.Number, 5);
    const int drawn = DarkPixels(view->Picture());
    QVERIFY(drawn > 50);
    QVERIFY(!h.window->DataChanged());
    list->setCurrentRow(0);
    QVERIFY(DarkPixels(view->Picture()) != 0);
    QCOMPARE(h.state.EditAttachment.Number, 1);
    // Any rebuild leaves no row selected and the picture blank.
    h.window->AttachDefChange();
    QCOMPARE(list->currentRow(), -1);
    QCOMPARE(DarkPixels(view->Picture()), 0);
}

void TestAttachList::initialAttachment_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("opened");
    const QByteArray none;
    const QByteArray full = "[Comfig]\r\nATTACH MAX COUNT=3\r\n";
    QTest::newRow("existing") << none << "2" << MsgAnswer::Ok << QStringList{} << 2 << false;
    QTest::newRow("zero") << none << "0" << MsgAnswer::Ok << QStringList{} << 0 << false;
    QTest::newRow("negative names none") << none << "-4" << MsgAnswer::Ok << QStringList{} << -4
                                         << false;
    QTest::newRow("missing, No") << none << "7" << MsgAnswer::No << QStringList{"M307M52"} << 7
                                 << false;
    QTest::newRow("missing, Yes") << none << "7" << MsgAnswer::Yes << QStringList{"M307M52"} << 7
                                  << true;
    QTest::newRow("half to even, as typed in the question")
        << none << " 6.5" << MsgAnswer::No << QStringList{"M30 6.5M52"} << 6 << false;
    QTest::newRow("missing, Yes, table full")
        << full << "7" << MsgAnswer::Yes << QStringList{"M307M52", "M54\r\nM55\r\nM56"} << 7
        << false;
}

void TestAttachList::initialAttachment()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, typed);
    QFETCH(MsgAnswer, answer);
    QFETCH(QStringList, boxes);
    QFETCH(int, stored);
    QFETCH(bool, opened);
    Harness h(ini);
    QVERIFY(h.ready);
    h.window->SetFileName(h.CopySample());
    std::int32_t handedNo = 0, handedPos = 0;
    h.editorScript = [&] {
        handedNo = h.state.EditAttachNo;
        handedPos = h.state.EditAttachPos;
        EnterRecord(h, 40, 40);
    };
    if (answer != MsgAnswer::Ok)
        h.fake.answers << answer;
    h.type("txtAttachInit", typed);
    h.tab();
    QCOMPARE(h.fake.texts(), boxes);
    if (boxes.size() > 0) {
        QCOMPARE(h.fake.boxes[0].buttons, MsgButtons::YesNo);
        QCOMPARE(h.fake.boxes[0].icon, MsgIcon::Question);
        QCOMPARE(h.fake.boxes[0].defaultButton, MsgAnswer::Yes);
    }
    if (boxes.size() > 1)
        QCOMPARE(h.fake.boxes[1].icon, MsgIcon::Exclamation);
    QCOMPARE(h.state.machineTable.IniAttachment, stored);
    QVERIFY(h.window->DataChanged());
    QCOMPARE(h.editorRuns, opened ? 1 : 0);
    if (opened) {
        QCOMPARE(handedNo, stored);
        QCOMPARE(handedPos, 4);
        QCOMPARE(h.listLines(), (QStringList{kLine1, kLine2, kLine5, "ATTACHMENT07 = SQUARE/40.,40."}));
        QCOMPARE(h.text("txtAttachInit"), "7");
    }
}

void TestAttachList::fileButton_data()
{
    QTest::addColumn<QString>("choice");  // "@same", "@other", "@new", or empty for cancel
    QTest::addColumn<bool>("edited");
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<QString>("loaded");  // which file the window ends on
    QTest::newRow("cancelled") << "" << false << MsgAnswer::Ok << "@first";
    QTest::newRow("other file") << "@other" << false << MsgAnswer::Ok << "@other";
    QTest::newRow("same file, edited: no question, no reload")
        << "@same" << true << MsgAnswer::Ok << "@first";
    QTest::newRow("other, edited, Cancel") << "@other" << true << MsgAnswer::Cancel << "@first";
    QTest::newRow("other, edited, No") << "@other" << true << MsgAnswer::No << "@other";
    QTest::newRow("other, edited, Yes") << "@other" << true << MsgAnswer::Yes << "@other";
    QTest::newRow("a name that does not exist") << "@new" << false << MsgAnswer::Ok << "@new";
}

void TestAttachList::fileButton()
{
    QFETCH(QString, choice);
    QFETCH(bool, edited);
    QFETCH(MsgAnswer, answer);
    QFETCH(QString, loaded);
    Harness h("[Config]\r\nInit File=first.mtl\r\n");
    QVERIFY(h.ready);
    QVERIFY(QDir(h.dir.path()).mkdir("other"));
    const QString first = h.CopySample("first.mtl");
    const QString other = h.CopySample("other/other.mtl");
    const QString fresh = h.dir.filePath("other/fresh.mtl");
    auto resolve = [&](const QString &key) {
        return key == "@first" || key == "@same" ? first
               : key == "@other"                 ? other
               : key == "@new"                   ? fresh
                                                 : key;
    };
    h.window->SetFileName(first);
    const QByteArray firstBytes = ReadBytes(first);
    if (edited) {
        h.type("txtStroke_0", "123");
        h.tab();
    }
    h.fake.fileAnswers << resolve(choice);
    if (answer != MsgAnswer::Ok)
        h.fake.answers << answer;
    h.click("cmdFile");

    QCOMPARE(h.fake.openRequests.size(), 1);
    const OpenFileRequest &r = h.fake.openRequests[0];
    QCOMPARE(r.title, "M39");
    QCOMPARE(r.filter, "M43(.mtl)|*.mtl|M40|*.*");
    QCOMPARE(r.defaultExtension, ".mtl");
    QCOMPARE(r.fileName, "first.mtl");
    QCOMPARE(r.directory, h.AppPath());

    const QString chosen = resolve(choice);
    QCOMPARE(h.window->InitFile(), chosen.isEmpty() ? "first.mtl" : QFileInfo(chosen).fileName());
    QCOMPARE(h.window->InitDir(),
             chosen.isEmpty() ? h.AppPath() : QFileInfo(chosen).absolutePath() + "/");
    QCOMPARE(h.text("txtFileName"), resolve(loaded));
    const bool asked = answer != MsgAnswer::Ok;
    QCOMPARE(!h.fake.boxes.isEmpty() && h.fake.boxes[0].text == "M41", asked);
    QCOMPARE(ReadBytes(first).contains("STROKE(X) = 123.\r\n"), answer == MsgAnswer::Yes);
    if (answer != MsgAnswer::Yes)
        QCOMPARE(ReadBytes(first), firstBytes);
    const bool kept = resolve(loaded) == first;
    QCOMPARE(h.text("txtStroke_0"), kept ? (edited ? "123." : "850.") : loaded == "@new" ? "0." : "850.");
    QCOMPARE(h.fake.answers.size(), 0);

    // The dialog's choice is remembered in the settings when the window closes.
    if (h.window->DataChanged())
        h.fake.answers << MsgAnswer::No;
    QVERIFY(h.window->close());
    QCOMPARE(ReadIniValue(h.state, "Config", "Init File"), h.window->InitFile());
    QCOMPARE(ReadIniValue(h.state, "Config", "Init Dir"), h.window->InitDir());
}

void TestAttachList::realFileDialog()
{
    QtDialogs real;
    real.nonNativeFileDialog = true;
    QTemporaryDir start;
    QVERIFY(WriteBytes(start.filePath("proposed.mtl"), "NAME = P\r\n"));
    Harness h("[Config]\r\nInit Dir=" + start.path().toUtf8() + "/\r\nInit File=proposed.mtl\r\n", &real);
    QVERIFY(h.ready);

    QString title, directory, suffix, selected;
    QStringList filters;
    bool seen = false;
    WhenModal<QFileDialog>([&](QFileDialog *dialog) {
        seen = true;
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        directory = dialog->directory().absolutePath();
        suffix = dialog->defaultSuffix();
        selected = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    h.click("cmdFile");
    QVERIFY(seen);
    QCOMPARE(title, "M39");
    QCOMPARE(filters.size(), 2);
    QVERIFY2(filters[0].startsWith("M43(.mtl)") && filters[0].contains("*.mtl"), qPrintable(filters[0]));
    QVERIFY2(filters[1].startsWith("M40") && filters[1].contains("*"), qPrintable(filters[1]));
    QCOMPARE(directory, QDir(start.path()).absolutePath());
    QCOMPARE(suffix, "mtl");
    QCOMPARE(QFileInfo(selected).fileName(), "proposed.mtl");
    QCOMPARE(h.text("txtFileName"), QString());  // cancelled: nothing changes
    QCOMPARE(h.window->InitFile(), "proposed.mtl");

    // A typed name of a file that does not exist is taken.
    WhenModal<QFileDialog>([&](QFileDialog *dialog) {
        dialog->selectFile("typed new.mtl");
        static_cast<QDialog *>(dialog)->accept();
    });
    h.click("cmdFile");
    QCOMPARE(QFileInfo(h.text("txtFileName")).fileName(), "typed new.mtl");
    QCOMPARE(QFileInfo(h.text("txtFileName")).absolutePath(), QDir(start.path()).absolutePath());
    QCOMPARE(h.window->InitFile(), "typed new.mtl");
}

void TestAttachList::drop_data()
{
    QTest::addColumn<QStringList>("files");  // names in the temporary folder; "text:" = plain text
    QTest::addColumn<bool>("edited");
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<QString>("loaded");
    QTest::newRow("an MTL file") << QStringList{"b.mtl"} << false << MsgAnswer::Ok << "b.mtl";
    QTest::newRow("upper case") << QStringList{"C.MTL"} << false << MsgAnswer::Ok << "C.MTL";
    QTest::newRow("two files: the first") << QStringList{"b.mtl", "C.MTL"} << false << MsgAnswer::Ok
                                          << "b.mtl";
    QTest::newRow("other extension") << QStringList{"x.MTLX"} << false << MsgAnswer::Ok << "a.mtl";
    QTest::newRow("text file") << QStringList{"notes.txt"} << false << MsgAnswer::Ok << "a.mtl";
    QTest::newRow("no files") << QStringList{"text:b.mtl"} << false << MsgAnswer::Ok << "a.mtl";
    QTest::newRow("edited, Cancel keeps") << QStringList{"b.mtl"} << true << MsgAnswer::Cancel
                                          << "a.mtl";
    QTest::newRow("edited, No") << QStringList{"b.mtl"} << true << MsgAnswer::No << "b.mtl";
    QTest::newRow("edited, Yes saves first") << QStringList{"b.mtl"} << true << MsgAnswer::Yes
                                             << "b.mtl";
}

void TestAttachList::drop()
{
    QFETCH(QStringList, files);
    QFETCH(bool, edited);
    QFETCH(MsgAnswer, answer);
    QFETCH(QString, loaded);
    Harness h;
    QVERIFY(h.ready);
    for (const char *name : {"a.mtl", "b.mtl", "C.MTL", "x.MTLX", "notes.txt"})
        QVERIFY(!h.CopySample(name).isEmpty());
    const QString a = h.dir.filePath("a.mtl");
    h.window->SetFileName(a);
    if (edited) {
        h.type("txtStroke_1", "77");
        h.tab();
    }
    if (answer != MsgAnswer::Ok)
        h.fake.answers << answer;
    const QString initFile = h.window->InitFile();

    auto *mime = new QMimeData;
    if (files.first().startsWith("text:")) {
        mime->setText(files.first().mid(5));
    } else {
        QList<QUrl> urls;
        for (const QString &f : files)
            urls << QUrl::fromLocalFile(h.dir.filePath(f));
        mime->setUrls(urls);
    }
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.w("framFile"), &enter);
    QCOMPARE(enter.isAccepted(), !files.first().startsWith("text:"));
    Drop(h, mime);
    delete mime;

    QCOMPARE(h.text("txtFileName"), h.dir.filePath(loaded));
    const QStringList asked = answer == MsgAnswer::Yes ? QStringList{"M41", "M57"}
                              : answer == MsgAnswer::Ok ? QStringList{}
                                                        : QStringList{"M41"};
    QCOMPARE(h.fake.texts(), asked);
    QCOMPARE(ReadBytes(a).contains("STROKE(Y) = 77.\r\n"), answer == MsgAnswer::Yes);
    QCOMPARE(h.window->InitFile(), initFile);  // a drop does not touch the dialog's memory
    if (loaded != "a.mtl" || !edited)
        QCOMPARE(h.text("txtStroke_1"), "500.");
}

void TestAttachList::end_data()
{
    QTest::addColumn<bool>("check");
    QTest::addColumn<QString>("file");  // "@weird" = an existing name with blanks and quotes
    QTest::addColumn<bool>("startWorks");
    QTest::addColumn<bool>("started");
    QTest::newRow("editor on a name with blanks and quotes") << true << "@weird" << true << true;
    QTest::newRow("no Check key") << false << "@weird" << true << false;
    QTest::newRow("file gone") << true << "@gone" << true << false;
    QTest::newRow("no file") << true << "" << true << false;
    QTest::newRow("editor cannot start") << true << "@weird" << false << true;
}

void TestAttachList::end()
{
    QFETCH(bool, check);
    QFETCH(QString, file);
    QFETCH(bool, startWorks);
    QFETCH(bool, started);
    const QByteArray ini = QByteArray("[Config]\r\nTextEditor=my editor\r\n") +
                           (check ? "Check=0\r\n" : "");
    Harness h(ini);
    QVERIFY(h.ready);
    const QString weird = h.CopySample("it's a \"strange\" name; $(x).mtl");
    QVERIFY(!weird.isEmpty());
    if (file == "@weird")
        h.window->SetFileName(weird);
    if (file == "@gone") {
        h.window->SetFileName(weird);
        QFile::remove(weird);
    }
    h.startSucceeds = startWorks;
    QString iniWhenStarted;
    h.window->startEditor = [&](const QString &program, const QStringList &arguments) {
        h.started.append({program, arguments});
        iniWhenStarted = h.ini();
        return startWorks;
    };

    // Standard error, caught in a file for the one failing case.
    QTemporaryFile err;
    QVERIFY(err.open());
    fflush(stderr);
    const int saved = dup(2);
    dup2(err.handle(), 2);
    h.click("btnEnd");
    fflush(stderr);
    dup2(saved, 2);
    ::close(saved);
    const QByteArray errText = ReadBytes(err.fileName());

    QCOMPARE(h.ends, 1);
    QVERIFY(!h.window->isVisible());
    QCOMPARE(h.fake.boxes.size(), 0);
    QCOMPARE(h.started.size(), started ? 1 : 0);
    if (started) {
        QCOMPARE(h.started[0].first, "my editor");
        QCOMPARE(h.started[0].second, QStringList{weird});
        // The window was unloaded before: its settings are already written.
        QVERIFY(iniWhenStarted.contains("Init File"));
    }
    QCOMPARE(errText.contains("could not start the text editor \"my editor\""), started && !startWorks);
}

QTEST_MAIN(TestAttachList)
#include "tst_attachlist.moc"
