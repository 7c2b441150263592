// The attachment editor driven through its real widgets, with scripted dialogs.
#include "platform/FakeDialogs.h"
#include "ui/editor/PictureBox.h"
#include "ui/editor/frmEditor.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

const QColor kViewBack(0xE0, 0xE0, 0xE0);
const QColor kOffBack(0xC0, 0xC0, 0xC0);
const QColor kWhite(0xFF, 0xFF, 0xFF);

AttachmentRecord Record(std::int32_t number, const QList<float> &widths, const QList<float> &heights,
                        const QString &name = QString())
{
    AttachmentRecord r;
    r.Number = number;
    r.ShapeNumber = 1;
    r.ShapeType = 1;
    for (int i = 0; i < widths.size(); ++i)
        r.Width[i] = widths[i];
    for (int i = 0; i < heights.size(); ++i)
        r.Height[i] = heights[i];
    r.AttachName = name;
    return r;
}

bool Same(const AttachmentRecord &a, const AttachmentRecord &b)
{
    return a.Number == b.Number && a.ShapeNumber == b.ShapeNumber && a.ShapeType == b.ShapeType &&
           a.Width == b.Width && a.Height == b.Height && a.AttachName == b.AttachName;
}

bool HasBlack(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == Qt::black)
                return true;
    return false;
}

bool AllOf(const QImage &image, const QColor &color)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != color)
                return false;
    return true;
}

// One editor with its own state: slots 0 and 1 hold attachments 3 and 12.
struct Harness {
    FakeDialogs dialogs;
    FileOps files;
    AppState state{dialogs, files};
    int defChanges = 0;
    QWidget owner;
    std::unique_ptr<frmEditor> editor;

    Harness()
    {
        state.SizeAttachments(10);
        state.messages.Create(60);
        for (int n = 1; n <= 60; ++n)
            state.messages.Set(n, QStringLiteral("M%1").arg(n));
        state.Attachments[0] = Record(3, {4}, {2});
        state.Attachments[1] = Record(12, {10, 20}, {5, 5}, QStringLiteral("ABC"));
        state.Attachments[1].ShapeNumber = 2;
        state.Attachments[1].ShapeType = 2;
        editor = std::make_unique<frmEditor>(state, [this] { ++defChanges; }, &owner);
    }

    // Loads for the hand-over values and shows the window with the focus in it.
    bool Open(int pos, int no)
    {
        state.EditAttachPos = pos;
        state.EditAttachNo = no;
        editor->Load();
        editor->show();
        editor->activateWindow();
        return QTest::qWaitForWindowActive(editor.get());
    }

    QLineEdit *Box(const QString &name) const { return editor->findChild<QLineEdit *>(name); }
    QLineEdit *Width(int i) const { return Box(QStringLiteral("txtWidth_%1").arg(i)); }
    QLineEdit *Hight(int i) const { return Box(QStringLiteral("txtHight_%1").arg(i)); }
    QLineEdit *Number() const { return Box(QStringLiteral("txtAttachNo")); }
    QPushButton *Button(const QString &name) const { return editor->findChild<QPushButton *>(name); }
    PictureBox *View() const { return editor->findChild<PictureBox *>(QStringLiteral("pctbView")); }

    // Replaces a box's text by typing, as the user would.
    void Type(QLineEdit *box, const QString &text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    void Press(const QString &button) { QTest::mouseClick(Button(button), Qt::LeftButton); }
};

}  // namespace

class TestEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void design();
    void newAttachment();
    void existingAttachment();
    void showAnotherNumber();
    void showNumberText_data();
    void showNumberText();
    void typingOneDotFive();
    void keyFilter_data();
    void keyFilter();
    void numberBoxHasNoFilter();
    void leavingStageBox_data();
    void leavingStageBox();
    void stageWithNothingToDrawKeepsOutline();
    void entry_data();
    void entry();
    void entryWithoutSlotWritesNothing();
    void close_data();
    void close();
    void closeWithoutChangesAsksNothing();
    void closeYesInNumberChangedState();
    void dataChangedSurvivesReopening();
    void titleBarCloseDoesNotAsk();
    void openModalLoadsAndReturns();
    void states_data();
    void states();
    void fullTableShow();
};

