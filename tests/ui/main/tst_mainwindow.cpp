// The main window driven as a user drives it: layout, display, load, save,
// field commits and the save question.
#include "MainWindowHarness.h"

#include "app/Settings.h"

#include <QLabel>

namespace {

const QStringList kNumberBoxes{
    "txtStroke_0",         "txtStroke_1",       "txtStroke_2",       "txtCngTime",
    "txtMaxFeedAll",       "txtMaxFeedXYZ_0",   "txtMaxFeedXYZ_1",   "txtMaxFeedXYZ_2",
    "txtMaxAcceleXYZ_0",   "txtMaxAcceleXYZ_1", "txtMaxAcceleXYZ_2", "txtRapidFeedXYZ_0",
    "txtRapidFeedXYZ_1",   "txtRapidFeedXYZ_2", "txtRapidAcceleXYZ_0", "txtRapidAcceleXYZ_1",
    "txtRapidAcceleXYZ_2"};

// The model field a number box writes.
float ModelValue(const MachineTable &t, const QString &box)
{
    const int i = box.right(1).toInt();
    if (box == "txtCngTime")
        return t.ToolChangeTime;
    if (box == "txtMaxFeedAll")
        return t.MaxFeedAll;
    if (box.startsWith("txtStroke_"))
        return t.Stroke[i];
    if (box.startsWith("txtMaxFeedXYZ_"))
        return t.MaxFeed[i];
    if (box.startsWith("txtMaxAcceleXYZ_"))
        return t.MaxAccel[i];
    if (box.startsWith("txtRapidFeedXYZ_"))
        return t.RapidFeed[i];
    return t.RapidAccel[i];
}

int Px(int twips)
{
    return qRound(twips / 15.0);
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void labels_data();
    void labels();
    void englishMessageFileLeavesNoJapanese();
    void appearance();
    void tabOrder();
    void emptyStart();
    void loadShowsFile();
    void loadWait2KeepsDataChanged();

    void numericCommit_data();
    void numericCommit();
    void refusedFieldBlocksButtons_data();
    void refusedFieldBlocksButtons();
    void machineName();
    void atcTypeByKeyboard();
    void attachInitText_data();
    void attachInitText();

    void saveWritesOnlyTheEdit();
    void saveReopenKeepsEveryValue();
    void saveNothingToSave_data();
    void saveNothingToSave();
    void missingFileClearsWindowAndSavesNew();
    void closeBoxAsks_data();
    void closeBoxAsks();
    void closeBoxWithoutChangesAsksNothing();
    void endButtonAsksOnce_data();
    void endButtonAsksOnce();
    void failedSaveKeepsWindowOpen();
    void mainLoadsCommandLineFile();
};

void TestMainWindow::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("twips");
    QTest::addColumn<QString>("caption");
    const struct {
        const char *name;
        int x, y, message;
    } rows[] = {{"Label1", 630, 1440, 6},   {"Label18", 375, 1875, 22}, {"Label19", 2400, 1875, 13},
                {"Label20", 4320, 1875, 15}, {"Label22", 6240, 1875, 17}, {"Label2", 270, 2280, 7},
                {"Label3", 450, 2700, 8},   {"Label4", 3600, 2700, 9},  {"Label7", 630, 3090, 11},
                {"Label5", 1680, 3480, 10}, {"Label24", 6240, 3000, 25}, {"Label21", 630, 3870, 23},
                {"Label6", 2115, 4260, 10}, {"Label17", 4365, 4260, 21}, {"Label10", 6120, 4260, 14},
                {"Label8", 8235, 4260, 12}, {"Label9", 1680, 4650, 13}, {"Label11", 1680, 5040, 15},
                {"Label13", 1680, 5430, 17}, {"Label12", 480, 5820, 16}, {"Label23", 1680, 6240, 24},
                {"Label16", 1680, 6600, 20}};
    for (const auto &r : rows)
        QTest::newRow(r.name) << r.name << QPoint(r.x, r.y) << QStringLiteral("M%1").arg(r.message);
    QTest::newRow("cmdFile") << "cmdFile" << QPoint() << "M3";
    QTest::newRow("btnEntry") << "btnEntry" << QPoint() << "M4";
    QTest::newRow("btnEnd") << "btnEnd" << QPoint() << "M5";
    QTest::newRow("btnEdit") << "btnEdit" << QPoint() << "M26";
    QTest::newRow("btnAdd keeps its design caption") << "btnAdd" << QPoint() << "追加";
    QTest::newRow("btnDel keeps its design caption") << "btnDel" << QPoint() << "削除";
}

