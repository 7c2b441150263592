// The attachment list, the initial attachment, the file choice, dropped files
// and the end button, driven through the window with each answer given.
#include "MainWindowHarness.h"

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

const QByteArray kFullIni = "[Comfig]\r\nATTACH MAX COUNT=3\r\n";  // the example fills it
const QStringList kAll{kLine1, kLine2, kLine5};
const QList<int> kNotOpened{0, -1, -1};

int DarkPixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 64;
    return n;
}

// Runs check on the first visible modal window of class T once it is up,
// looking again every 20 ms, at most left more times.
template <class T>
void WhenModal(std::function<void(T *)> check, int left = 250)
{
    QTimer::singleShot(left == 250 ? 0 : 20, [check, left] {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *t = qobject_cast<T *>(top); t && t->isVisible())
                return check(t);
        if (left > 0)
            WhenModal<T>(check, left - 1);
    });
}

// The real editor, where the user enters width and height 25 and closes.
void UseRealEditor(Harness &h)
{
    h.editorScript = [&h] {
        WhenModal<QDialog>([](QDialog *editor) {
            for (const char *name : {"txtWidth_0", "txtHight_0"}) {
                auto *box = editor->findChild<QLineEdit *>(name);
                box->setFocus();
                box->selectAll();
                QTest::keyClicks(box, "25");
            }
            QTest::mouseClick(editor->findChild<QPushButton *>("btnEntry"), Qt::LeftButton);
            QTest::mouseClick(editor->findChild<QPushButton *>("btnClose"), Qt::LeftButton);
        });
        h.realEditor();
    };
}

// Table rows; the answer Ok means no question is asked.
// opened/handed: the number handed to the editor, 0: not opened; listedAt: row of the
// line the real editor adds, -1: it stores nothing; row -1: none selected.
struct AddRow { bool full; QStringList answers, warnings; qint32 opened; int listedAt; };
struct SelectRow { QString action; int row; MsgAnswer answer; QStringList boxes, remaining; int handed; };
struct InitRow { bool full; QString typed; MsgAnswer answer; QStringList boxes; int stored; };
// files: in sub/, none: cancelled, "text:": dropped text; loaded: the file the window ends on.
struct ReplaceRow { bool drop; QStringList files; bool edited; MsgAnswer answer; QString loaded; };
// file: "weird", an existing name with blanks and quotes; "gone": removed.
struct EndRow { bool check; QString file; bool startWorks, opened; };

}  // namespace

class TestAttachList : public QObject {
    Q_OBJECT
private slots:
    void add_data();
    void add();
    void selectEditDelete_data();
    void selectEditDelete();
    void rowsFollowListedSlots();
    void initialAttachment_data();
    void initialAttachment();
    void replaceFile_data();
    void replaceFile();
    void realFileDialog();
    void end_data();
    void end();
};

void TestAttachList::add_data()
{
    QTest::addColumn<AddRow>("d");
    const QStringList none;
    QTest::newRow("cancelled") << AddRow{false, {""}, none, 0, -1};
    QTest::newRow("zero") << AddRow{false, {"0"}, none, 0, -1};
    QTest::newRow("refusals, then cancelled")
        << AddRow{false, {"3.5", "-2", "abc", "1e-3", "  ", "1,2", ""}, QStringList(6, "M42"), 0, -1};
    QTest::newRow("just beyond 32 bits, then 7") << AddRow{false, {"2147483648", "7"}, {"16777215M47"}, 7, -1};
    QTest::newRow("blanks and exponent") << AddRow{false, {" 1e2 "}, none, 100, -1};
    QTest::newRow("table full") << AddRow{true, {}, {"M43"}, 0, -1};
    QTest::newRow("3 sorts before 5") << AddRow{false, {"3"}, none, 3, 2};
    QTest::newRow("largest 32-bit number, above the sort's ceiling") << AddRow{false, {"2147483647"}, none, 2147483647, 3};
}