void TestEditor::design()
{
    Harness h;
    QVERIFY(h.Open(2, 12));
    QCOMPARE(h.editor->windowTitle(), QStringLiteral("M27    M28    M29"));
    QCOMPARE(h.editor->findChild<QLabel *>("Label1")->text(), QStringLiteral("M30"));
    QCOMPARE(h.editor->findChild<QLabel *>("Label2_0")->text(), QStringLiteral("M311M32"));
    QCOMPARE(h.editor->findChild<QLabel *>("Label2_4")->text(), QStringLiteral("M315M32"));
    QCOMPARE(h.editor->findChild<QLabel *>("Label4")->text(), QStringLiteral("M34"));
    QCOMPARE(h.editor->findChild<QLabel *>("Label5")->text(), QStringLiteral("M35"));
    QCOMPARE(h.Button("btnClose")->text(), QStringLiteral("M36"));
    QCOMPARE(h.Button("btnEntry")->text(), QStringLiteral("M37"));
    QCOMPARE(h.Button("btnShow")->text(), QStringLiteral("M38"));

    QCOMPARE(h.editor->size(), QSize(650, 285));
    QCOMPARE(h.editor->minimumSize(), h.editor->maximumSize());
    QVERIFY(!(h.editor->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(h.editor->isModal());
    // The drawing computes in the box's twips.
    QCOMPARE(h.View()->WidthTwips(), 4575);
    QCOMPARE(h.View()->HeightTwips(), 3975);

    const QStringList tabOrder{"pctbView",   "txtAttachNo", "txtWidth_0", "txtHight_0",
                               "txtWidth_1", "txtHight_1",  "txtWidth_2", "txtHight_2",
                               "txtWidth_3", "txtHight_3",  "txtWidth_4", "txtHight_4",
                               "btnEntry",   "btnClose",    "btnShow"};
    QStringList chain;
    QWidget *w = h.View();
    do {
        if (tabOrder.contains(w->objectName()))
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != h.View());
    QCOMPARE(chain, tabOrder);
    for (const QString &name : tabOrder)
        if (QLineEdit *box = h.Box(name))
            QVERIFY2(!box->testAttribute(Qt::WA_InputMethodEnabled), qPrintable(name));
}

void TestEditor::newAttachment()
{
    Harness h;
    h.state.EditAttachment.ShapeType = 0;
    QVERIFY(h.Open(3, 7));
    QCOMPARE(h.editor->EditIndex(), 2);  // the slot after the complete records
    QCOMPARE(h.Number()->text(), QStringLiteral("7"));
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(h.Width(i)->text(), QStringLiteral("0."));
        QCOMPARE(h.Hight(i)->text(), QStringLiteral("0."));
    }
    QVERIFY(AllOf(h.View()->Picture(), kViewBack));

    h.Type(h.Width(0), "10");
    h.Type(h.Hight(0), "5");
    QVERIFY(HasBlack(h.View()->Picture()));
    QVERIFY(h.editor->DataChanged());
    h.Press("btnEntry");

    const AttachmentRecord &s = h.state.Attachments[2];
    QCOMPARE(s.Number, 7);
    QCOMPARE(s.ShapeNumber, std::int16_t(1));
    QCOMPARE(s.ShapeType, std::int16_t(1));
    QCOMPARE(s.Width[0], 10.0f);
    QCOMPARE(s.Height[0], 5.0f);
    QCOMPARE(s.AttachName.str(), QString(20, QLatin1Char(' ')));
    QCOMPARE(h.defChanges, 1);
    QVERIFY(!h.editor->DataChanged());
    QVERIFY(h.editor->isVisible());  // Entry keeps the window open
    QCOMPARE(h.dialogs.boxes.size(), 0);
}

void TestEditor::existingAttachment()
{
    Harness h;
    QVERIFY(h.Open(2, 12));
    QCOMPARE(h.editor->EditIndex(), 1);
    const QStringList widths{"10.", "20.", "0.", "0.", "0."};
    const QStringList heights{"5.", "5.", "0.", "0.", "0."};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(h.Width(i)->text(), widths[i]);
        QCOMPARE(h.Hight(i)->text(), heights[i]);
    }
    QVERIFY(HasBlack(h.View()->Picture()));

    // Name and shape pass through unchanged.
    h.Type(h.Hight(1), "7");
    h.Press("btnEntry");
    AttachmentRecord want = Record(12, {10, 20}, {5, 7}, QStringLiteral("ABC"));
    want.ShapeNumber = 2;
    want.ShapeType = 2;
    QVERIFY(Same(h.state.Attachments[1], want));
    QCOMPARE(h.state.Attachments[0].Number, 3);
}