void TestMainWindow::labels()
{
    QFETCH(QString, name);
    QFETCH(QPoint, twips);
    QFETCH(QString, caption);
    Harness h;
    QVERIFY(h.ready);
    if (auto *button = h.w<QPushButton>(name)) {
        QCOMPARE(button->text(), caption);
        return;
    }
    auto *label = h.w<QLabel>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), caption);
    QCOMPARE(label->pos(), QPoint(Px(twips.x()), Px(twips.y())));
    if (name == "Label24") {
        QCOMPARE(label->width(), Px(4260));  // the note keeps its width
    } else {
        // Sized to the caption, not to a design width.
        QCOMPARE(label->size(), label->sizeHint());
    }
}

void TestMainWindow::appearance()
{
    Harness h;
    QVERIFY(h.ready);
    QCOMPARE(h.window->minimumSize(), QSize(744, 543));
    QCOMPARE(h.window->maximumSize(), QSize(744, 543));
    QVERIFY(h.edit("txtFileName")->isReadOnly());
    for (const QString &name : kNumberBoxes + QStringList{"txtAttachInit"}) {
        QCOMPARE(h.edit(name)->maxLength(), 20);
        QVERIFY2(!h.edit(name)->testAttribute(Qt::WA_InputMethodEnabled), qPrintable(name));
    }
    QCOMPARE(h.edit("txtMachineName")->maxLength(), 20);
    QVERIFY(h.edit("txtMachineName")->testAttribute(Qt::WA_InputMethodEnabled));
    QVERIFY(!h.w<QComboBox>("cmbAtcType")->isEditable());
    // The note keeps its design width and its 11.25 point bold face.
    auto *note = h.w<QLabel>("Label24");
    QCOMPARE(note->font().pointSizeF(), 11.25);
    QVERIFY(note->font().bold());
}

void TestMainWindow::tabOrder()
{
    Harness h;
    QVERIFY(h.ready);
    QStringList expected{"txtMachineName", "txtStroke_0", "txtStroke_1", "txtStroke_2",
                         "cmbAtcType",     "txtCngTime",  "txtMaxFeedAll"};
    for (const char *array : {"txtMaxFeedXYZ_", "txtMaxAcceleXYZ_", "txtRapidFeedXYZ_", "txtRapidAcceleXYZ_"})
        for (int i = 0; i < 3; ++i)
            expected << QString(array) + QString::number(i);
    expected << "txtAttachInit" << "btnEdit" << "btnEntry" << "btnEnd" << "lstAttach";
    if (h.w("pictView")->focusPolicy() & Qt::TabFocus)
        expected << "pictView";
    expected << "cmdFile" << "txtFileName" << "btnAdd" << "btnDel" << "txtMachineName";

    h.edit("txtMachineName")->setFocus(Qt::MouseFocusReason);
    QStringList seen{h.focus()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        h.tab();
        seen << h.focus()->objectName();
    }
    QCOMPARE(seen, expected);
    QCOMPARE(h.fake.boxes.size(), 0);
}