void TestAttachList::add()
{
    QFETCH(AddRow, d);
    const auto &[full, answers, warnings, opened, listedAt] = d;
    Harness h(full ? kFullIni : QByteArray());
    QVERIFY(h.ready);
    const QString path = h.CopySample("sample.mtl", true);
    h.list()->setCurrentRow(1);
    h.fake.inputAnswers << answers;
    if (listedAt >= 0)
        UseRealEditor(h);
    h.click("btnAdd");

    QCOMPARE(h.fake.inputs.size(), answers.size());
    for (const auto &in : h.fake.inputs)
        QCOMPARE(in.prompt + "|" + in.title + "|" + in.defaultText, "M50|M30|");
    QCOMPARE(h.fake.texts(), warnings);
    for (int i = 0; i < warnings.size(); ++i)
        QVERIFY(h.boxIs(i, MsgButtons::Ok, MsgIcon::Exclamation));
    // Three listed, the new one after them.
    QCOMPARE(h.handed(), opened ? QList<int>({1, opened, 4}) : kNotOpened);
    // Marked changed and redrawn even when the editor stored nothing.
    QCOMPARE(h.window->DataChanged(), opened != 0);
    QCOMPARE(h.list()->currentRow(), opened ? -1 : 1);
    QStringList lines = kAll;
    if (listedAt >= 0)
        lines.insert(listedAt, "ATTACHMENT" + answers[0].rightJustified(2, '0') + " = SQUARE/25.,25.");
    QCOMPARE(h.listLines(), lines);
    if (listedAt >= 0) {
        h.click("btnEntry");
        QVERIFY(ReadBytes(path).endsWith((lines.join("\r\n") + "\r\n").toLatin1()));
    }
}

void TestAttachList::selectEditDelete_data()
{
    QTest::addColumn<SelectRow>("d");
    const QStringList none, noRow{"M58"}, initial{"ATTACHMENT01M53"};
    QTest::newRow("edit, last row") << SelectRow{"btnEdit", 2, MsgAnswer::Ok, none, kAll, 5};
    QTest::newRow("double click, first row") << SelectRow{"double", 0, MsgAnswer::Ok, none, kAll, 1};
    QTest::newRow("edit, tabbed in, nothing selected") << SelectRow{"btnEdit", -1, MsgAnswer::Ok, noRow, kAll, 0};
    QTest::newRow("delete the initial one, Yes")
        << SelectRow{"btnDel", 0, MsgAnswer::Yes, initial, {kLine2, kLine5}, 0};
    QTest::newRow("delete the initial one, No") << SelectRow{"btnDel", 0, MsgAnswer::No, initial, kAll, 0};
    QTest::newRow("delete another, Yes")
        << SelectRow{"btnDel", 2, MsgAnswer::Yes, {"ATTACHMENT05M51"}, {kLine1, kLine2}, 0};
    QTest::newRow("delete, tabbed in, nothing selected") << SelectRow{"btnDel", -1, MsgAnswer::Ok, noRow, kAll, 0};
}

void TestAttachList::selectEditDelete()
{
    QFETCH(SelectRow, d);
    const auto &[action, row, answer, boxes, remaining, handed] = d;
    Harness h;
    QVERIFY(h.ready);
    h.CopySample("sample.mtl", true);
    QListWidget *list = h.list();
    auto *view = h.w<PictureBox>("pictView");
    QCOMPARE(DarkPixels(view->Picture()), 0);
    const QPoint at = row >= 0 ? list->visualItemRect(list->item(row)).center() : QPoint();
    if (row >= 0) {  // selecting draws the row's outline and changes nothing
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(h.state.EditAttachment.Number, (QList<int>{1, 2, 5}[row]));
        QVERIFY(DarkPixels(view->Picture()) > 50);
        QVERIFY(!h.window->DataChanged());
    } else {  // tabbing into the list selects nothing
        list->setFocus(Qt::TabFocusReason);
    }
    h.fake.answers << answer;
    if (action == "double")
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    else
        h.click(action);
    QCOMPARE(h.fake.texts(), boxes);
    if (!boxes.isEmpty())
        QVERIFY(row < 0 ? h.boxIs(0, MsgButtons::Ok, MsgIcon::Exclamation)
                        : h.boxIs(0, MsgButtons::YesNo, MsgIcon::Question));
    QCOMPARE(h.listLines(), remaining);
    QCOMPARE(CountAttachments(h.state.Attachments), remaining.size());
    QCOMPARE(h.handed(), handed ? QList<int>({1, handed, row + 1}) : kNotOpened);
    // Every run of the editor counts as a change; a rebuild unselects and blanks.
    const bool changed = handed || answer == MsgAnswer::Yes;
    QCOMPARE(h.window->DataChanged(), changed);
    QCOMPARE(list->currentRow(), changed ? -1 : row);
    QCOMPARE(DarkPixels(view->Picture()) == 0, changed || row < 0);
    QCOMPARE(h.state.machineTable.IniAttachment, 1);  // never changed by a delete
}