void TestEditor::showAnotherNumber()
{
    Harness h;
    QVERIFY(h.Open(2, 12));
    h.Type(h.Number(), "3");
    QVERIFY(h.Button("btnShow")->isVisible());
    QVERIFY(!h.Button("btnEntry")->isEnabled());
    h.Press("btnShow");

    QCOMPARE(h.editor->EditIndex(), 0);
    QCOMPARE(h.state.EditAttachment.Number, 3);
    QCOMPARE(h.Width(0)->text(), QStringLiteral("4."));
    QCOMPARE(h.Hight(0)->text(), QStringLiteral("2."));
    QCOMPARE(h.Width(1)->text(), QStringLiteral("0."));
    QVERIFY(!h.Button("btnShow")->isVisible());
    QVERIFY(h.Button("btnEntry")->isEnabled());

    h.Type(h.Width(0), "6");
    h.Press("btnEntry");
    QCOMPARE(h.state.Attachments[0].Width[0], 6.0f);
    QCOMPARE(h.state.Attachments[1].Width[0], 10.0f);
}

void TestEditor::showNumberText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("slot");

    QTest::newRow("12.5 rounds to even 12") << "12.5" << false << 12 << 1;
    QTest::newRow("13.5 rounds to even 14") << "13.5" << false << 14 << 2;
    QTest::newRow("blanks around") << " 3 " << false << 3 << 0;
    QTest::newRow("1 and a point") << "1." << false << 1 << 2;
    QTest::newRow("zero takes the first free slot") << "0" << false << 0 << 2;
    QTest::newRow("negative") << "-4" << false << -4 << 2;
    QTest::newRow("largest 32-bit") << "2147483647" << false << 2147483647 << 2;
    QTest::newRow("empty") << "" << true << 0 << 0;
    QTest::newRow("lone point") << "." << true << 0 << 0;
    QTest::newRow("letters") << "abc" << true << 0 << 0;
    QTest::newRow("two points") << "1..2" << true << 0 << 0;
    QTest::newRow("beyond 32 bits") << "2147483648" << true << 0 << 0;
    QTest::newRow("eleven digits") << "99999999999" << true << 0 << 0;
    QTest::newRow("below 32 bits") << "-2147483649" << true << 0 << 0;
}

void TestEditor::showNumberText()
{
    QFETCH(QString, text);
    QFETCH(bool, refused);
    QFETCH(int, number);
    QFETCH(int, slot);

    Harness h;
    QVERIFY(h.Open(2, 12));
    h.Number()->setFocus();
    h.Number()->setText(text);
    h.Press("btnShow");
    if (refused) {
        QCOMPARE(h.dialogs.texts(), QStringList{"16777215M47"});
        QCOMPARE(h.dialogs.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(h.editor->EditIndex(), 1);
        QCOMPARE(h.state.EditAttachment.Number, 12);
        QVERIFY(h.Button("btnShow")->isVisible());
        QVERIFY(!h.Button("btnEntry")->isEnabled());
        QCOMPARE(QApplication::focusWidget(), h.Number());
    } else {
        QCOMPARE(h.dialogs.boxes.size(), 0);
        QCOMPARE(h.editor->EditIndex(), slot);
        QCOMPARE(h.state.EditAttachment.Number, number);
        QCOMPARE(h.Number()->text(), QString::number(number));
        QVERIFY(!h.Button("btnShow")->isVisible());
    }
}

void TestEditor::typingOneDotFive()
{
    Harness h;
    h.state.Attachments[1] = Record(12, {2}, {4});
    QVERIFY(h.Open(2, 12));
    QLineEdit *box = h.Width(0);
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->text(), QString());
    QCOMPARE(h.state.EditAttachment.Width[0], 2.0f);  // empty text is not stored

    const QList<QPair<char, float>> steps{{'1', 1.0f}, {'.', 1.0f}, {'5', 1.5f}};
    for (const auto &[key, stored] : steps) {
        h.View()->Clear();
        const int before = h.View()->LinesDrawn();
        QTest::keyClick(box, key);
        QCOMPARE(h.state.EditAttachment.Width[0], stored);
        QVERIFY2(h.View()->LinesDrawn() > before, "no redraw after the keystroke");
        QVERIFY(HasBlack(h.View()->Picture()));
    }
    QCOMPARE(box->text(), QStringLiteral("1.5"));
    QCOMPARE(h.dialogs.beeps, 0);
    QVERIFY(h.editor->DataChanged());
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), h.Hight(0));
    QCOMPARE(box->text(), QStringLiteral("1.5"));
}

