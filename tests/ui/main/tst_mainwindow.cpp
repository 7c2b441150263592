// The main window driven as a user drives it: start-up, load, field commits,
// save, and the save question on leaving.
#include "MainWindowHarness.h"

#include <QLabel>
#include <QWindow>

#include <algorithm>
#include <cfloat>

namespace {

// The table's numbers in the number boxes' order.
QList<float> Numbers(const MachineTable &t)
{
    QList<float> v{t.Stroke[0], t.Stroke[1], t.Stroke[2], t.ToolChangeTime, t.MaxFeedAll};
    for (const AxisValues *a : {&t.MaxFeed, &t.MaxAccel, &t.RapidFeed, &t.RapidAccel})
        v << (*a)[0] << (*a)[1] << (*a)[2];
    return v;
}

// The fields of an empty table.
QStringList Cleared()
{
    return QStringList(17, "0.") << "" << "0" << "";
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startUp();
    void englishMessageFileLeavesNoJapanese();
    void load_data();
    void load();
    void numericCommit_data();
    void numericCommit();
    void bigValueIsNeverCut_data();
    void bigValueIsNeverCut();
    void refusedFieldBlocksButtons_data();
    void refusedFieldBlocksButtons();
    void saveWritesEveryEditAndReadsBack();
    void saveKeyAndTitle();
    void leaving_data();
    void leaving();
    void saveOverwritesOnlyWhatWasLoaded_data();
    void saveOverwritesOnlyWhatWasLoaded();
    void unusableSettingsToldOnceAndKept();
};

void TestMainWindow::startUp()
{
    Harness h;
    QVERIFY(h.ready);
    QCOMPARE(h.window->windowHandle()->title(), "M0  Ver1.05    M1    M2");
    // Add and Delete keep their design captions: messages 18 and 19 are empty.
    const QStringList captions = QString(
        "cmdFile=M3 btnEntry=M4 btnEnd=M5 btnEdit=M26 btnAdd=追加 btnDel=削除 Label1=M6 Label2=M7 "
        "Label3=M8 Label4=M9 Label5=M10 Label6=M10 Label7=M11 Label8=M12 Label9=M13 Label10=M14 "
        "Label11=M15 Label12=M16 Label13=M17 Label16=M20 Label17=M21 Label18=M22 Label19=M13 "
        "Label20=M15 Label21=M23 Label22=M17 Label23=M24 Label24=M25").split(' ');
    for (const QString &c : captions) {
        const QString name = c.section('=', 0, 0), caption = c.section('=', 1);
        auto *label = h.w<QLabel>(name);
        auto *button = h.w<QPushButton>(name);
        QVERIFY2(label || button, qPrintable(name));
        QCOMPARE(label ? label->text() : button->text(), caption);
        if (label && name != "Label24")  // labels fit their captions, the note its width
            QCOMPARE(label->size(), label->sizeHint());
    }
    QCOMPARE(h.fields(), Cleared());
    QCOMPARE(h.listLines(), QStringList());
    for (const QString &box : kNumberBoxes)
        QVERIFY2(!h.edit(box)->testAttribute(Qt::WA_InputMethodEnabled), qPrintable(box));
    // The dialog's folder and file are written back with their defaults.
    QCOMPARE(ReadIniValue(h.state, "Config", "Init Dir"), h.AppPath());
    QVERIFY(h.ini().contains("Init File"));
    QVERIFY(!h.window->DataChanged());
    // Each number box commits to its own field.
    QList<float> typed;
    for (const QString &box : kNumberBoxes) {
        typed << typed.size() + 1;
        h.type(box, QString::number(typed.size()));
    }
    QCOMPARE(Numbers(h.state.machineTable), typed);
    // Choosing an ATC type by keyboard is an edit.
    h.w<QComboBox>("cmbAtcType")->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(h.focus(), Qt::Key_Down);
    QCOMPARE(h.state.machineTable.AtcType, std::int16_t(0));
    QVERIFY(h.window->DataChanged());

    QCOMPARE(h.fake.boxes.size(), 0);
}

// The English message file translates every caption, the two design captions included.
void TestMainWindow::englishMessageFileLeavesNoJapanese()
{
    Harness h({}, nullptr, ReadBytes(QM_SOURCE_DIR "/resources/lang/en/Quillmark.mes"));
    QVERIFY(h.ready);
    QStringList texts{h.window->windowTitle()};
    for (QAbstractButton *b : h.window->findChildren<QAbstractButton *>())
        texts << b->objectName() + ": " + b->text();
    for (QLabel *l : h.window->findChildren<QLabel *>())
        texts << l->objectName() + ": " + l->text();
    QVERIFY2(texts.size() > 20, qPrintable(QString::number(texts.size())));
    for (const QString &text : texts)
        QVERIFY2(std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; }),
                 qPrintable(text));
    QCOMPARE(h.fake.boxes.size(), 0);
}