void TestMainWindow::emptyStart()
{
    Harness h;
    QVERIFY(h.ready);
    QCOMPARE(h.window->windowTitle(), "M0  Ver1.05    M1    M2");
    for (const QString &name : kNumberBoxes)
        QCOMPARE(h.text(name), "0.");
    QCOMPARE(h.text("txtAttachInit"), "0");
    QCOMPARE(h.text("txtMachineName"), QString(20, ' '));
    QCOMPARE(h.text("txtFileName"), QString());
    QCOMPARE(h.w<QComboBox>("cmbAtcType")->currentIndex(), -1);
    QCOMPARE(h.listLines(), QStringList());
    QVERIFY(!h.window->DataChanged());
    QCOMPARE(h.fake.boxes.size(), 0);
    // The dialog's folder and file were written back with their defaults.
    QCOMPARE(h.window->InitDir(), h.AppPath());
    QCOMPARE(ReadIniValue(h.state, "Config", "Init Dir"), h.AppPath());
    QVERIFY(h.ini().contains("Init File"));
}

void TestMainWindow::loadShowsFile()
{
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.CopySample();
    h.window->SetFileName(path);
    QCOMPARE(h.text("txtFileName"), path);
    QCOMPARE(h.text("txtMachineName"), "立形マシニングセンタ VM5      ");
    QCOMPARE(h.text("txtStroke_0"), "850.");
    QCOMPARE(h.text("txtStroke_2"), "510.");
    QCOMPARE(h.text("txtCngTime"), "2.5");
    QCOMPARE(h.w<QComboBox>("cmbAtcType")->currentText(), "WAIT");
    QCOMPARE(h.text("txtMaxFeedAll"), "12000.");
    QCOMPARE(h.text("txtMaxFeedXYZ_2"), "8000.");
    QCOMPARE(h.text("txtMaxAcceleXYZ_2"), "0.25");
    QCOMPARE(h.text("txtRapidFeedXYZ_1"), "36000.");
    QCOMPARE(h.text("txtRapidAcceleXYZ_2"), "0.5");
    QCOMPARE(h.text("txtAttachInit"), "1");
    QCOMPARE(h.listLines(),
             (QStringList{"ATTACHMENT01 = SQUARE/120.,40.,160.,60.,200.,90.,STANDARD HEAD       ",
                          "ATTACHMENT02 = SQUARE/80.,30.,80.,50.,140.,70.,140.,20.,RIGHT ANGLE HEAD    ",
                          "ATTACHMENT05 = SQUARE/60.,150.,100.,60.,EXTENSION           "}));
    QCOMPARE(h.w<QListWidget>("lstAttach")->currentRow(), -1);
    QVERIFY(!h.window->DataChanged());
    QCOMPARE(h.fake.boxes.size(), 0);
}

void TestMainWindow::loadWait2KeepsDataChanged()
{
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.dir.filePath("w2.mtl");
    QVERIFY(WriteBytes(path, "NAME = ABC\r\nATC TYPE = WAIT2\r\nMAXIMUM FEEDRATE(Y) = 6000\r\n"
                             "TOOL CHANGE TIME = 2.5\r\n"));
    h.window->SetFileName(path);
    QCOMPARE(h.w<QComboBox>("cmbAtcType")->currentText(), "WAIT2");
    QCOMPARE(h.text("txtMachineName"), "ABC" + QString(17, ' '));
    QCOMPARE(h.text("txtMaxFeedXYZ_1"), "6000.");
    QCOMPARE(h.text("txtCngTime"), "2.5");
    QVERIFY(!h.window->DataChanged());
    QCOMPARE(h.state.machineTable.AtcType, std::int16_t(2));
}