void TestEditor::keyFilter_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("cursor");  // -1: at the end
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("beeps");

    QTest::newRow("digit") << "12" << -1 << int(Qt::Key_3) << "123" << 0;
    QTest::newRow("point") << "12" << -1 << int(Qt::Key_Period) << "12." << 0;
    QTest::newRow("backspace") << "12" << -1 << int(Qt::Key_Backspace) << "1" << 0;
    QTest::newRow("letter") << "12" << -1 << int(Qt::Key_A) << "12" << 1;
    QTest::newRow("minus") << "12" << -1 << int(Qt::Key_Minus) << "12" << 1;
    QTest::newRow("minus into empty box") << "" << -1 << int(Qt::Key_Minus) << "" << 1;
    QTest::newRow("space") << "12" << -1 << int(Qt::Key_Space) << "12" << 1;
    QTest::newRow("point into empty box") << "" << -1 << int(Qt::Key_Period) << "." << 0;
    // Once the text is no number, every typed key is refused, backspace too.
    QTest::newRow("digit after lone point") << "." << -1 << int(Qt::Key_5) << "." << 1;
    QTest::newRow("digit after two points") << "1.5." << -1 << int(Qt::Key_1) << "1.5." << 1;
    QTest::newRow("backspace after two points") << "1.5." << -1 << int(Qt::Key_Backspace) << "1.5." << 1;
    // Delete and navigation are no typed characters.
    QTest::newRow("delete after two points") << "1.5." << 0 << int(Qt::Key_Delete) << ".5." << 0;
    QTest::newRow("home after two points") << "1.5." << -1 << int(Qt::Key_Home) << "1.5." << 0;
}

void TestEditor::keyFilter()
{
    QFETCH(QString, start);
    QFETCH(int, cursor);
    QFETCH(int, key);
    QFETCH(QString, after);
    QFETCH(int, beeps);

    Harness h;
    QVERIFY(h.Open(2, 12));
    for (QLineEdit *box : {h.Width(2), h.Hight(4)}) {
        h.dialogs.beeps = 0;
        box->setFocus();
        box->setText(start);
        if (cursor >= 0)
            box->setCursorPosition(cursor);
        QTest::keyClick(box, Qt::Key(key));
        QCOMPARE(box->text(), after);
        QCOMPARE(h.dialogs.beeps, beeps);
    }
}

void TestEditor::numberBoxHasNoFilter()
{
    Harness h;
    QVERIFY(h.Open(2, 12));
    h.Type(h.Number(), "a-1");
    QCOMPARE(h.Number()->text(), QStringLiteral("a-1"));
    QCOMPARE(h.dialogs.beeps, 0);
}

void TestEditor::leavingStageBox_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<float>("stored");
    QTest::addColumn<bool>("changed");

    QTest::newRow("more than three decimals") << "2.12345" << "2.123" << 2.12345f << true;
    QTest::newRow("whole number gains its point") << "7" << "7." << 7.0f << true;
    QTest::newRow("blanks around") << " 8 " << "8." << 8.0f << true;
    QTest::newRow("empty keeps the old value") << "" << "" << 10.0f << false;
    QTest::newRow("two points") << "1..2" << "1..2" << 10.0f << false;
    QTest::newRow("pasted letters") << "abc" << "abc" << 10.0f << false;
    QTest::newRow("beyond a Single") << "1e39" << "1e39" << 10.0f << false;
}

void TestEditor::leavingStageBox()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(float, stored);
    QFETCH(bool, changed);

    Harness h;
    QVERIFY(h.Open(2, 12));
    QLineEdit *box = h.Width(0);
    box->setFocus();
    box->setText(text);  // a paste
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), h.Hight(0));
    QCOMPARE(box->text(), shown);
    QCOMPARE(h.state.EditAttachment.Width[0], stored);
    QCOMPARE(h.editor->DataChanged(), changed);
    QCOMPARE(h.dialogs.boxes.size(), 0);
}