void TestMainWindow::load_data()
{
    QTest::addColumn<QByteArray>("bytes");  // empty: no such file
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("example") << ReadBytes(QM_SOURCE_DIR "/examples/sample.mtl")
                             << QStringList{"850.", "500.", "510.", "2.5", "12000.", "10000.", "10000.",
                                            "8000.", "0.3", "0.3", "0.25", "36000.", "36000.", "30000.",
                                            "0.6", "0.6", "0.5", "立形マシニングセンタ VM5", "1", "WAIT"}
                             << QStringList{kLine1, kLine2, kLine5};
    // Every number its own value, so that a value in the wrong box shows.
    QByteArrayList keys{"STROKE(X)", "STROKE(Y)", "STROKE(Z)", "TOOL CHANGE TIME", "MAXIMUM FEEDRATE"};
    for (const char *key : {"MAXIMUM FEEDRATE", "MAXIMUM ACCELERATION", "RAPID", "RAPID ACCELERATION"})
        keys << key + QByteArray("(X)") << key + QByteArray("(Y)") << key + QByteArray("(Z)");
    QByteArray own = "NAME = ABC\r\nATC TYPE = WAIT2\r\nINI = ATTACHMENT03\r\n";
    QStringList ownFields;
    for (int i = 0; i < 17; ++i) {
        own += keys[i] + (" = " + QByteArray::number(i + 1) + ".5\r\n");
        ownFields << QString::number(i + 1) + ".5";
    }
    QTest::newRow("every box its own value, WAIT2")
        << own << (ownFields << "ABC" << "3" << "WAIT2") << QStringList();
    QTest::newRow("missing file clears the previous one") << QByteArray() << Cleared() << QStringList();
}

void TestMainWindow::load()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, lines);
    Harness h;
    QVERIFY(h.ready);
    h.CopySample("first.mtl", true);  // shown before
    const QString path = h.dir.filePath("target.mtl");
    QVERIFY(bytes.isEmpty() || WriteBytes(path, bytes));
    h.window->SetFileName(path);
    QCOMPARE(h.text("txtFileName"), path);
    QCOMPARE(h.fields(), fields);
    QCOMPARE(h.listLines(), lines);
    QCOMPARE(h.list()->currentRow(), -1);
    QVERIFY(!h.window->DataChanged());  // showing a file edits nothing
    QCOMPARE(h.fake.boxes.size(), 0);
    // Leaving the name box, even unchanged, is an edit.
    h.edit("txtMachineName")->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(h.focus(), Qt::Key_Tab);
    QVERIFY(h.window->DataChanged());
}

void TestMainWindow::numericCommit_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");  // empty: refused
    QTest::addColumn<float>("stored");
    QTest::newRow("blanks around 12") << "txtStroke_1" << "  12  " << "12." << 12.0f;
    QTest::newRow("empty is 0") << "txtCngTime" << "" << "0." << 0.0f;
    QTest::newRow("minus 3") << "txtMaxFeedAll" << "-3" << "-3." << -3.0f;
    QTest::newRow("three decimals shown") << "txtMaxFeedXYZ_2" << "1.23456" << "1.235" << 1.23456f;
    QTest::newRow("letters") << "txtStroke_1" << "abc" << "" << 0.0f;
    QTest::newRow("comma decimal") << "txtCngTime" << "1,5" << "" << 0.0f;
    QTest::newRow("beyond a Single") << "txtMaxFeedXYZ_0" << "1e39" << "" << 0.0f;
}