void TestMainWindow::numericCommit_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<float>("stored");

    QTest::newRow("blanks around 12") << "txtStroke_1" << "  12  " << true << "12." << 12.0f;
    QTest::newRow("empty is 0") << "txtCngTime" << "" << true << "0." << 0.0f;
    QTest::newRow("minus 3") << "txtMaxFeedAll" << "-3" << true << "-3." << -3.0f;
    QTest::newRow("three decimals shown") << "txtMaxFeedXYZ_2" << "1.23456" << true << "1.235"
                                          << 1.23456f;
    QTest::newRow("exponent") << "txtMaxAcceleXYZ_0" << "1.5e3" << true << "1500." << 1500.0f;
    QTest::newRow("leading point") << "txtRapidFeedXYZ_1" << ".5" << true << "0.5" << 0.5f;
    QTest::newRow("trailing point") << "txtRapidAcceleXYZ_2" << "12." << true << "12." << 12.0f;
    QTest::newRow("letters") << "txtStroke_1" << "abc" << false << "" << 0.0f;
    QTest::newRow("comma decimal") << "txtCngTime" << "1,5" << false << "" << 0.0f;
    QTest::newRow("grouping") << "txtMaxFeedAll" << "1,000" << false << "" << 0.0f;
    QTest::newRow("hex") << "txtStroke_0" << "0x10" << false << "" << 0.0f;
    QTest::newRow("beyond a Single") << "txtMaxFeedXYZ_0" << "1e39" << false << "" << 0.0f;
    QTest::newRow("beyond a double") << "txtRapidFeedXYZ_2" << "1e400" << false << "" << 0.0f;
    QTest::newRow("lone point") << "txtMaxAcceleXYZ_1" << "." << false << "" << 0.0f;
    QTest::newRow("infinity word") << "txtRapidAcceleXYZ_0" << "inf" << false << "" << 0.0f;
}

void TestMainWindow::numericCommit()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(QString, shown);
    QFETCH(float, stored);
    Harness h;
    QVERIFY(h.ready);
    h.type(box, typed);
    h.tab();
    if (accepted) {
        QCOMPARE(h.fake.boxes.size(), 0);
        QCOMPARE(h.text(box), shown);
        QCOMPARE(ModelValue(h.state.machineTable, box), stored);
        QVERIFY(h.window->DataChanged());
        QVERIFY(h.focus() != h.edit(box));
    } else {
        QCOMPARE(h.fake.texts(), QStringList{"M42"});
        QCOMPARE(h.fake.boxes[0].buttons, MsgButtons::Ok);
        QCOMPARE(h.fake.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(h.fake.boxes[0].title, "Quillmark");
        QCOMPARE(h.focus(), h.edit(box));
        QCOMPARE(h.text(box), typed);  // the user's text stays for correcting
        QCOMPARE(ModelValue(h.state.machineTable, box), 0.0f);
        QVERIFY(!h.window->DataChanged());
        // Corrected, the field lets the focus go.
        h.type(box, "7");
        h.tab();
        QCOMPARE(h.fake.boxes.size(), 1);
        QCOMPARE(ModelValue(h.state.machineTable, box), 7.0f);
        QVERIFY(h.focus() != h.edit(box));
    }
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
    const QString path = h.CopySample();
    h.window->SetFileName(path);
    const QByteArray before = ReadBytes(path);
    h.w<QListWidget>("lstAttach")->setCurrentRow(0);
    h.type("txtStroke_0", "12a");
    h.click(button);
    // One refusal, and the button did nothing.
    QCOMPARE(h.fake.texts(), QStringList{"M42"});
    QCOMPARE(h.focus(), h.edit("txtStroke_0"));
    QCOMPARE(h.fake.inputs.size(), 0);
    QCOMPARE(h.fake.openRequests.size(), 0);
    QCOMPARE(h.editorRuns, 0);
    QCOMPARE(h.ends, 0);
    QVERIFY(h.window->isVisible());
    QCOMPARE(ReadBytes(path), before);
    QCOMPARE(h.state.machineTable.Stroke[0], 850.0f);
    QCOMPARE(h.listLines().size(), 3);
    // The close box is refused the same way, with the message again.
    QCoreApplication::processEvents();
    QVERIFY(!h.window->close());
    QCOMPARE(h.fake.texts(), (QStringList{"M42", "M42"}));
    QVERIFY(h.window->isVisible());
}