void TestEditor::stageWithNothingToDrawKeepsOutline()
{
    Harness h;
    h.state.Attachments[1] = Record(12, {2}, {4});
    h.state.Attachments[2] = Record(20, {}, {}); // nothing to draw
    QVERIFY(h.Open(2, 12));
    const QImage outline = h.View()->Picture();
    QVERIFY(HasBlack(outline));
    h.Type(h.Width(0), "0");
    QCOMPARE(h.state.EditAttachment.Width[0], 0.0f);
    QCOMPARE(h.View()->Picture(), outline);

    // Show clears the box before it draws, so a record with nothing to draw is blank.
    h.Type(h.Number(), "20");
    h.Press("btnShow");
    QCOMPARE(h.editor->EditIndex(), 2);
    QVERIFY(AllOf(h.View()->Picture(), kViewBack));
}

void TestEditor::entry_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<bool>("written");
    QTest::newRow("first stage given") << "10" << "5" << true;
    QTest::newRow("no first height") << "10" << "0" << false;
    QTest::newRow("no first width") << "0" << "5" << false;
    QTest::newRow("only second stage") << "0" << "0" << false;
}

void TestEditor::entry()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(bool, written);

    Harness h;
    QVERIFY(h.Open(3, 7));
    h.Type(h.Width(1), "20");
    h.Type(h.Hight(1), "3");
    h.Type(h.Width(0), width);
    h.Type(h.Hight(0), height);
    const AttachmentSlots before = h.state.Attachments;
    h.Press("btnEntry");

    QCOMPARE(h.state.Attachments[2].Number, written ? 7 : 0);
    QCOMPARE(h.defChanges, written ? 1 : 0);
    QCOMPARE(h.editor->DataChanged(), !written);
    if (!written)
        for (int i = 0; i < h.state.AttachMaxCount; ++i)
            QVERIFY(Same(h.state.Attachments[i], before[i]));
    QCOMPARE(h.dialogs.boxes.size(), 0);
}

void TestEditor::entryWithoutSlotWritesNothing()
{
    Harness h;
    QVERIFY(h.Open(0, 5));  // a position outside the table: no slot chosen
    QCOMPARE(h.editor->EditIndex(), -1);
    h.Type(h.Width(0), "10");
    h.Type(h.Hight(0), "5");
    const AttachmentSlots before = h.state.Attachments;
    h.Press("btnEntry");
    for (int i = 0; i < h.state.AttachMaxCount; ++i)
        QVERIFY(Same(h.state.Attachments[i], before[i]));
    QCOMPARE(h.defChanges, 0);
    QVERIFY(h.editor->DataChanged());

    // Out of range the other way: one past the last slot.
    QVERIFY(h.Open(11, 5));
    QCOMPARE(h.editor->EditIndex(), -1);
}

void TestEditor::close_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("written");
    QTest::newRow("yes enters and closes") << int(MsgAnswer::Yes) << false << true;
    QTest::newRow("no closes") << int(MsgAnswer::No) << false << false;
    QTest::newRow("cancel stays") << int(MsgAnswer::Cancel) << true << false;
}

void TestEditor::close()
{
    QFETCH(int, answer);
    QFETCH(bool, open);
    QFETCH(bool, written);

    Harness h;
    QVERIFY(h.Open(3, 7));
    h.Type(h.Width(0), "10");
    h.Type(h.Hight(0), "5");
    h.dialogs.answers.enqueue(MsgAnswer(answer));
    h.Press("btnClose");

    QCOMPARE(h.dialogs.boxes.size(), 1);
    const FakeDialogs::Box &box = h.dialogs.boxes[0];
    QCOMPARE(box.text, QStringLiteral("M41"));
    QCOMPARE(box.buttons, MsgButtons::YesNoCancel);
    QCOMPARE(box.icon, MsgIcon::Information);
    QCOMPARE(box.defaultButton, MsgAnswer::Yes);
    QCOMPARE(box.title, QStringLiteral("Quillmark"));

    QCOMPARE(h.editor->isVisible(), open);
    QCOMPARE(h.state.Attachments[2].Number, written ? 7 : 0);
    QCOMPARE(h.defChanges, written ? 1 : 0);
    QCOMPARE(h.editor->DataChanged(), !written);
}