void TestMainWindow::numericCommit()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(float, stored);
    Harness h;
    QVERIFY(h.ready);
    h.type(box, typed);
    QList<float> expected(17, 0.0f);
    expected[kNumberBoxes.indexOf(box)] = stored;
    QCOMPARE(Numbers(h.state.machineTable), expected);
    QCOMPARE(h.window->DataChanged(), !shown.isEmpty());
    QCOMPARE(h.focus() == h.edit(box), shown.isEmpty());
    if (!shown.isEmpty()) {
        QCOMPARE(h.text(box), shown);
        QCOMPARE(h.fake.boxes.size(), 0);
        return;
    }
    QCOMPARE(h.fake.texts(), QStringList{"M42"});
    QVERIFY(h.boxIs(0, MsgButtons::Ok, MsgIcon::Exclamation));
    QCOMPARE(h.text(box), typed);  // the user's text stays for correcting
    // Corrected, the field lets the focus go.
    h.type(box, "7");
    expected[kNumberBoxes.indexOf(box)] = 7.0f;
    QCOMPARE(Numbers(h.state.machineTable), expected);
    QVERIFY(h.focus() != h.edit(box));
    QCOMPARE(h.fake.boxes.size(), 1);
}

// The text of a big value fits its box: tabbing through the box again reads
// back the same value, not a cut one.
void TestMainWindow::bigValueIsNeverCut_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<float>("value");
    QTest::newRow("1e20") << "txtStroke_0" << "1e20" << "100000002004087734272." << 1e20f;
    QTest::newRow("-FLT_MAX") << "txtRapidAcceleXYZ_2" << "-3.4028235e38"
                              << "-340282346638528859811704183484516925440." << -FLT_MAX;
}

void TestMainWindow::bigValueIsNeverCut()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(float, value);
    Harness h;
    QVERIFY(h.ready);
    h.type(box, typed);
    const QList<float> stored = Numbers(h.state.machineTable);
    QCOMPARE(stored[kNumberBoxes.indexOf(box)], value);
    QCOMPARE(h.text(box), shown);
    QTest::keyClick(h.focus(), Qt::Key_Backtab);
    QCOMPARE(h.focus(), h.edit(box));
    QTest::keyClick(h.focus(), Qt::Key_Tab);
    QCOMPARE(Numbers(h.state.machineTable), stored);
    QCOMPARE(h.text(box), shown);
}

void TestMainWindow::refusedFieldBlocksButtons_data()
{
    QTest::addColumn<QString>("button");
    for (const char *b : {"btnEntry", "btnEnd", "cmdFile", "btnAdd", "btnEdit", "btnDel"})
        QTest::newRow(b) << b;
}

void TestMainWindow::refusedFieldBlocksButtons()
{
    QFETCH(QString, button);
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.CopySample("sample.mtl", true);
    const QByteArray before = ReadBytes(path);
    h.list()->setCurrentRow(0);
    h.type("txtStroke_0", "12a", false);
    h.click(button);
    // One refusal, and the button did nothing.
    QCOMPARE(h.fake.texts(), QStringList{"M42"});
    QCOMPARE(h.focus(), h.edit("txtStroke_0"));
    QCOMPARE(int(h.fake.inputs.size() + h.fake.openRequests.size()) + h.editorRuns + h.ends, 0);
    QCOMPARE(ReadBytes(path), before);
    QCOMPARE(h.state.machineTable.Stroke[0], 850.0f);
    QCOMPARE(h.listLines().size(), 3);
    // The close box is refused the same way, with the message again.
    QCoreApplication::processEvents();
    QVERIFY(!h.window->close());
    QCOMPARE(h.fake.texts(), (QStringList{"M42", "M42"}));
    QVERIFY(h.window->isVisible());
}