void TestMainWindow::machineName()
{
    Harness h;
    QVERIFY(h.ready);
    h.type("txtMachineName", "  Mill 7  ");
    h.tab();
    QCOMPARE(h.state.machineTable.MachineName.str(), "Mill 7" + QString(14, ' '));
    QCOMPARE(h.text("txtMachineName"), "  Mill 7  ");  // the box is not rewritten
    QVERIFY(h.window->DataChanged());

    // Leaving it unchanged still counts as an edit.
    Harness h2;
    QVERIFY(h2.ready);
    h2.edit("txtMachineName")->setFocus(Qt::MouseFocusReason);
    h2.tab();
    QVERIFY(h2.window->DataChanged());

    // The box holds 20 characters; typing more keeps the first 20.
    h2.type("txtMachineName", "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    QCOMPARE(h2.text("txtMachineName"), "ABCDEFGHIJKLMNOPQRST");
    h2.tab();
    QCOMPARE(h2.state.machineTable.MachineName.str(), "ABCDEFGHIJKLMNOPQRST");
}

void TestMainWindow::atcTypeByKeyboard()
{
    Harness h;
    QVERIFY(h.ready);
    auto *combo = h.w<QComboBox>("cmbAtcType");
    combo->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(h.state.machineTable.AtcType, std::int16_t(0));
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(h.state.machineTable.AtcType, std::int16_t(2));
    QVERIFY(h.window->DataChanged());
}

void TestMainWindow::attachInitText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("stored");
    QTest::newRow("blanks become 0") << "   " << true << "0" << 0;
    QTest::newRow("letters") << "x1" << false << "x1" << 0;
    QTest::newRow("comma") << "1,5" << false << "1,5" << 0;
    QTest::newRow("beyond 32 bits") << "99999999999" << false << "99999999999" << 0;
    QTest::newRow("existing number") << "5" << true << "5" << 5;
    QTest::newRow("half to even") << "1.5" << true << "1.5" << 2;
}

void TestMainWindow::attachInitText()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(QString, shown);
    QFETCH(int, stored);
    Harness h;
    QVERIFY(h.ready);
    h.window->SetFileName(h.CopySample());  // attachments 1, 2 and 5
    h.type("txtAttachInit", typed);
    h.tab();
    QCOMPARE(h.text("txtAttachInit"), shown);
    if (accepted) {
        QCOMPARE(h.fake.boxes.size(), 0);
        QCOMPARE(h.state.machineTable.IniAttachment, stored);
        QVERIFY(h.focus() != h.edit("txtAttachInit"));
    } else {
        QCOMPARE(h.fake.texts(), QStringList{"M42"});
        QCOMPARE(h.focus(), h.edit("txtAttachInit"));
        QCOMPARE(h.state.machineTable.IniAttachment, 1);  // as loaded
        QVERIFY(!h.window->DataChanged());
    }
}

void TestMainWindow::saveWritesOnlyTheEdit()
{
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.CopySample();
    const QByteArray before = ReadBytes(path);
    h.window->SetFileName(path);
    h.type("txtStroke_0", "900");
    h.tab();
    h.click("btnEntry");
    QCOMPARE(h.fake.texts(), QStringList{"M57"});
    QCOMPARE(h.fake.boxes[0].icon, MsgIcon::Information);
    QCOMPARE(h.fake.boxes[0].buttons, MsgButtons::Ok);
    QVERIFY(!h.window->DataChanged());
    // The example is in the writer's own layout: only the edited line differs.
    QByteArray expected = before;
    expected.replace("STROKE(X) = 850.\r\n", "STROKE(X) = 900.\r\n");
    QVERIFY(expected != before);
    QCOMPARE(ReadBytes(path), expected);
    QVERIFY(!QFile::exists(path + "bak"));

    // Saved: the end button does not ask.
    h.click("btnEnd");
    QCOMPARE(h.fake.boxes.size(), 1);
    QCOMPARE(h.ends, 1);
}