void TestEditor::closeWithoutChangesAsksNothing()
{
    Harness h;
    QVERIFY(h.Open(2, 12));
    h.Width(0)->setFocus();
    QTest::keyClick(h.Width(0), Qt::Key_Tab);  // leaving reformats, changes nothing
    h.Press("btnClose");
    QCOMPARE(h.dialogs.boxes.size(), 0);
    QVERIFY(!h.editor->isVisible());
    QCOMPARE(h.defChanges, 0);
}

void TestEditor::closeYesInNumberChangedState()
{
    Harness h;
    QVERIFY(h.Open(3, 7));
    h.Type(h.Width(0), "10");
    h.Type(h.Hight(0), "5");
    h.Type(h.Number(), "99");
    QVERIFY(!h.Button("btnEntry")->isEnabled());
    h.dialogs.answers.enqueue(MsgAnswer::Yes);
    h.Press("btnClose");
    // Yes enters the working copy even though the Entry button is disabled.
    QCOMPARE(h.state.Attachments[2].Number, 7);
    QCOMPARE(h.state.Attachments[2].Width[0], 10.0f);
    QVERIFY(!h.editor->isVisible());
}

void TestEditor::dataChangedSurvivesReopening()
{
    Harness h;
    QVERIFY(h.Open(2, 12));
    h.Type(h.Width(0), "11");
    h.dialogs.answers.enqueue(MsgAnswer::No);
    h.Press("btnClose");
    QVERIFY(!h.editor->isVisible());

    QVERIFY(h.Open(2, 12));
    QVERIFY(h.editor->DataChanged());
    QCOMPARE(h.Width(0)->text(), QStringLiteral("10."));  // the unentered edit is gone
    h.dialogs.answers.enqueue(MsgAnswer::No);
    h.Press("btnClose");
    QCOMPARE(h.dialogs.boxes.size(), 2);

    // Only an Entry that writes clears it.
    QVERIFY(h.Open(2, 12));
    h.Press("btnEntry");
    QVERIFY(!h.editor->DataChanged());
    h.Press("btnClose");
    QCOMPARE(h.dialogs.boxes.size(), 2);
}

void TestEditor::titleBarCloseDoesNotAsk()
{
    Harness h;
    QVERIFY(h.Open(3, 7));
    h.Type(h.Width(0), "10");
    h.Type(h.Hight(0), "5");
    h.editor->close();
    QVERIFY(!h.editor->isVisible());
    QCOMPARE(h.dialogs.boxes.size(), 0);
    QCOMPARE(h.state.Attachments[2].Number, 0);

    // Escape neither closes nor asks; Return presses no button.
    QVERIFY(h.Open(3, 7));
    QTest::keyClick(h.Number(), Qt::Key_Escape);
    QVERIFY(h.editor->isVisible());
    h.Type(h.Width(0), "10");
    h.Type(h.Hight(0), "5");
    QTest::keyClick(h.Hight(0), Qt::Key_Return);
    QTest::keyClick(h.Hight(0), Qt::Key_Escape);
    QVERIFY(h.editor->isVisible());
    QCOMPARE(h.state.Attachments[2].Number, 0);
    QCOMPARE(h.dialogs.boxes.size(), 0);
    QCOMPARE(h.dialogs.beeps, 0);
}

void TestEditor::openModalLoadsAndReturns()
{
    Harness h;
    h.owner.show();
    h.state.EditAttachPos = 2;
    h.state.EditAttachNo = 12;
    bool sawLoaded = false;
    QTimer::singleShot(0, h.editor.get(), [&] {
        sawLoaded = h.editor->isVisible() && h.editor->isModal() &&
                    h.Width(1)->text() == QStringLiteral("20.");
        h.Type(h.Width(0), "11");
        h.dialogs.answers.enqueue(MsgAnswer::Yes);
        h.Press("btnClose");
    });
    h.editor->OpenModal();  // returns once the window has closed
    QVERIFY(sawLoaded);
    QVERIFY(!h.editor->isVisible());
    QCOMPARE(h.state.Attachments[1].Width[0], 11.0f);
    QCOMPARE(h.defChanges, 1);
}