void TestMainWindow::saveWritesEveryEditAndReadsBack()
{
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.CopySample("sample.mtl", true);
    // The example is in the writer's own layout: only the edited lines change.
    QByteArray expected = ReadBytes(path);
    auto setLine = [&expected](const QByteArray &line) {  // a line without " = " goes
        const int keyEnd = line.indexOf(" = ");
        const int start = expected.indexOf("\r\n" + line.left(keyEnd < 0 ? line.size() : keyEnd) + " = ") + 2;
        QVERIFY(start >= 2);
        const int end = expected.indexOf("\r\n", start);
        keyEnd < 0 ? expected.remove(start - 2, end - start + 2) : expected.replace(start, end - start, line);
    };
    const struct {
        const char *box, *typed;
        QByteArray line;
    } edits[] = {{"txtMachineName", "  MILL 9 ABCDEFGHIJKLMNOP", "NAME = MILL 9 ABCDEFGHIJK  "},
                 {"txtStroke_1", "501.25", "STROKE(Y) = 501.25"},
                 {"txtCngTime", "0.5", "TOOL CHANGE TIME = .5"},
                 {"txtMaxFeedAll", "0", "MAXIMUM FEEDRATE"},  // 0 is not set: no line
                 {"txtMaxAcceleXYZ_1", "1234.5678", "MAXIMUM ACCELERATION(Y) = 1234.568"},
                 {"txtRapidFeedXYZ_2", "31000", "RAPID(Z) = 31000."},
                 {"txtRapidAcceleXYZ_0", "0.75", "RAPID ACCELERATION(X) = 0.75"},
                 {"txtAttachInit", "2", "INI = ATTACHMENT02"}};
    for (const auto &e : edits) {
        h.type(e.box, e.typed);
        setLine(e.line);
    }
    QCOMPARE(h.text("txtMachineName"), "  MILL 9 ABCDEFGHIJK");  // 20 characters, not rewritten
    h.w<QComboBox>("cmbAtcType")->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(h.focus(), Qt::Key_Down);
    setLine("ATC TYPE = WAIT2");
    h.click("btnEntry");
    QCOMPARE(h.fake.texts(), QStringList{"M57"});
    QVERIFY(h.boxIs(0, MsgButtons::Ok, MsgIcon::Information));
    QVERIFY(!h.window->DataChanged());
    QCOMPARE(ReadBytes(path), expected);
    h.click("btnEnd");  // saved: ends without asking
    QCOMPARE(h.fake.boxes.size(), 1);
    QCOMPARE(h.ends, 1);

    Harness again;
    QVERIFY(again.ready);
    again.window->SetFileName(path);
    QStringList fields = h.fields();
    fields[17] = "MILL 9 ABCDEFGHIJK";  // trimmed, and shown without the padding
    QCOMPARE(again.fields(), fields);
    QCOMPARE(again.listLines(), h.listLines());
}