void TestMainWindow::saveReopenKeepsEveryValue()
{
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.CopySample();
    h.window->SetFileName(path);
    const struct {
        const char *box, *typed;
    } edits[] = {{"txtMachineName", "MILL 9"},   {"txtStroke_1", "501.25"},
                 {"txtCngTime", "0.5"},          {"txtMaxFeedAll", "0"},
                 {"txtMaxFeedXYZ_0", "9999.999"}, {"txtMaxAcceleXYZ_1", "1234.5678"},
                 {"txtRapidFeedXYZ_2", "31000"},  {"txtRapidAcceleXYZ_0", "0.75"},
                 {"txtAttachInit", "2"}};
    for (const auto &e : edits) {
        h.type(e.box, e.typed);
        h.tab();
    }
    auto *combo = h.w<QComboBox>("cmbAtcType");
    combo->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(combo, Qt::Key_Down);  // WAIT -> WAIT2
    h.click("btnEntry");
    QCOMPARE(h.fake.texts(), QStringList{"M57"});

    const QString saved = QString::fromLatin1(ReadBytes(path));
    QVERIFY(saved.contains("NAME = MILL 9              \r\n"));
    QVERIFY(saved.contains("\r\nTOOL CHANGE TIME = .5\r\n"));
    QVERIFY(saved.contains("\r\nATC TYPE = WAIT2\r\n"));
    QVERIFY(saved.contains("\r\nMAXIMUM ACCELERATION(Y) = 1234.568\r\n"));
    QVERIFY(!saved.contains("MAXIMUM FEEDRATE ="));  // 0 is not set: no line
    QVERIFY(saved.contains("\r\nATTACH CHANGE CODE = M60\r\nATTACH DESIGN CODE = T\r\nINI = ATTACHMENT02\r\n"));

    QStringList shown;
    for (const QString &name : kNumberBoxes + QStringList{"txtMachineName", "txtAttachInit"})
        shown << h.text(name);
    const QStringList lines = h.listLines();

    Harness again;
    QVERIFY(again.ready);
    again.window->SetFileName(path);
    QStringList reopened;
    for (const QString &name : kNumberBoxes + QStringList{"txtMachineName", "txtAttachInit"})
        reopened << again.text(name);
    // The name box showed what was typed; the file holds the padded name.
    shown[shown.size() - 2] = "MILL 9" + QString(14, ' ');
    QCOMPARE(reopened, shown);
    QCOMPARE(again.w<QComboBox>("cmbAtcType")->currentText(), "WAIT2");
    QCOMPARE(again.listLines(), lines);
    QCOMPARE(again.state.machineTable.AttachChangeCode, "M60");
}

void TestMainWindow::saveNothingToSave_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("empty name") << "";
    QTest::newRow("folder missing") << "/nonexistent-folder-qm/x.mtl";
    QTest::newRow("a folder") << "@DIR@";
}

void TestMainWindow::saveNothingToSave()
{
    QFETCH(QString, fileName);
    Harness h;
    QVERIFY(h.ready);
    if (fileName == "@DIR@") {
        QVERIFY(QDir(h.dir.path()).mkdir("folder.mtl"));
        fileName = h.dir.filePath("folder.mtl");
    }
    h.window->SetFileName(fileName);
    h.type("txtStroke_0", "5");
    h.tab();
    h.click("btnEntry");
    QCOMPARE(h.fake.boxes.size(), 0);
    QVERIFY(h.window->DataChanged());
    // Nowhere to save: ending gives the edits up without a question.
    h.click("btnEnd");
    QCOMPARE(h.fake.boxes.size(), 0);
    QCOMPARE(h.ends, 1);
}