void TestEditor::states_data()
{
    QTest::addColumn<int>("pos");
    QTest::addColumn<bool>("numberTyped");
    QTest::addColumn<bool>("reopenBlank");  // a blank opening after the rest
    QTest::addColumn<bool>("showVisible");
    QTest::addColumn<bool>("entryEnabled");
    QTest::addColumn<QColor>("viewBack");
    QTest::addColumn<bool>("outline");
    QTest::addColumn<bool>("boxesEnabled");
    QTest::addColumn<QColor>("boxBack");  // invalid: the default background

    QTest::newRow("blank") << 0 << false << false << false << true << kViewBack << false << true << QColor();
    QTest::newRow("loaded") << 2 << false << false << false << true << kViewBack << true << true << kWhite;
    QTest::newRow("number changed") << 2 << true << false << true << false << kOffBack << false << false << kOffBack;
    QTest::newRow("blank after number changed")
        << 2 << true << true << false << true << kViewBack << false << true << QColor();
}

void TestEditor::states()
{
    QFETCH(int, pos);
    QFETCH(bool, numberTyped);
    QFETCH(bool, reopenBlank);
    QFETCH(bool, showVisible);
    QFETCH(bool, entryEnabled);
    QFETCH(QColor, viewBack);
    QFETCH(bool, outline);
    QFETCH(bool, boxesEnabled);
    QFETCH(QColor, boxBack);

    Harness h;
    QVERIFY(h.Open(pos, 12));
    if (numberTyped)
        h.Type(h.Number(), "5");
    if (reopenBlank) {
        h.editor->close();
        QVERIFY(h.Open(0, 0));
    }

    QCOMPARE(h.Button("btnShow")->isVisible(), showVisible);
    QCOMPARE(h.Button("btnEntry")->isEnabled(), entryEnabled);
    QCOMPARE(h.View()->isEnabled(), entryEnabled);
    QCOMPARE(h.View()->BackColor(), viewBack);
    QCOMPARE(HasBlack(h.View()->Picture()), outline);
    const QImage shown = h.View()->grab().toImage();
    QCOMPARE(shown.pixelColor(2, 2), viewBack);
    const QColor defaultBack = QApplication::palette(h.Width(0)).color(QPalette::Base);
    for (int i = 0; i < 5; ++i) {
        for (QLineEdit *box : {h.Width(i), h.Hight(i)}) {
            QCOMPARE(box->isEnabled(), boxesEnabled);
            QCOMPARE(box->palette().color(QPalette::Base), boxBack.isValid() ? boxBack : defaultBack);
        }
    }
}

void TestEditor::fullTableShow()
{
    Harness h;
    for (int i = 0; i < 10; ++i)
        h.state.Attachments[i] = Record(i + 1, {float(i + 1)}, {2});
    const AttachmentSlots before = h.state.Attachments;

    QVERIFY(h.Open(10, 10));  // the last slot of a full table loads like any other
    QCOMPARE(h.editor->EditIndex(), 9);
    QCOMPARE(h.Width(0)->text(), QStringLiteral("10."));

    h.Type(h.Number(), "99");
    h.Press("btnShow");
    QCOMPARE(h.dialogs.texts(), QStringList{"M43"});
    QCOMPARE(h.editor->EditIndex(), 9);
    QCOMPARE(h.state.EditAttachment.Number, 10);
    QVERIFY(h.Button("btnShow")->isVisible());
    QVERIFY(!h.Button("btnEntry")->isEnabled());
    for (int i = 0; i < 10; ++i)
        QVERIFY(Same(h.state.Attachments[i], before[i]));

    // A number that is there still loads.
    h.Type(h.Number(), "4");
    h.Press("btnShow");
    QCOMPARE(h.editor->EditIndex(), 3);
    QCOMPARE(h.Width(0)->text(), QStringLiteral("4."));

    // Handed over at load: the window opens in the number-changed state.
    h.editor->close();
    QVERIFY(h.Open(10, 77));
    QCOMPARE(h.dialogs.texts(), (QStringList{"M43", "M43"}));
    QVERIFY(h.Button("btnShow")->isVisible());
    QCOMPARE(h.editor->EditIndex(), 9);
    for (int i = 0; i < 10; ++i)
        QVERIFY(Same(h.state.Attachments[i], before[i]));
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