void TestAttachList::rowsFollowListedSlots()
{
    // A record without a line (negative first width) takes a slot but no row.
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.dir.filePath("gap.mtl");
    QVERIFY(WriteBytes(path, "NAME = GAP\r\nATTACHMENT01 = SQUARE/-5,10\r\n"
                             "ATTACHMENT03 = SQUARE/10,20\r\nATTACHMENT04 = SQUARE/30,5,NOSE\r\n"));
    h.window->SetFileName(path);
    const QString line4 = "ATTACHMENT04 = SQUARE/30.,5.,NOSE                ";
    QCOMPARE(h.listLines(), (QStringList{"ATTACHMENT03 = SQUARE/10.,20.", line4}));
    h.list()->setCurrentRow(1);
    QCOMPARE(h.state.EditAttachment.Number, 4);
    h.click("btnEdit");
    QCOMPARE(h.handed(), (QList<int>{1, 4, 3}));
    h.list()->setCurrentRow(0);
    h.fake.answers << MsgAnswer::Yes;
    h.click("btnDel");
    QCOMPARE(h.fake.texts(), QStringList{"ATTACHMENT03M51"});
    QCOMPARE(h.listLines(), QStringList{line4});
    QCOMPARE(FindAttachment(h.state.Attachments, 1), 0);  // the unlisted record stays
}

void TestAttachList::initialAttachment_data()
{
    QTest::addColumn<InitRow>("d");
    const QStringList none, refused{"M42"}, ask7{"M307M52"};
    QTest::newRow("half to even, existing 2") << InitRow{false, "1.5", MsgAnswer::Ok, none, 2};
    QTest::newRow("negative names none") << InitRow{false, "-4", MsgAnswer::Ok, none, -4};
    QTest::newRow("blanks become 0") << InitRow{false, "   ", MsgAnswer::Ok, none, 0};
    QTest::newRow("letters") << InitRow{false, "x1", MsgAnswer::Ok, refused, 1};
    QTest::newRow("beyond 32 bits") << InitRow{false, "2147483648", MsgAnswer::Ok, refused, 1};
    QTest::newRow("missing, No") << InitRow{false, "7", MsgAnswer::No, ask7, 7};
    QTest::newRow("missing, Yes opens the editor") << InitRow{false, "7", MsgAnswer::Yes, ask7, 7};
    QTest::newRow("half to even, as typed in the question")
        << InitRow{false, " 6.5", MsgAnswer::No, {"M30 6.5M52"}, 6};
    QTest::newRow("missing, Yes, table full")
        << InitRow{true, "7", MsgAnswer::Yes, ask7 + QStringList{"M54\r\nM55\r\nM56"}, 7};
}

void TestAttachList::initialAttachment()
{
    QFETCH(InitRow, d);
    const auto &[full, typed, answer, boxes, stored] = d;
    Harness h(full ? kFullIni : QByteArray());
    QVERIFY(h.ready);
    h.CopySample("sample.mtl", true);  // attachments 1, 2 and 5; initial 1
    const bool opened = answer == MsgAnswer::Yes && !full;
    if (opened)
        UseRealEditor(h);
    h.fake.answers << answer;
    h.type("txtAttachInit", typed);
    const bool refused = boxes == QStringList{"M42"};
    QCOMPARE(h.fake.texts(), boxes);
    if (answer != MsgAnswer::Ok)
        QVERIFY(h.boxIs(0, MsgButtons::YesNo, MsgIcon::Question));
    if (refused || full)
        QVERIFY(h.boxIs(boxes.size() - 1, MsgButtons::Ok, MsgIcon::Exclamation));
    QCOMPARE(h.state.machineTable.IniAttachment, stored);
    QCOMPARE(h.window->DataChanged(), !refused);
    QCOMPARE(h.focus() == h.edit("txtAttachInit"), refused);
    QCOMPARE(h.text("txtAttachInit"), typed.trimmed().isEmpty() ? "0" : typed);
    QCOMPARE(h.handed(), opened ? QList<int>({1, stored, 4}) : kNotOpened);
    if (opened)
        QCOMPARE(h.listLines(), kAll + QStringList{"ATTACHMENT07 = SQUARE/25.,25."});
}