void TestMainWindow::missingFileClearsWindowAndSavesNew()
{
    Harness h;
    QVERIFY(h.ready);
    h.window->SetFileName(h.CopySample());
    QCOMPARE(h.text("txtStroke_0"), "850.");
    const QString fresh = h.dir.filePath("new machine.mtl");
    h.window->SetFileName(fresh);
    // The window shows the emptied table, not the previous file's values.
    for (const QString &name : kNumberBoxes)
        QCOMPARE(h.text(name), "0.");
    QCOMPARE(h.text("txtMachineName"), QString(20, ' '));
    QCOMPARE(h.w<QComboBox>("cmbAtcType")->currentIndex(), -1);
    QCOMPARE(h.listLines(), QStringList());
    QCOMPARE(h.fake.boxes.size(), 0);

    h.type("txtStroke_2", "100");
    h.tab();
    // The save question is asked for the new name too; Cancel keeps the window.
    h.fake.answers << MsgAnswer::Cancel;
    QVERIFY(!h.window->close());
    QCOMPARE(h.fake.texts(), QStringList{"M41"});
    h.click("btnEntry");
    QCOMPARE(h.fake.texts(), (QStringList{"M41", "M57"}));
    const QByteArray saved = ReadBytes(fresh);
    QVERIFY(saved.startsWith("#"));
    QVERIFY(saved.contains("\r\nNAME = " + QByteArray(20, ' ') + "\r\nSTROKE(Z) = 100.\r\n"));
    QVERIFY(!saved.contains("STROKE(X)"));
}

void TestMainWindow::closeBoxAsks_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::newRow("Yes saves and closes") << MsgAnswer::Yes;
    QTest::newRow("No closes") << MsgAnswer::No;
    QTest::newRow("Cancel keeps the window") << MsgAnswer::Cancel;
}

void TestMainWindow::closeBoxAsks()
{
    QFETCH(MsgAnswer, answer);
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.CopySample();
    const QByteArray before = ReadBytes(path);
    h.window->SetFileName(path);
    h.type("txtMaxFeedXYZ_0", "9000");
    h.tab();
    // Someone else changed the remembered folder meanwhile: unload writes ours.
    WriteIniValue(h.state, "Config", "Init Dir", "/elsewhere/");

    h.fake.answers << answer;
    const bool closed = h.window->close();
    QVERIFY(!h.fake.boxes.isEmpty());
    QCOMPARE(h.fake.boxes.first().text, "M41");
    QCOMPARE(h.fake.boxes.first().buttons, MsgButtons::YesNoCancel);
    QCOMPARE(h.fake.boxes.first().icon, MsgIcon::Information);
    QCOMPARE(h.fake.boxes.first().title, "Quillmark");
    QCOMPARE(closed, answer != MsgAnswer::Cancel);
    QCOMPARE(h.window->isVisible(), answer == MsgAnswer::Cancel);
    QCOMPARE(ReadIniValue(h.state, "Config", "Init Dir"),
             answer == MsgAnswer::Cancel ? "/elsewhere/" : h.AppPath());
    const QByteArray after = ReadBytes(path);
    if (answer == MsgAnswer::Yes) {
        QCOMPARE(h.fake.texts(), (QStringList{"M41", "M57"}));
        QVERIFY(after.contains("MAXIMUM FEEDRATE(X) = 9000.\r\n"));
    } else {
        QCOMPARE(h.fake.boxes.size(), 1);
        QCOMPARE(after, before);
    }
    QCOMPARE(h.ends, 0);  // the close box only closes the window
}

void TestMainWindow::closeBoxWithoutChangesAsksNothing()
{
    Harness h;
    QVERIFY(h.ready);
    h.window->SetFileName(h.CopySample());
    WriteIniValue(h.state, "Config", "Init File", "other.mtl");
    QVERIFY(h.window->close());
    QCOMPARE(h.fake.boxes.size(), 0);
    QCOMPARE(ReadIniValue(h.state, "Config", "Init File"), QString());
}

void TestMainWindow::endButtonAsksOnce_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::newRow("Yes") << MsgAnswer::Yes;
    QTest::newRow("No") << MsgAnswer::No;
    QTest::newRow("Cancel") << MsgAnswer::Cancel;
}

void TestMainWindow::endButtonAsksOnce()
{
    QFETCH(MsgAnswer, answer);
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.CopySample();
    h.window->SetFileName(path);
    h.type("txtStroke_0", "1");
    h.tab();
    h.fake.answers << answer;
    h.click("btnEnd");
    const QStringList expected = answer == MsgAnswer::Yes ? QStringList{"M41", "M57"}
                                                          : QStringList{"M41"};
    QCOMPARE(h.fake.texts(), expected);
    QCOMPARE(h.ends, answer == MsgAnswer::Cancel ? 0 : 1);
    QCOMPARE(h.window->isVisible(), answer == MsgAnswer::Cancel);
    QCOMPARE(ReadBytes(path).contains("STROKE(X) = 1.\r\n"), answer == MsgAnswer::Yes);
}