// Ctrl+S saves as the button does, the field still being typed in committed
// first. The title names the file and marks unsaved edits until a save or a load.
void TestMainWindow::saveKeyAndTitle()
{
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.CopySample("sample.mtl", true);
    auto title = [&h] { return h.window->windowHandle()->title(); };
    const QString caption = " - M0  Ver1.05    M1    M2";
    QCOMPARE(title(), "sample.mtl" + caption);
    h.type("txtStroke_0", "12");
    QCOMPARE(title(), "sample.mtl*" + caption);
    h.type("txtStroke_1", "77", false);
    QTest::keyClick(h.focus(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(h.fake.texts(), QStringList{"M57"});
    QVERIFY(ReadBytes(path).contains("\r\nSTROKE(X) = 12.\r\nSTROKE(Y) = 77.\r\n"));
    QCOMPARE(title(), "sample.mtl" + caption);
    h.type("txtStroke_1", "78");
    QCOMPARE(title(), "sample.mtl*" + caption);
    h.CopySample("other.mtl", true);
    QCOMPARE(title(), "other.mtl" + caption);
}

void TestMainWindow::leaving_data()
{
    QTest::addColumn<bool>("endButton");  // else the close box
    QTest::addColumn<QString>("target");  // the file name; "@": in the temporary folder
    QTest::addColumn<bool>("edited");
    QTest::addColumn<MsgAnswer>("answer");  // Ok: no question
    QTest::addColumn<bool>("diskFails");
    for (bool end : {false, true}) {
        const char *how = end ? "end button" : "close box";
        QTest::addRow("%s, Yes saves", how) << end << "@sample.mtl" << true << MsgAnswer::Yes << false;
        QTest::addRow("%s, No", how) << end << "@sample.mtl" << true << MsgAnswer::No << false;
        QTest::addRow("%s, Cancel stays", how) << end << "@sample.mtl" << true << MsgAnswer::Cancel << false;
        QTest::addRow("%s, nothing edited", how) << end << "@sample.mtl" << false << MsgAnswer::Ok << false;
        QTest::addRow("%s, Yes but the write fails", how) << end << "@sample.mtl" << true << MsgAnswer::Yes << true;
    }
    // Nowhere to save: neither the save button nor leaving says anything; the edits are given up.
    QTest::newRow("empty name") << true << "" << true << MsgAnswer::Ok << false;
    QTest::newRow("folder missing") << true << "/nonexistent-folder-qm/x.mtl" << true << MsgAnswer::Ok << false;
    QTest::newRow("a folder") << true << "@folder.mtl" << true << MsgAnswer::Ok << false;
    QTest::newRow("new name in an existing folder, Yes")
        << true << "@new machine.mtl" << true << MsgAnswer::Yes << false;
}

void TestMainWindow::leaving()
{
    QFETCH(bool, endButton);
    QFETCH(QString, target);
    QFETCH(bool, edited);
    QFETCH(MsgAnswer, answer);
    QFETCH(bool, diskFails);
    Harness h;
    QVERIFY(h.ready);
    const QString sample = h.CopySample("sample.mtl", true);
    QVERIFY(QDir(h.dir.path()).mkdir("folder.mtl"));
    const QString path = target.startsWith('@') ? h.dir.filePath(target.mid(1)) : target;
    h.window->SetFileName(path);
    const QByteArray before = ReadBytes(path);
    const QByteArray edit = "\r\nMAXIMUM FEEDRATE(X) = 9000.\r\n";
    if (edited)
        h.type("txtMaxFeedXYZ_0", "9000");
    if (edited && answer == MsgAnswer::Ok) {
        h.click("btnEntry");
        QVERIFY(h.window->DataChanged());
    }
    h.fake.answers << answer;
    // Someone else changed the remembered folder meanwhile: unloading writes ours.
    WriteIniValue(h.state, "Config", "Init Dir", "/elsewhere/");
    if (diskFails)
        h.files.Arm(1, FaultyFiles::Mode::FromThenOn);
    auto leave = [&] { endButton ? h.click("btnEnd") : void(h.window->close()); };
    leave();

    const bool saved = answer == MsgAnswer::Yes && !diskFails;
    const bool stays = answer == MsgAnswer::Cancel || diskFails;
    // Asked once, whichever way; then saved, or told why not.
    QCOMPARE(h.fake.boxes.size(), answer == MsgAnswer::Ok ? 0 : answer == MsgAnswer::Yes ? 2 : 1);
    if (answer != MsgAnswer::Ok)
        QVERIFY(h.fake.boxes[0].text == "M41" && h.boxIs(0, MsgButtons::YesNoCancel, MsgIcon::Information));
    if (answer == MsgAnswer::Yes)
        QVERIFY(saved ? h.fake.boxes[1].text == "M57" : h.fake.boxes[1].text.startsWith("M61\n"));
    QCOMPARE(h.window->isVisible(), stays);
    QCOMPARE(h.ends, endButton && !stays ? 1 : 0);  // the close box only closes the window
    QCOMPARE(ReadIniValue(h.state, "Config", "Init Dir"), stays ? "/elsewhere/" : h.AppPath());
    QCOMPARE(ReadBytes(path).contains(edit), saved);
    if (saved)  // a new name gets the emptied table, not the example's values
        QCOMPARE(ReadBytes(path).contains("\r\nSTROKE(X) = 850.\r\n"), path == sample);
    else
        QCOMPARE(ReadBytes(path), before);
    if (diskFails) {  // the edits are kept; once the disk works the same answer saves
        QVERIFY(h.window->DataChanged());
        h.files.Arm(0, FaultyFiles::Mode::None);
        h.fake.answers << MsgAnswer::Yes;
        leave();
        QVERIFY(!h.window->isVisible());
        QCOMPARE(h.ends, endButton ? 1 : 0);
        QVERIFY(ReadBytes(path).contains(edit));
    }
}

void TestMainWindow::saveOverwritesOnlyWhatWasLoaded_data()
{
    QTest::addColumn<QByteArray>("loaded");  // the file when it was loaded
    QTest::addColumn<QByteArray>("meanwhile");  // what another program wrote after; empty: nothing
    QTest::addColumn<QString>("question");  // asked before saving, default No
    QTest::addColumn<MsgAnswer>("answer");  // Ok: the default (no answer given)
    const QByteArray sample = ReadBytes(QM_SOURCE_DIR "/examples/sample.mtl");
    QTest::newRow("not loadable, default") << QByteArray("# comment\r\n") << QByteArray() << "M63" << MsgAnswer::Ok;
    QTest::newRow("not loadable, Yes") << QByteArray("# comment\r\n") << QByteArray() << "M63" << MsgAnswer::Yes;
    QTest::newRow("changed on disk, No") << sample << QByteArray("NAME = OTHER\r\n") << "M62" << MsgAnswer::No;
    QTest::newRow("changed on disk, Yes") << sample << QByteArray("NAME = OTHER\r\n") << "M62" << MsgAnswer::Yes;
    QTest::newRow("as loaded") << sample << QByteArray() << "" << MsgAnswer::Ok;
}

void TestMainWindow::saveOverwritesOnlyWhatWasLoaded()
{
    QFETCH(QByteArray, loaded);
    QFETCH(QByteArray, meanwhile);
    QFETCH(QString, question);
    QFETCH(MsgAnswer, answer);
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.dir.filePath("m.mtl");
    QVERIFY(WriteBytes(path, loaded));
    h.window->SetFileName(path);
    if (!meanwhile.isEmpty())
        QVERIFY(WriteBytes(path, meanwhile));
    const QByteArray before = ReadBytes(path);
    h.type("txtMaxFeedXYZ_0", "9000");
    if (answer != MsgAnswer::Ok)
        h.fake.answers << answer;
    for (int i = 0; i < 2; ++i) {  // a second save asks nothing more
        h.fake.boxes.clear();
        h.click("btnEntry");
        const bool saved = question.isEmpty() || answer == MsgAnswer::Yes || i == 1;
        if (!saved) {
            QCOMPARE(h.fake.texts(), QStringList{question});
            QVERIFY(h.fake.boxes[0].defaultButton == MsgAnswer::No && h.window->DataChanged());
            QCOMPARE(ReadBytes(path), before);
            QCOMPARE(h.text("txtMaxFeedXYZ_0"), "9000.");
            return;
        }
        QCOMPARE(h.fake.texts(), i == 0 && !question.isEmpty() ? QStringList({question, "M57"}) : QStringList{"M57"});
        QVERIFY(ReadBytes(path).contains("MAXIMUM FEEDRATE(X) = 900" + QByteArray::number(i) + ".\r\n"));
        QVERIFY(!h.window->DataChanged());
        h.type("txtMaxFeedXYZ_0", "9001");
    }
}

void TestMainWindow::unusableSettingsToldOnceAndKept()
{
    const QByteArray ini = "[Config]\r\nTextEditor=vi\x81\xff\r\n";
    Harness h(ini);
    QVERIFY(h.ready);
    QCOMPARE(h.fake.texts().size(), 1);
    QVERIFY(h.fake.texts().first().startsWith("M65\n"));
    QCOMPARE(h.state.settings.TextEditorPath, kDefaultTextEditor);
    h.window->close();
    QCOMPARE(h.fake.texts().size(), 1);
    QCOMPARE(ReadBytes(h.AppPath() + "Quillmark.ini"), ini);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