void TestAttachList::replaceFile_data()
{
    QTest::addColumn<ReplaceRow>("d");
    const QStringList b{"b.mtl"};
    const auto ok = MsgAnswer::Ok;
    for (bool drop : {false, true}) {
        const char *how = drop ? "drop" : "button";
        QTest::addRow("%s, other file", how) << ReplaceRow{drop, b, false, ok, "sub/b.mtl"};
        QTest::addRow("%s, edited, Cancel", how) << ReplaceRow{drop, b, true, MsgAnswer::Cancel, "a.mtl"};
        QTest::addRow("%s, edited, No", how) << ReplaceRow{drop, b, true, MsgAnswer::No, "sub/b.mtl"};
        QTest::addRow("%s, edited, Yes", how) << ReplaceRow{drop, b, true, MsgAnswer::Yes, "sub/b.mtl"};
    }
    QTest::newRow("button, cancelled") << ReplaceRow{false, {}, false, ok, "a.mtl"};
    QTest::newRow("button, same file, edited: no question, no reload")
        << ReplaceRow{false, {"../a.mtl"}, true, ok, "a.mtl"};
    QTest::newRow("button, no such file") << ReplaceRow{false, {"fresh.mtl"}, false, ok, "sub/fresh.mtl"};
    QTest::newRow("drop, upper case") << ReplaceRow{true, {"C.MTL"}, false, ok, "sub/C.MTL"};
    QTest::newRow("drop, two files: the first") << ReplaceRow{true, {"b.mtl", "C.MTL"}, false, ok, "sub/b.mtl"};
    QTest::newRow("drop, other extension") << ReplaceRow{true, {"x.MTLX"}, false, ok, "a.mtl"};
    QTest::newRow("drop, no files") << ReplaceRow{true, {"text:b.mtl"}, false, ok, "a.mtl"};
}

