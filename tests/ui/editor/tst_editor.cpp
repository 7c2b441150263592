// The attachment editor driven through its real widgets, with scripted dialogs.
#include "FakeDialogs.h"
#include "ui/editor/PictureBox.h"
#include "ui/editor/frmEditor.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

// Records compare field by field, and so do whole tables.
bool operator==(const AttachmentRecord &a, const AttachmentRecord &b)
{
    return a.Number == b.Number && a.ShapeNumber == b.ShapeNumber && a.ShapeType == b.ShapeType &&
           a.Width == b.Width && a.Height == b.Height && a.AttachName == b.AttachName;
}

namespace {

const QColor kViewBack(0xE0, 0xE0, 0xE0);
const QColor kOffBack(0xC0, 0xC0, 0xC0);

AttachmentRecord Record(std::int32_t number, std::array<float, 5> widths, std::array<float, 5> heights,
                        const QString &name = QString(), std::int16_t shape = 1)
{
    AttachmentRecord r{number, shape, shape, widths, heights, {}};
    r.AttachName = name;
    return r;
}

bool HasBlack(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == Qt::black)
                return true;
    return false;
}

// One editor with its own state: slots 0 and 1 hold attachments 3 and 12.
struct Harness {
    FakeDialogs dialogs;
    PosixFileLayer files;
    AppState state{files};
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
        state.Attachments[1] = Record(12, {10, 20}, {5, 5}, QStringLiteral("ABC"), 2);
        editor = std::make_unique<frmEditor>(state, dialogs, [this] { ++defChanges; }, &owner);
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
    QPushButton *Button(const char *name) const { return editor->findChild<QPushButton *>(name); }
    PictureBox *View() const { return editor->findChild<PictureBox *>(QStringLiteral("pctbView")); }
    bool NumberChanged() const { return Button("btnShow")->isVisible() && !Button("btnEntry")->isEnabled(); }

    // Replaces a box's text by typing, as the user would.
    void Type(QLineEdit *box, const QString &text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    void TypeStage(int i, const QString &width, const QString &height)
    {
        Type(Width(i), width);
        Type(Hight(i), height);
    }
    void Press(const char *button) { QTest::mouseClick(Button(button), Qt::LeftButton); }
};

}  // namespace

class TestEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void existingAttachment()
    {
        Harness h;
        QVERIFY(h.Open(2, 12));
        QCOMPARE(h.editor->EditIndex(), 1);
        const QStringList widths{"10.", "20.", "0.", "0.", "0."}, heights{"5.", "5.", "0.", "0.", "0."};
        for (int i = 0; i < 5; ++i)
            QVERIFY(h.Width(i)->text() == widths[i] && h.Hight(i)->text() == heights[i]);
        QVERIFY(HasBlack(h.View()->Picture()));

        // Name and shape pass through unchanged.
        h.Type(h.Hight(1), "7");
        h.Press("btnEntry");
        QVERIFY(h.state.Attachments[1] == Record(12, {10, 20}, {5, 7}, QStringLiteral("ABC"), 2));
        QCOMPARE(h.state.Attachments[0].Number, 3);
    }

    void showNumberText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("slot");  // -1: refused

        QTest::newRow("12.5 rounds to even 12") << "12.5" << 12 << 1;
        QTest::newRow("13.5 rounds to even 14") << "13.5" << 14 << 2;
        QTest::newRow("blanks around") << " 3 " << 3 << 0;
        QTest::newRow("zero takes the first free slot") << "0" << 0 << 2;
        QTest::newRow("negative, typed without beeps") << "-4" << -4 << 2;
        QTest::newRow("empty") << "" << 0 << -1;
        QTest::newRow("letters, typed without beeps") << "abc" << 0 << -1;
        QTest::newRow("beyond 32 bits") << "2147483648" << 0 << -1;
    }

    void showNumberText()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QFETCH(int, slot);
        const bool refused = slot < 0;

        Harness h;
        QVERIFY(h.Open(2, 12));
        h.Type(h.Number(), text);  // the number box has no key filter
        QVERIFY(h.Number()->text() == text && h.dialogs.beeps == 0);
        h.Press("btnShow");
        QCOMPARE(h.dialogs.texts(), refused ? QStringList{"16777215M47"} : QStringList());
        QCOMPARE(h.editor->EditIndex(), refused ? 1 : slot);
        QCOMPARE(h.state.EditAttachment.Number, refused ? 12 : number);
        QCOMPARE(h.NumberChanged(), refused);
        if (refused) {
            QCOMPARE(h.dialogs.boxes[0].icon, MsgIcon::Exclamation);
            QCOMPARE(QApplication::focusWidget(), h.Number());
            return;
        }
        QCOMPARE(h.Number()->text(), QString::number(number));
        QCOMPARE(h.Width(0)->text(), (QStringList{"4.", "10.", "0."}[slot]));
        QCOMPARE(HasBlack(h.View()->Picture()), slot != 2);  // a blank record shows no outline
        QVERIFY(!h.Button("btnShow")->isVisible() && h.Button("btnEntry")->isEnabled());
        h.Type(h.Width(0), "6");
        AttachmentSlots want = h.state.Attachments;
        if (slot != 2)  // the blank record has no first height: Entry writes nothing
            want[slot] = h.state.EditAttachment;
        h.Press("btnEntry");
        QVERIFY(h.state.Attachments == want);
    }

    void typingOneDotFive()
    {
        Harness h;
        h.state.Attachments[1] = Record(12, {2}, {4});
        QVERIFY(h.Open(2, 12));
        QLineEdit *box = h.Width(0);
        h.Type(box, QString());
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
        QCOMPARE(h.dialogs.beeps, 0);
        QVERIFY(h.editor->DataChanged());
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), h.Hight(0));
        QCOMPARE(box->text(), QStringLiteral("1.5"));

        // A stage with nothing to draw leaves the outline as it was.
        const QImage outline = h.View()->Picture();
        h.Type(box, "0");
        QCOMPARE(h.state.EditAttachment.Width[0], 0.0f);
        QCOMPARE(h.View()->Picture(), outline);
    }

    void stageBoxKeys_data()
    {
        QTest::addColumn<QString>("start");  // pasted before the key
        QTest::addColumn<int>("cursor");     // -1: at the end
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<float>("stored");  // 10: the loaded value kept, nothing changed
        auto row = [](const char *name, const char *start, int key, const char *after, int beeps, float stored,
                      int cursor = -1) {
            QTest::newRow(name) << start << cursor << key << after << beeps << stored;
        };

        row("digit", "12", Qt::Key_3, "123", 0, 123);
        row("point", "12", Qt::Key_Period, "12.", 0, 12);
        row("backspace", "12", Qt::Key_Backspace, "1", 0, 1);
        row("letter", "12", Qt::Key_A, "12", 1, 12);
        row("minus", "12", Qt::Key_Minus, "12", 1, 12);
        row("minus into empty box", "", Qt::Key_Minus, "", 1, 10);
        // Once the text is no number, every typed key is refused, backspace too.
        row("digit after lone point", ".", Qt::Key_5, ".", 1, 10);
        row("backspace after two points", "1.5.", Qt::Key_Backspace, "1.5.", 1, 10);
        // Delete is no typed character.
        row("delete after two points", "1.5.", Qt::Key_Delete, ".5.", 0, 10, 0);
        // Leaving the box shows its number in the display form.
        row("more than three decimals", "2.12345", Qt::Key_Tab, "2.123", 0, 2.12345f);
        row("blanks around", " 8 ", Qt::Key_Tab, "8.", 0, 8);
        row("empty keeps the old value", "", Qt::Key_Tab, "", 0, 10);
        row("two points", "1..2", Qt::Key_Tab, "1..2", 0, 10);
        row("beyond a Single", "1e39", Qt::Key_Tab, "1e39", 0, 10);
    }

    void stageBoxKeys()
    {
        QFETCH(QString, start);
        QFETCH(int, cursor);
        QFETCH(int, key);
        QFETCH(QString, after);
        QFETCH(int, beeps);
        QFETCH(float, stored);

        for (bool width : {true, false}) {
            Harness h;
            h.state.Attachments[1] = Record(12, {10, 10, 10, 10, 10}, {10, 10, 10, 10, 10});
            QVERIFY(h.Open(2, 12));
            QLineEdit *box = width ? h.Width(2) : h.Hight(4);
            box->setFocus();
            box->setText(start);
            if (cursor >= 0)
                box->setCursorPosition(cursor);
            QTest::keyClick(box, Qt::Key(key));
            QCOMPARE(box->text(), after);
            QCOMPARE(h.dialogs.beeps, beeps);
            QCOMPARE(width ? h.state.EditAttachment.Width[2] : h.state.EditAttachment.Height[4], stored);
            QCOMPARE(h.editor->DataChanged(), stored != 10.0f);
            QCOMPARE(QApplication::focusWidget() == box, key != Qt::Key_Tab);
            QCOMPARE(h.dialogs.boxes.size(), 0);
        }
    }

    void entry_data()
    {
        QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::newRow("first stage given") << 3 << "10" << "5";
        QTest::newRow("no first height") << 3 << "10" << "0";
        QTest::newRow("no first width") << 3 << "0" << "5";
        // Positions outside the table choose no slot.
        QTest::newRow("position 0") << 0 << "10" << "5";
        QTest::newRow("one past the last slot") << 11 << "10" << "5";
    }

    void entry()
    {
        QFETCH(int, pos);
        QFETCH(QString, width);
        QFETCH(QString, height);
        const bool written = pos == 3 && width != "0" && height != "0";

        Harness h;
        h.state.EditAttachment.ShapeType = 0;
        QVERIFY(h.Open(pos, 7));
        QCOMPARE(h.editor->EditIndex(), pos == 3 ? 2 : -1);
        h.TypeStage(1, "20", "3");
        h.TypeStage(0, width, height);
        const AttachmentSlots before = h.state.Attachments;
        h.Press("btnEntry");
        QCOMPARE(h.state.Attachments[2].Number, written ? 7 : 0);
        if (written)  // a new record gets shape 1 and a blank name
            QVERIFY(h.state.Attachments[2] == Record(7, {10, 20}, {5, 3}, QString(20, QLatin1Char(' '))));
        else
            QVERIFY(h.state.Attachments == before);
        QCOMPARE(h.defChanges, written ? 1 : 0);
        QCOMPARE(h.editor->DataChanged(), !written);
        QVERIFY(h.editor->isVisible());  // Entry keeps the window open
        QCOMPARE(h.dialogs.boxes.size(), 0);
    }

    void close_data()
    {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<bool>("numberTyped");
        QTest::addColumn<QString>("how");  // button, close box or keys
        QTest::addColumn<int>("answer");   // -1: no question
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("written");
        const QString button("btnClose");
        QTest::newRow("yes enters and closes") << true << false << button << int(MsgAnswer::Yes) << false << true;
        QTest::newRow("no closes") << true << false << button << int(MsgAnswer::No) << false << false;
        QTest::newRow("cancel stays") << true << false << button << int(MsgAnswer::Cancel) << true << false;
        // Yes enters the working copy even though the Entry button is disabled.
        QTest::newRow("yes, number changed") << true << true << button << int(MsgAnswer::Yes) << false << true;
        // Leaving a box reformats its text but changes nothing.
        QTest::newRow("unchanged asks nothing") << false << false << button << -1 << false << false;
        QTest::newRow("close box asks nothing") << true << false << "box" << -1 << false << false;
        // Escape neither closes nor asks; Return presses no button.
        QTest::newRow("Return and Escape") << true << false << "keys" << -1 << true << false;
    }

    void close()
    {
        QFETCH(bool, edited);
        QFETCH(bool, numberTyped);
        QFETCH(QString, how);
        QFETCH(int, answer);
        QFETCH(bool, open);
        QFETCH(bool, written);

        Harness h;
        QVERIFY(h.Open(3, 7));
        h.Width(0)->setFocus();
        if (edited)
            h.TypeStage(0, "10", "5");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (numberTyped)
            h.Type(h.Number(), "99");
        if (answer >= 0)
            h.dialogs.answers.enqueue(MsgAnswer(answer));
        if (how == "box") {
            h.editor->close();
        } else if (how == "keys") {
            QTest::keyClick(h.Number(), Qt::Key_Escape);
            QTest::keyClick(h.Hight(0), Qt::Key_Return);
            QTest::keyClick(h.Hight(0), Qt::Key_Escape);
        } else {
            h.Press("btnClose");
        }

        QCOMPARE(h.dialogs.texts(), answer >= 0 ? QStringList{"M41"} : QStringList());
        for (const FakeDialogs::Box &b : h.dialogs.boxes)
            QVERIFY(b.buttons == MsgButtons::YesNoCancel && b.icon == MsgIcon::Information &&
                    b.defaultButton == MsgAnswer::Yes && b.title == "Quillmark");
        QCOMPARE(h.editor->isVisible(), open);
        QCOMPARE(h.state.Attachments[2].Number, written ? 7 : 0);
        QCOMPARE(h.state.Attachments[2].Width[0], written ? 10.0f : 0.0f);
        QCOMPARE(h.defChanges, written ? 1 : 0);
        QCOMPARE(h.editor->DataChanged(), edited && !written);
        QCOMPARE(h.dialogs.beeps, 0);
    }

    void dataChangedSurvivesReopening()
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

        // Only an Entry that writes clears it. OpenModal loads and returns once closed.
        h.owner.show();
        h.state.EditAttachPos = 1;
        h.state.EditAttachNo = 3;
        bool loaded = false;
        QTimer::singleShot(0, h.editor.get(), [&] {
            loaded = h.editor->isVisible() && h.editor->isModal() && h.Width(0)->text() == "4.";
            h.Press("btnEntry");
            h.Press("btnClose");
        });
        h.editor->OpenModal();
        QVERIFY(loaded);
        QVERIFY(!h.editor->isVisible() && !h.editor->DataChanged());
        QCOMPARE(h.dialogs.boxes.size(), 2);
        QCOMPARE(h.defChanges, 1);
    }

    void states_data()
    {
        QTest::addColumn<int>("pos");
        QTest::addColumn<bool>("numberTyped");
        QTest::addColumn<bool>("reopenBlank");  // a blank opening after the rest
        QTest::addColumn<bool>("on");           // Entry, view and stage boxes enabled
        QTest::addColumn<bool>("outline");
        QTest::addColumn<QColor>("boxBack");  // invalid: the default background

        const QColor white(0xFF, 0xFF, 0xFF);
        QTest::newRow("blank") << 0 << false << false << true << false << QColor();
        QTest::newRow("loaded") << 2 << false << false << true << true << white;
        QTest::newRow("number changed") << 2 << true << false << false << false << kOffBack;
        QTest::newRow("blank after number changed") << 2 << true << true << true << false << QColor();
    }

    void states()
    {
        QFETCH(int, pos);
        QFETCH(bool, numberTyped);
        QFETCH(bool, reopenBlank);
        QFETCH(bool, on);
        QFETCH(bool, outline);
        QFETCH(QColor, boxBack);

        Harness h;
        QVERIFY(h.Open(pos, 12));
        if (numberTyped)
            h.Type(h.Number(), "5");
        if (reopenBlank) {
            h.editor->close();
            QVERIFY(h.Open(0, 0));
        }
        const QColor viewBack = on ? kViewBack : kOffBack;
        QCOMPARE(h.Button("btnShow")->isVisible(), !on);
        QCOMPARE(h.Button("btnEntry")->isEnabled(), on);
        QCOMPARE(h.View()->isEnabled(), on);
        QCOMPARE(h.View()->BackColor(), viewBack);
        QCOMPARE(HasBlack(h.View()->Picture()), outline);
        QCOMPARE(h.View()->grab().toImage().pixelColor(2, 2), viewBack);
        const QColor defaultBack = QApplication::palette(h.Width(0)).color(QPalette::Base);
        for (int i = 0; i < 5; ++i) {
            for (QLineEdit *box : {h.Width(i), h.Hight(i)}) {
                QCOMPARE(box->isEnabled(), on);
                QVERIFY(!box->testAttribute(Qt::WA_InputMethodEnabled));  // no input method in number boxes
                QCOMPARE(box->palette().color(QPalette::Base), boxBack.isValid() ? boxBack : defaultBack);
            }
        }
    }

    void fullTableShow()
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
        QVERIFY(h.NumberChanged());
        QVERIFY(h.state.Attachments == before);

        // A number that is there still loads.
        h.Type(h.Number(), "4");
        h.Press("btnShow");
        QCOMPARE(h.editor->EditIndex(), 3);
        QCOMPARE(h.Width(0)->text(), QStringLiteral("4."));

        // Handed over at load: the window opens in the number-changed state.
        h.editor->close();
        QVERIFY(h.Open(10, 77));
        QCOMPARE(h.dialogs.texts(), (QStringList{"M43", "M43"}));
        QVERIFY(h.NumberChanged());
        QCOMPARE(h.editor->EditIndex(), 9);
        QVERIFY(h.state.Attachments == before);
    }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