void TestMainWindow::failedSaveKeepsWindowOpen()
{
    Harness h;
    QVERIFY(h.ready);
    const QString path = h.CopySample();
    const QByteArray before = ReadBytes(path);
    h.window->SetFileName(path);
    h.type("txtStroke_0", "1");
    h.tab();
    h.files.FailAt(1, true);
    h.fake.answers << MsgAnswer::Yes;
    h.click("btnEnd");
    QCOMPARE(h.fake.boxes.size(), 2);
    QCOMPARE(h.fake.boxes[0].text, "M41");
    QVERIFY(h.fake.boxes[1].text == "M60" || h.fake.boxes[1].text == "M61");
    QCOMPARE(h.ends, 0);
    QVERIFY(h.window->isVisible());
    QVERIFY(h.window->DataChanged());
    QCOMPARE(ReadBytes(path), before);
    // Once the disk works again the same answer saves and ends.
    h.files.ClearFaults();
    h.fake.answers << MsgAnswer::Yes;
    h.click("btnEnd");
    QCOMPARE(h.ends, 1);
    QVERIFY(ReadBytes(path).contains("STROKE(X) = 1.\r\n"));
}

void TestMainWindow::mainLoadsCommandLineFile()
{
    QTemporaryDir dir;
    QVERIFY(WriteBytes(dir.filePath("Quillmark.mes"), TestMessageFile()));
    QVERIFY(WriteBytes(dir.filePath("Quillmark.ini"), "[Config]\r\nCheck=1\r\n"));
    const QString path = dir.filePath("My Sample.MTL");
    QVERIFY(QFile::copy(SamplePath(), path));
    FakeDialogs fake;
    FileOps files;
    AppState state(fake, files);
    frmMain *created = nullptr;
    std::unique_ptr<MainWindowPort> port =
        Main(state, dir.path() + "/", path, [&created](AppState &s) {
            created = new frmMain(s);
            return std::unique_ptr<MainWindowPort>(created);
        });
    QVERIFY(port);
    QVERIFY(created->isVisible());
    QCOMPARE(created->findChild<QLineEdit *>("txtFileName")->text(), path);
    QCOMPARE(created->findChild<QLineEdit *>("txtStroke_0")->text(), "850.");
    QCOMPARE(created->windowTitle(), "M0  Ver1.05    M1    M2");
    QVERIFY(!state.settings.OpenEditorOnEnd);
    QVERIFY(!created->DataChanged());
}

// Copying the English message file over the Japanese one must translate
// every caption of the window, the two buttons with design captions included.
void TestMainWindow::englishMessageFileLeavesNoJapanese()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString app = dir.path() + "/";
    QVERIFY(QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/lang/en/Quillmark.mes"),
                        app + "Quillmark.mes"));
    FakeDialogs fake;
    FileOps files;
    AppState state(fake, files);
    QVERIFY(InitApplication(state, app));
    frmMain window(state);
    window.ShowWindow();
    auto japanese = [](const QString &text) {
        for (QChar c : text)
            if (c.unicode() >= 0x3000)
                return true;
        return false;
    };
    QVERIFY2(!japanese(window.windowTitle()), qPrintable(window.windowTitle()));
    for (QAbstractButton *b : window.findChildren<QAbstractButton *>())
        QVERIFY2(!japanese(b->text()), qPrintable(b->objectName() + ": " + b->text()));
    for (QLabel *l : window.findChildren<QLabel *>())
        QVERIFY2(!japanese(l->text()), qPrintable(l->objectName() + ": " + l->text()));
    QCOMPARE(fake.boxes.size(), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