void TestAttachList::replaceFile()
{
    QFETCH(ReplaceRow, d);
    const auto &[drop, files, edited, answer, loaded] = d;
    Harness h("[Config]\r\nInit File=a.mtl\r\n");
    QVERIFY(h.ready && QDir(h.dir.path()).mkdir("sub"));
    for (const char *name : {"b.mtl", "C.MTL", "x.MTLX"})
        QVERIFY(!h.CopySample(QString("sub/") + name).isEmpty());
    const QString a = h.CopySample("a.mtl", true);
    const QByteArray aBytes = ReadBytes(a);
    if (edited)
        h.type("txtStroke_1", "77");
    if (answer != MsgAnswer::Ok)
        h.fake.answers << answer;
    QList<QUrl> urls;
    for (const QString &f : files)
        urls << QUrl::fromLocalFile(QDir::cleanPath(h.dir.filePath("sub/" + f)));
    if (drop) {
        QMimeData mime;
        files[0].startsWith("text:") ? mime.setText(files[0].mid(5)) : mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(h.w("framFile"), &enter);
        QCOMPARE(enter.isAccepted(), mime.hasUrls());
        QDropEvent event(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(h.w("framFile"), &event);
    } else {
        h.fake.fileAnswers << (urls.isEmpty() ? QString() : urls[0].toLocalFile());
        h.click("cmdFile");
        QCOMPARE(h.fake.openRequests.size(), 1);
        const OpenFileRequest r = h.fake.openRequests.value(0);
        QCOMPARE((QStringList{r.title, r.filter, r.defaultExtension, r.fileName, r.directory}),
                 (QStringList{"M39", "M68(.mtl)|*.mtl|M40|*.*", ".mtl", "a.mtl", h.AppPath()}));
    }
    QCOMPARE(h.text("txtFileName"), h.dir.filePath(loaded));
    QCOMPARE(h.fake.texts(), answer == MsgAnswer::Ok    ? QStringList()
                             : answer == MsgAnswer::Yes ? (QStringList{"M41", "M57"})
                                                        : QStringList{"M41"});
    QCOMPARE(h.fake.answers.size(), 0);
    if (answer == MsgAnswer::Yes)
        QVERIFY(ReadBytes(a).contains("\r\nSTROKE(Y) = 77.\r\n"));
    else
        QCOMPARE(ReadBytes(a), aBytes);
    QCOMPARE(h.text("txtStroke_1"),
             loaded.contains("fresh") ? "0." : loaded == "a.mtl" && edited ? "77." : "500.");

    // The button's choice, not a drop, is remembered, and written when the window closes.
    const QFileInfo chosen(drop || urls.isEmpty() ? a : urls[0].toLocalFile());
    const QStringList remembered{chosen.fileName(), chosen.absolutePath() + "/"};
    QCOMPARE((QStringList{h.window->InitFile(), h.window->InitDir()}), remembered);
    if (h.window->DataChanged())
        h.fake.answers << MsgAnswer::No;
    QVERIFY(h.window->close());
    QCOMPARE((QStringList{ReadIniValue(h.state, "Config", "Init File"),
                          ReadIniValue(h.state, "Config", "Init Dir")}), remembered);
}

// The real dialog opens on the remembered folder and name, and takes a typed new name.
void TestAttachList::realFileDialog()
{
    QtDialogs real;
    real.nonNativeFileDialog = true;
    QTemporaryDir start;
    QVERIFY(WriteBytes(start.filePath("proposed.mtl"), "NAME = P\r\n"));
    Harness h("[Config]\r\nInit Dir=" + start.path().toUtf8() + "/\r\nInit File=proposed.mtl\r\n", &real);
    QVERIFY(h.ready);
    QStringList seen;
    WhenModal<QFileDialog>([&](QFileDialog *dialog) {
        seen << dialog->windowTitle() << dialog->directory().absolutePath()
             << QFileInfo(dialog->selectedFiles().value(0)).fileName();
        dialog->selectFile("typed new.mtl");
        static_cast<QDialog *>(dialog)->accept();
    });
    h.click("cmdFile");
    QCOMPARE(seen, (QStringList{"M39", QDir(start.path()).absolutePath(), "proposed.mtl"}));
    QCOMPARE(h.text("txtFileName"), QDir(start.path()).absoluteFilePath("typed new.mtl"));
    QCOMPARE(h.window->InitFile(), "typed new.mtl");
}

void TestAttachList::end_data()
{
    QTest::addColumn<EndRow>("d");
    QTest::newRow("editor on a name with blanks and quotes") << EndRow{true, "weird", true, true};
    QTest::newRow("no Check key") << EndRow{false, "weird", true, false};
    QTest::newRow("file gone") << EndRow{true, "gone", true, false};
    QTest::newRow("no file") << EndRow{true, "", true, false};
    QTest::newRow("editor cannot start") << EndRow{true, "weird", false, true};
}

void TestAttachList::end()
{
    QFETCH(EndRow, d);
    const auto &[check, file, startWorks, opened] = d;
    Harness h(QByteArray("[Config]\r\nTextEditor=my editor\r\n") + (check ? "Check=0\r\n" : ""));
    QVERIFY(h.ready);
    const QString weird = h.CopySample("it's a \"strange\" name; $(x).mtl", !file.isEmpty());
    QVERIFY(!weird.isEmpty() && (file != "gone" || QFile::remove(weird)));
    QStringList started;  // program, arguments, and the settings file at the time
    h.window->startEditor = [&](const QString &program, const QStringList &arguments) {
        started << program << arguments << h.ini();
        return startWorks;
    };
    QTemporaryFile err;  // standard error, for the failing start
    QVERIFY(err.open());
    fflush(stderr);
    const int saved = dup(2);
    dup2(err.handle(), 2);
    h.click("btnEnd");
    fflush(stderr);
    dup2(saved, 2);
    ::close(saved);

    QCOMPARE(h.ends, 1);
    QVERIFY(!h.window->isVisible());
    QCOMPARE(h.fake.boxes.size(), 0);
    QCOMPARE(started.mid(0, 2), opened ? (QStringList{"my editor", weird}) : QStringList());
    if (opened)  // the window was unloaded before: its settings are written
        QVERIFY(started[2].contains("Init File"));
    QCOMPARE(ReadBytes(err.fileName()).contains("could not start the text editor \"my editor\""),
             opened && !startWorks);
}

QTEST_MAIN(TestAttachList)
#include "tst_attachlist.moc"
