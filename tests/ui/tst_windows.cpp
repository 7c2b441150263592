// The main window and the attachment editor driven as a user drives them (temporary program folder, scripted
// dialogs), and their outline drawing, as scenarios (Scenario.h, which also lists the steps on files and dialogs).
// The window's own steps, one example each:
//   ini [Comfig]\r\nATTACH MAX COUNT=3   first step only: the settings file's bytes, "%81" for any byte
//   english                          the shipped English message file instead of the names
// Actions:
//   load s.mtl                       a copy of the example file, loaded (no name: sample.mtl)
//   setfile f.mtl NAME = F\r\n       the file name set, as the file box does, to a file of these bytes if given
//   type txtStroke_0 12a             the box cleared and typed into; "fill txtStroke_0 12": and Tab after
//   set txtWidth_0 25                the box's text set, no keys
//   focus txtMachineName, key Tab Ctrl+Z, click btnEntry, close (the active window's close box)
//   pick 0, dclick 0                 a row of the attachment list clicked, double-clicked
//   delete 0, edit 0                 a row picked, then Delete, Edit clicked
//   add 3/abc                        Add clicked, its number prompts answered in turn
//   choose sub/b.mtl                 the file button clicked, its dialog answered; "choose ": cancelled
//   drop sub/C.MTL,sub/b.mtl         files dropped on the file frame; "drop text x": a text
//   real, real close                 the window's own editor from then on: stage 1 25 by 25, Entry, Close; Close
//   real peek                        the same, telling after Entry: "entered, changed 1, copy kept" (an event)
//   open 2 12, show 12.5             an editor of the test's own on the window: slot 2, number 12; a number shown
//   setini Init Dir=/elsewhere/      a settings value written
// Checks:
//   events: editor 3 at 3, end       editor runs, text editor starts, ends, refused drops
//   inputs: [AddNumberPrompt]|[AttachmentNumber]|   every number prompt: prompt|title|default text
//   request: [OpenDialogTitle] ... .mtl a.mtl @   the file dialog: title filter extension name folder
//   title: s.mtl* - [TitleProduct]  Ver1.05 ...   the main window's title
//   fields: 850.,500.,...,1,WAIT     the 17 number boxes, machine name, initial attachment, ATC type
//   text txtStroke_0: 9.             a widget's property: also enabled, visible, toolTip, accessibleDescription
//   focus: txtCngTime, initial: 7, index: 1 (the editor's slot)
//   changed: 1, echanged: 1          the main window's unsaved mark, the editor's
//   rows: 01,02,05, row: -1          the attachment list's numbers, its selected row; "tip 1:" a row's tooltip
//   mark, as marked: 1               the table, its slots and the list's lines noted; all bit for bit as noted
//   marks: txtStroke_2,row 0         the fields and rows with a hint's sign
//   line 2: ATTACHMENT03 = SQUARE/25.,25.   a list row's text ("none")
//   slots: 3 1/1 4 2 | 7 1/1 10 5    the table's used slots: number type/shape widths heights name
//   work: 5 1/1 60,100 150,60 X      the editor's attachment while it is shown, else the selected row's
//   stored txtWidth_0: 1.5           the value the editor holds for a stage box
//   stages: 0 #c0c0c0                the ten stage boxes: enabled, background, "unreadable" disabled text; "mixed"
//   drawn: 1, drawn box: 16,0 105x117   anything on the shown outline; where
//   redrawn: 1, painted: #e0e0e0     the outline drawn since the last "redrawn"; its background on screen
//   sharp: one pixel, margin: clear  outline lines one device pixel wide; texts 5 pixels or more from box edges
//   ime: txtMachineName, japanese:   the line edits with an input method; the widgets that show Japanese
//   ini Init Dir: @, settings: as given      a settings value; the settings file untouched

#include "Scenario.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "model/Recovery.h"
#include "ui/editor/OutlineDraw.h"
#include "ui/editor/PictureBox.h"
#include "ui/editor/frmEditor.h"
#include "ui/main/frmMain.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/time.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace {
const QStringList kBoxes = QString("txtStroke_0 txtStroke_1 txtStroke_2 txtCngTime txtMaxFeedAll txtMaxFeedXYZ_0 "
                                   "txtMaxFeedXYZ_1 txtMaxFeedXYZ_2 txtMaxAcceleXYZ_0 txtMaxAcceleXYZ_1 txtMaxAcceleXYZ_2 txtRapidFeedXYZ_0 "
                                   "txtRapidFeedXYZ_1 txtRapidFeedXYZ_2 txtRapidAcceleXYZ_0 txtRapidAcceleXYZ_1 txtRapidAcceleXYZ_2")
                               .split(' ');

QString Record(const AttachmentRecord &r)  // "number type/shape widths heights name", stages to the last not 0
{
    auto stages = [](const std::array<float, 5> &s) {
        return Join(s, [](float v) { return QString::number(v); }).remove(QRegularExpression("(,0)*$"));
    };
    return QString("%1 %2/%3 %4 %5 %6").arg(QString::number(r.Number), QString::number(r.ShapeType), QString::number(r.ShapeNumber), stages(r.Width), stages(r.Height), r.AttachName.str()).trimmed();
}

double Luminance(const QColor &c)  // relative, plus the 0.05 of a contrast ratio
{
    auto f = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * f(c.redF()) + 0.7152 * f(c.greenF()) + 0.0722 * f(c.blueF()) + 0.05;
}

struct Recorder : Canvas {  // lines as text, so that a comparison shows the first wrong one
    QSize size;
    QStringList lines;
    int WidthTwips() const override { return size.width(); }
    int HeightTwips() const override { return size.height(); }
    void Clear() override { lines << "clear"; }
    void Line(float a, float b, float c, float d) override { lines << QString::asprintf("%g %g %g %g", a, b, c, d); }
};

bool Activate(QWidget *w) { return w->show(), QApplication::setActiveWindow(w), QTest::qWaitForWindowActive(w); }

struct Harness : FileScenario {
    QByteArray ini;
    std::unique_ptr<frmMain> win;
    frmEditor *editor = nullptr;  // an editor of our own on the main window
    std::function<void(const frmEditor::Request &)> realEditor, editorScript;
    qsizetype linesSeen = 0;   // outline lines the last "redrawn" saw
    int refills = 0;           // the document's attachment changes told since the last "refills"
    MachineTable markedTable;  // the table, its slots and the list's lines when "mark" was done
    AttachmentSlots markedSlots;
    QStringList markedLines;
    QStringList lines() const
    {
        QStringList all;
        for (int row = 0; row < list()->model()->rowCount(); ++row) all << line(row);
        return all;
    }

    Harness(const QByteArray &ini, const QByteArray &mes) : ini(ini)
    {
        // A settings file beside the program keeps the user's own untouched.
        if (!WriteBytes(path("Quillmark.mes"), mes) || !WriteBytes(path("Quillmark.ini"), ini) ||
            !InitApplication(state, fake, path("")))
            return;
        win = std::make_unique<frmMain>(state, fake);
        realEditor = std::exchange(win->openEditor, [this](const frmEditor::Request &r) {
            events << QString("editor %1 at %2").arg(r.number).arg(r.position);
            editorScript ? editorScript(r) : void();
        });
        win->startEditor = [this](const QString &program, const QStringList &arguments) {
            events << "start " + program + '|' + arguments.join('|') + '|' + ReadIniValue(state, "Config", "Init Dir");
            return false;  // the program ends all the same
        };
        win->endProgram = [this] { events << "end"; };
        QObject::connect(&win->Doc(), &Document::AttachmentsChanged, [this] { ++refills; });
        win->ShowWindow();
        win.reset(Activate(win.get()) ? win.release() : nullptr);
    }
    bool ready() const override { return win != nullptr; }
    QWidget *root() const { return QApplication::activeModalWidget() ? QApplication::activeModalWidget() : win.get(); }
    QWidget *widget(const QString &n) const
    {
        return n == "frmEditor" ? editor : n == "frmMain" ? win.get()
                                                          : root()->findChild<QWidget *>(n);
    }
    QListView *list() const { return win->findChild<QListView *>("lstAttach"); }
    QTreeView *diffs() const { return win->findChild<QTreeView *>("lstDifferences"); }
    QMenu *recentMenu() const  // filled as when it drops down
    {
        auto *menu = win->findChild<QMenu *>("menuRecent");
        emit menu->aboutToShow();
        return menu;
    }
    QString line(int row) const { return list()->model()->index(row, 0).data().toString(); }  // null outside
    QPoint rowAt(const QString &row) const { return list()->visualRect(list()->model()->index(row.toInt(), 0)).center(); }

    bool act(const QString &verb, const QString &arg) override
    {
        if (const std::optional<bool> done = fileAct(verb, arg))
            return *done;
        if (verb == "fill" || verb == "show")
            return verb == "fill" ? act("type", arg) && act("key", "Tab")
                                  : act("type", "txtAttachNo " + arg) && act("click", "btnShow");
        if (verb == "delete" || verb == "edit")
            return act("pick", arg) && act("click", verb == "delete" ? "btnDel" : "btnEdit");
        const QString name = arg.section(' ', 0, 0), rest = arg.section(' ', 1), file = name.isEmpty() ? "" : path(name);
        const QString copy = path(arg.isEmpty() ? "sample.mtl" : arg);
        auto *box = qobject_cast<QLineEdit *>(widget(name));
        bool ok = true;
        const std::map<QString, std::function<void()>> verbs{
            {"load", [&] {
                 QDir().mkpath(QFileInfo(copy).path()), WriteBytes(copy, ReadBytes(kSample));
                 win->SetFileName(copy);
             }},
            {"setfile", [&] { (rest.isEmpty() || act("write", arg)), win->SetFileName(file); }},
            {"type", [&] { box->setFocus(Qt::TabFocusReason), box->clear(), QTest::keyClicks(box, rest); }},
            {"set", [&] { box->setFocus(Qt::TabFocusReason), box->setText(rest); }},
            {"focus", [&] { widget(arg)->setFocus(Qt::TabFocusReason); }},
            {"key", [&] {
                 QCoreApplication::processEvents();  // a window activated after a modal one has closed
                 for (const QKeySequence k : arg.split(' '))
                     QTest::keyClick(QApplication::focusWidget(), k[0].key(), k[0].keyboardModifiers());
             }},
            {"click", [&] { QTest::mouseClick(widget(arg), Qt::LeftButton); }},
            {"pick", [&] { QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowAt(arg)); }},
            {"dclick", [&] { QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, rowAt(arg)); }},
            {"add", [&] { fake.inputAnswers << arg.split('/'), QTest::mouseClick(widget("btnAdd"), Qt::LeftButton); }},
            {"choose", [&] { fake.fileAnswers << file, QTest::mouseClick(widget("cmdFile"), Qt::LeftButton); }},
            {"compare", [&] { fake.fileAnswers << file, QTest::mouseClick(widget("btnCompare"), Qt::LeftButton); }},
            {"take", [&] {  // the rows selected, then Take over
                 diffs()->selectionModel()->clearSelection();
                 for (const QString &r : arg.split(','))
                     diffs()->selectionModel()->select(diffs()->model()->index(r.toInt(), 0),
                                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
                 QTest::mouseClick(widget("btnTakeOver"), Qt::LeftButton);
             }},
            {"current", [&] {  // the comparison's current row, nothing selected by it
                 diffs()->selectionModel()->setCurrentIndex(diffs()->model()->index(arg.toInt(), 0),
                                                            QItemSelectionModel::NoUpdate);
             }},
            {"away", [&] { QApplication::setActiveWindow(nullptr); }},  // the user is in another program
            {"touch", [&] { ok = QFile(file).open(QIODevice::Append) && ::utimes(EncodeName(file).constData(), nullptr) == 0; }},
            {"rewrite", [&] { ok = WriteBytes(file, ReadBytes(file)); }},  // the same bytes, in place
            {"unlink", [&] { ok = QFile::remove(file); }},
            {"watch", [&] { win->Doc().Watch().SetEventsEnabled(arg == "on"); }},
            {"recent", [&] {  // the n-th entry picked
                 QAction *entry = recentMenu()->actions().value(arg.toInt() - 1);
                 ok = entry != nullptr;
                 ok ? entry->trigger() : void();
             }},
            {"front", [&] { QCoreApplication::processEvents(), ok = Activate(widget(arg)); }},  // back to a window
            {"activate", [&] {                                                                  // a row of the comparison, by Return
                 diffs()->setCurrentIndex(diffs()->model()->index(arg.toInt(), 0));
                 QTest::keyClick(diffs(), Qt::Key_Return);
             }},
            {"drop", [&] {
                 QMimeData mime;
                 for (const QString &f : arg.split(','))
                     name == "text" ? mime.setText(f) : mime.setUrls(mime.urls() << QUrl::fromLocalFile(path(f)));
                 QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
                 QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
                 QApplication::sendEvent(widget("framFile"), &enter), QApplication::sendEvent(widget("framFile"), &drop);
                 events << (enter.isAccepted() ? QStringList() : QStringList{"drag refused"});
             }},
            {"close", [&] { QCoreApplication::processEvents(), root()->close(); }},
            {"real", [&] {
                 editorScript = [this, enter = arg != "close", peek = arg == "peek"](const frmEditor::Request &r) {
                     QTimer::singleShot(0, [this, enter, peek] {
                         if (enter) act("set", "txtWidth_0 25"), act("set", "txtHight_0 25"), act("click", "btnEntry");
                         if (peek) events << "entered, changed " + observe("changed", "") + ", copy " +
                                                 (observe("copy", win->Doc().Current().Name()) == "none" ? "none" : "kept");
                         act("click", "btnClose");
                     });
                     realEditor(r);
                 };
             }},
            {"setini", [&] { WriteIniValue(state, "Config", arg.section('=', 0, 0), arg.section('=', 1)); }},
            {"mark", [&] { markedTable = win->Doc().Table(), markedSlots = win->Doc().Attachments(), markedLines = lines(); }},
            {"open", [&] {
                 editor = editor ? editor : new frmEditor(state, fake, win.get());
                 Document &doc = win->Doc();
                 editor->Load({&doc.Attachments(), &doc.Table(), name.toInt(), rest.toInt(),
                               [&doc](int slot, auto &r) { return doc.PutAttachment(slot, r, "entry"); }});
                 ok = Activate(editor);
             }}};
        verbs.count(verb) ? verbs.at(verb)() : void(ok = false);
        return ok;
    }

    QString observe(const QString &name, const QString &arg) override
    {
        if (const std::optional<QString> seen = fileObserve(name, arg))
            return *seen;
        auto yes = [](bool b) { return QString::number(int(b)); };
        auto number = [](double v) { return QString::number(v); };
        auto *view = root()->findChild<PictureBox *>(root() == win.get() ? "pictView" : "pctbView");
        const std::map<QString, std::function<QString()>> checks{
            {"fields", [&] {
                 return Join(kBoxes + QStringList{"txtMachineName", "txtAttachInit", "cmbAtcType"}, [&](auto &b) {
                     return widget(b)->property(b[0] == 'c' ? "currentText" : "text").toString() + "";  // none left out
                 });
             }},
            {"stages", [&] {
                 QStringList all;
                 for (QLineEdit *b : editor->findChildren<QLineEdit *>(QRegularExpression("^txt(Width|Hight)_"))) {
                     const QPalette p = b->palette();  // disabled text against its background: 4.5:1 at least
                     const double r = Luminance(p.color(QPalette::Disabled, QPalette::Text)) /
                                      Luminance(p.color(QPalette::Disabled, QPalette::Base));
                     all << yes(b->isEnabled()) + ' ' + p.color(QPalette::Base).name() +
                                (std::max(r, 1 / r) < 4.5 ? " unreadable" : "");
                 }
                 all.removeDuplicates();
                 return all.size() == 1 ? all[0] : "mixed";
             }},
            {"japanese", [&] {
                 return Join(win->findChildren<QWidget *>() + QList<QWidget *>{win.get()}, [&](QWidget *c) {
                     const QString text = c->property(c == win.get() ? "windowTitle" : "text").toString();
                     return text.contains(QRegularExpression("[\\x{3000}-\\x{ffff}]")) ? c->objectName() : QString();
                 });
             }},
            {"drawn", [&, p = view->Picture()] {
                 QRect r;
                 for (int y = 0; y < p.height(); ++y)
                     for (int x = 0; x < p.width(); ++x)
                         r |= p.pixelColor(x, y) == view->BackColor() ? QRect() : QRect(x, y, 1, 1);
                 return arg.isEmpty() ? yes(!r.isNull())
                                      : QString::asprintf("%d,%d %dx%d", r.x(), r.y(), r.width(), r.height());
             }},
            {"unnamed", [&] {  // the controls of a window that a screen reader could not name
                 return Join(widget(arg)->findChildren<QWidget *>(), [](QWidget *w) {
                     const QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
                     const bool named = !a || !a->text(QAccessible::Name).isEmpty();
                     return (w->focusPolicy() & Qt::TabFocus) && w->isVisible() && !named
                                ? QString(w->metaObject()->className())
                                : QString();
                 });
             }},
            {"notice", [&] {  // what the strip tells, once it tells anything (at most 10 s)
                 QElapsedTimer clock;
                 clock.start();
                 while (!widget("fileNotice")->isVisible() && clock.elapsed() < 10000)
                     QTest::qWait(20);
                 return widget("lblNotice")->isVisible() ? widget("lblNotice")->property("text").toString() : "";
             }},
            {"recent", [&] {  // the recent list as it drops down: each entry, "off" when it cannot be picked
                 return Join(recentMenu()->actions(), [](QAction *a) {
                     return a->text().section("  ", 1) + (a->isEnabled() ? "" : " off");
                 });
             }},
            {"unlabelled", [&] {  // input fields whose label a screen reader would find without a name
                 return Join(widget(arg)->findChildren<QLineEdit *>(), [](QLineEdit *field) {
                     for (const auto &[label, relation] :
                          QAccessible::queryAccessibleInterface(field)->relations(QAccessible::Label))
                         if (!label->text(QAccessible::Name).isEmpty())
                             return QString();
                     return field->objectName();
                 });
             }},
            {"refills", [&] { return number(std::exchange(refills, 0)); }},
            {"differences", [&] {  // the comparison's rows: "what: this window -> the other file"
                 auto *m = diffs()->model();
                 QStringList all;
                 for (int r = 0; r < m->rowCount(); ++r)
                     all << m->index(r, 0).data().toString() + ": " + m->index(r, 1).data().toString() + " -> " +
                                m->index(r, 2).data().toString();
                 return all.join(", ");
             }},
            {"rows", [&] {
                 QStringList numbers;
                 for (int row = 0; row < list()->model()->rowCount(); ++row) numbers << line(row).section(' ', 0, 0).mid(10);
                 return numbers.join(',');
             }},
            {"slots", [&] {
                 return Join(
                     win->Doc().Attachments(), [](auto &r) { return r.Number ? Record(r) : QString(); }, " | ");
             }},
            {"inputs", [&] {
                 return Join(
                     fake.inputs, [](auto &i) { return i.prompt + '|' + i.title + '|' + i.defaultText; }, ", ");
             }},
            {"request", [&, r = fake.openRequests.value(0)] {
                 return QStringList{r.title, r.filter, r.defaultExtension, r.fileName, r.directory}.join(' ');
             }},
            {"ini", [&] { return ReadIniValue(state, "Config", arg); }},
            {"ime", [&] {
                 return Join(root()->findChildren<QLineEdit *>(), [](QLineEdit *e) { return e->testAttribute(Qt::WA_InputMethodEnabled) ? e->objectName() : QString(); });
             }},
            {"painted", [&] { return view->grab().toImage().pixelColor(2, 2).name(); }},
            {"sharp", [&] {  // at the screen's pixel ratio, no line blurred nor two pixels wide
                 const QImage g = view->grab().toImage();
                 auto black = [&](int x, int y) { return g.pixelColor(x, y) == Qt::black; };
                 for (int y = 0; y + 1 < view->Picture().height(); ++y)
                     for (int x = 0; x + 1 < view->Picture().width(); ++x)
                         if ((!black(x, y) && g.pixelColor(x, y) != view->BackColor()) ||
                             (black(x, y) && black(x + 1, y) && black(x, y + 1) && black(x + 1, y + 1)))
                             return QString("not at %1,%2").arg(x).arg(y);
                 return QString("one pixel");
             }},
            {"margin", [&] {  // 5 pixels at the screen's scale
                 for (QLineEdit *box : root()->findChildren<QLineEdit *>()) {
                     const QImage g = box->grab().toImage();  // past the frame, into the box's background
                     for (int y = g.height() / 4, x = 0; y < g.height() * 3 / 4 && box->isVisible(); ++y, x = 0) {
                         while (x < g.width() && g.pixelColor(x, y) != box->palette().color(QPalette::Base))
                             ++x;
                         for (; x < 5 * g.devicePixelRatio(); ++x)
                             if (qGray(g.pixel(x, y)) < 96)
                                 return box->objectName() + " at " + number(x / g.devicePixelRatio());
                     }
                 }
                 return QString("clear");
             }},
            {"redrawn", [&] { return yes(std::exchange(linesSeen, view->LinesDrawn()) < view->LinesDrawn()); }},
            {"changed", [&] { return yes(win->DataChanged()); }},
            {"outlined", [&] {  // anything drawn on a comparison's picture
                 auto *box = root()->findChild<PictureBox *>(arg);
                 const QImage p = box->Picture();
                 for (int y = 0; y < p.height(); ++y)
                     for (int x = 0; x < p.width(); ++x)
                         if (p.pixelColor(x, y) != box->BackColor()) return yes(true);
                 return yes(false);
             }},
            {"echanged", [&] { return yes(editor->DataChanged()); }},
            {"focus", [&] { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : ""; }},
            {"initial", [&] { return number(win->Doc().Table().IniAttachment); }},
            {"line", [&] { return line(arg.toInt()).isNull() ? "none" : line(arg.toInt()); }},
            {"row", [&] { return number(list()->currentIndex().row()); }},
            {"index", [&] { return number(editor->EditIndex()); }},
            {"work", [&] {
                 if (editor && editor->isVisible()) return Record(editor->EditAttachment());
                 const auto &table = win->Doc().Attachments();
                 for (int i = 0; list()->currentIndex().isValid() && i < int(table.size()); ++i)
                     if (FormatAttachLine(table, i) == list()->currentIndex().data().toString()) return Record(table[i]);
                 return QString("none");
             }},
            {"stored", [&] {
                 const AttachmentRecord &w = editor->EditAttachment();
                 return number((arg.startsWith("txtWidth") ? w.Width : w.Height)[arg.right(1).toInt()]);
             }},
            {"settings", [&] { return ReadBytes(path("Quillmark.ini")) == ini ? "as given" : "changed"; }},
            {"title", [&] { return win->windowHandle()->title(); }},
            {"as", [&] {  // "as marked": bit for bit
                 const AttachmentSlots &now = win->Doc().Attachments();
                 const bool same = BitEqual(win->Doc().Table(), markedTable) && now.size() == markedSlots.size() &&
                                   std::equal(now.begin(), now.end(), markedSlots.begin(),
                                              [](auto &a, auto &b) { return BitEqual(a, b); });
                 return yes(same && lines() == markedLines);
             }},
            {"marks", [&] {  // the fields with a hint's sign beside them, then the rows with one
                 QStringList all;
                 for (QLabel *sign : win->findChildren<QLabel *>(QRegularExpression("_hint$")))
                     if (sign->isVisible()) all << sign->objectName().chopped(5);
                 all.sort();
                 for (int row = 0; row < list()->model()->rowCount(); ++row)
                     if (!list()->model()->index(row, 0).data(Qt::AccessibleDescriptionRole).toString().isEmpty())
                         all << "row " + number(row);
                 return all.join(',');
             }},
            {"tip", [&] {  // the tooltip a pause over a row of the list shows
                 const QPoint at = rowAt(arg);
                 QHelpEvent help(QEvent::ToolTip, at, list()->viewport()->mapToGlobal(at));
                 QApplication::sendEvent(list()->viewport(), &help);
                 return QToolTip::isVisible() ? QToolTip::text() : QString("none");
             }}};
        if (checks.count(name))
            return checks.at(name)();
        QWidget *w = widget(arg);  // else a property of a widget
        return w && w->property(name.toLatin1()).isValid() ? w->property(name.toLatin1()).toString() : "no such check";
    }
};

}  // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void outline_data()
    {
        // The outline: box, centre, each stage's half width, heights from the base up.
        Columns<QList<float>, QList<float>, QList<double>>("widths", "heights", "outline");
        auto row = [](const char *name, QList<float> w, QList<float> h, QList<double> lines, QSize box = {4575, 3975}) {
            QTest::newRow(name) << w << h << QList<double>{double(box.width()), double(box.height())} + lines;
        };
        // The editor's box: centre 2288 (2287.5 to even), base 3578; 10/20/20 high 15: scale min(3660/20, 3180/15).
        row("three stages", {10, 20, 20}, {5, 5, 5}, {2288, 915, 1830, 1830, 3578, 2663, 1748, 833});
        row("narrower stage ends it, for the scale too", {30, 20, 40}, {10, 10, 10}, {2288, 1830, 3578, 2358});
        row("zero-width first stage", {0, 10}, {4, 6}, {2288, 0, 1590, 3578, 2306, 398});
        row("zero-height stage", {10, 20, 30}, {5, 0, 5}, {2288, 610, 1220, 1830, 3578, 2968, 2968, 2358});
        // 4545 / 2 = 2272.5 to even; 45 x 0.9000000059604645 = 40.5000003 up to 41 (an exact 0.9 would give 40).
        row("half-way centre and base line", {2}, {1}, {2272, 36, 41, 5}, {4545, 45});
        row("all widths 0: nothing drawn", {0, 0}, {5, 5}, {});
        row("heights add up to 0", {5, 6}, {3, -3}, {});
        row("not a number", {3}, {std::nanf("")}, {});
    }
    void outline()
    {
        QFETCH(QList<float>, widths);
        QFETCH(QList<float>, heights);
        QFETCH(QList<double>, outline);
        AttachmentRecord record;
        std::copy(widths.begin(), widths.end(), record.Width.begin());
        std::copy(heights.begin(), heights.end(), record.Height.begin());
        Recorder drawn, expected;
        drawn.size = expected.size = QSize(outline[0], outline[1]);
        AttachDraw(record, drawn);
        const int n = outline.size() / 2 - 2;  // stages
        for (int i = 1; i <= n; ++i) {         // after a clear, each stage's bottom edge and sides; then the top edge
            const double c = outline[2], h = outline[2 + i], y = outline[2 + n + i], top = outline[3 + n + i];
            i == 1 ? expected.Clear() : void();
            expected.Line(c + h, y, c - h, y), expected.Line(c + h, y, c + h, top), expected.Line(c - h, y, c - h, top);
            i == n ? expected.Line(c + h, top, c - h, top) : void();
        }
        QCOMPARE(drawn.lines, expected.lines);
    }

    // Each rule on a file made for it marks its field or row.
    void hintRules_data()
    {
        Columns<QString, QString>("lines", "marks");
        const QString feeds = "MAXIMUM FEEDRATE(X) = 10000|MAXIMUM FEEDRATE(Y) = 10000|MAXIMUM FEEDRATE(Z) = 8000|";
        QTest::newRow("rapid-below-feed") << feeds + "RAPID(X) = 3600|RAPID(Y) = 36000|RAPID(Z) = 30000"
                                          << "txtRapidFeedXYZ_0";
        QTest::newRow("feed-above-overall") << "MAXIMUM FEEDRATE = 8000|" + feeds << "txtMaxFeedXYZ_0,txtMaxFeedXYZ_1";
        QTest::newRow("rapid-accel-below-accel") << "MAXIMUM ACCELERATION(X) = 0.3|MAXIMUM ACCELERATION(Y) = 0.3|"
                                                    "MAXIMUM ACCELERATION(Z) = 0.5|RAPID ACCELERATION(X) = 0.6|"
                                                    "RAPID ACCELERATION(Y) = 0.6|RAPID ACCELERATION(Z) = 0.3"
                                                 << "txtRapidAcceleXYZ_2";
        QTest::newRow("axis-not-set") << "STROKE(X) = 850|STROKE(Y) = 500"
                                      << "txtStroke_2";
        QTest::newRow("axis-outlier") << "MAXIMUM FEEDRATE(X) = 10000|MAXIMUM FEEDRATE(Y) = 100000|MAXIMUM FEEDRATE(Z) = 8000"
                                      << "txtMaxFeedXYZ_1";
        QTest::newRow("head-taller-than-z") << "STROKE(X) = 850|STROKE(Y) = 500|STROKE(Z) = 510|ATTACHMENT01 = SQUARE/100,300,120,310"
                                            << "row 0";
        QTest::newRow("initial-not-listed") << "INI = ATTACHMENT07"
                                            << "txtAttachInit";
        QTest::newRow("same-name-other-outline") << "ATTACHMENT01 = SQUARE/100,20,ARM|ATTACHMENT02 = SQUARE/100,30,ARM"
                                                 << "row 0,row 1";
        QTest::newRow("same-number") << "ATTACHMENT03 = SQUARE/100,20|ATTACHMENT03 = SQUARE/120,20"
                                     << "row 0,row 1";
    }
    void hintRules()
    {
        QFETCH(QString, lines);
        QFETCH(QString, marks);
        Run<Harness>({"setfile h.mtl NAME = H\r\n" + lines.replace('|', "\r\n") + "\r\n", "marks: " + marks});
    }

    void scenario_data();
    void scenario()
    {
        QFETCH(QStringList, steps);
        Run<Harness>(steps);
    }

    // A key in a stage box of attachment 12 (widths 1 1 10 10 10, heights 1 1 1 1 10) holding a text, the cursor at
    // its end: the text it leaves, the value the editor holds, beeps. Keys beyond digits, point and Backspace, and any
    // key press while the text is no number, are refused; Delete is no key press.
    void editorKeys_data()
    {
        Columns<QString, QString, QString, QString, QString, int>("box", "before", "keys", "after", "stored", "beeps");
        auto row = [](const char *name, QStringList c, int beeps) {
            QTest::newRow(name) << c[0] << c[1] << c[2] << c[3] << c[4] << beeps;
        };
        row("a digit", {"txtWidth_2", "12", "9", "129", "129"}, 0);
        row("a point", {"txtWidth_2", "12", ".", "12.", "12"}, 0);
        row("Backspace", {"txtWidth_2", "12", "Backspace", "1", "1"}, 0);
        row("Delete into no number: shown, not held", {"txtWidth_2", "1.5.", "Home Del", ".5.", "10"}, 0);
        row("minus", {"txtHight_4", "", "-", "", "10"}, 1);
        row("a letter", {"txtHight_4", "12", "A", "12", "12"}, 1);
        row("a digit after no number", {"txtHight_4", ".", "5", ".", "10"}, 1);
        row("Backspace after no number", {"txtHight_4", "1.5.", "Backspace", "1.5.", "10"}, 1);
        row("Tab leaves two points, holds nothing", {"txtWidth_2", "1..2", "Tab", "1..2", "10"}, 0);
        row("Tab leaves what is beyond a single, holds nothing", {"txtWidth_2", "1e39", "Tab", "1e39", "10"}, 0);
        row("Tab shows three decimals, holds all", {"txtWidth_2", "2.12345", "Tab", "2.123", "2.12345"}, 0);
        row("Tab drops blanks", {"txtWidth_2", " 8 ", "Tab", "8.", "8"}, 0);
    }
    void editorKeys()
    {
        QFETCH(QString, box);
        QFETCH(QString, before);
        QFETCH(QString, keys);
        QFETCH(QString, after);
        QFETCH(QString, stored);
        QFETCH(int, beeps);
        Run<Harness>({"setfile k.mtl NAME = K\r\nATTACHMENT12 = SQUARE/1,1,1,1,10,1,10,1,10,10\r\n", "open 1 12",
                      "set " + box + ' ' + before, "key " + keys, "text " + box + ": " + after, "stored " + box + ": " + stored,
                      "beeps: " + QString::number(beeps)});
    }
};

void TestWindows::scenario_data()
{
    using Steps = QStringList;
    QTest::addColumn<Steps>("steps");
    auto row = [](const QString &name, const Steps &steps) { QTest::newRow(qPrintable(name)) << steps; };
    const QString caption = " - [TitleProduct]  Ver1.05    [TitleDescription]    [TitleProject]";
    const QString cleared = QStringList(17, "0.").join(',') + ",,0,";
    const QString example = "850.,500.,510.,2.5,12000.,10000.,10000.,8000.,0.3,0.3,0.25,36000.,36000.,30000.,0.6,0.6,"
                            "0.5,立形マシニングセンタ VM5,1,WAIT";
    Steps fill;  // every box its own value, so that a value in the wrong box shows
    QString shown;
    for (int i = 0; i < 17; ++i)
        fill << QString("fill %1 %2.5").arg(kBoxes[i]).arg(i), shown += QString("%1.5,").arg(i);

    // Start-up, loading, field commits.
    row("start-up; each box commits to its own field, is saved and shown back",
        Steps{"title: " + caption.mid(3), "unlabelled frmMain: ", "fields: " + cleared, "rows: ", "changed: 0",
              "ini Init Dir: @",
              "ime: txtMachineName", "setfile o.mtl"} +
            fill + Steps{"click btnEntry", "said: [Saved] oki", "load", "setfile o.mtl", "fields: " + shown + ",0,"});
    row("load: the example, then a missing file empties",
        {"load", "fields: " + example, "rows: 01,02,05", "row: -1", "setfile u.mtl", "fields: " + cleared,
         "rows: ", "changed: 0", "focus txtMachineName", "key Tab", "changed: 0"});
    row("commit: accepted; big values never cut",
        {"fill txtStroke_1   12  ", "fill txtCngTime ", "fill txtMaxFeedAll -3", "fill txtMaxFeedXYZ_2 1.23456",
         "fill txtStroke_0 1e20", "key Backtab", "focus: txtStroke_0", "key Tab",
         "fill txtRapidAcceleXYZ_2 -3.4028235e38", "key Backtab", "key Tab", "changed: 1",
         "fields: 100000002004087734272.,12.,0.,0.,-3.,0.,0.,1.235," + QStringList(8, "0.").join(',') +
             ",-340282346638528859811704183484516925440.,,0,"});
    row("commit: refused", {"fill txtCngTime abc", "said: [NotANumber] ok!", "focus: txtCngTime",
                            "text txtCngTime: abc", "fill txtCngTime 1e39", "said: [NotANumber] ok!",
                            "focus: txtCngTime", "fill txtCngTime 7", "focus: txtMaxFeedAll"});
    for (const QString action :
         {"click btnEntry", "click btnEnd", "click cmdFile", "click btnAdd", "click btnEdit", "click btnDel", "close"})
        row("a refused field blocks " + action,
            {"load", "pick 0", "type txtStroke_0 12a", action, "said: [NotANumber] ok!", "focus: txtStroke_0",
             "inputs: ", "request:     ", "visible frmMain: true"});

    // Saving and leaving.
    row("save: every edit, Ctrl+S amid one; shown back; the unsaved mark",
        {"load s.mtl",
         "fill txtMachineName   MILL 9 ABCDEFGHIJKLMNOP", "fill txtStroke_1 501.25", "fill txtCngTime 0.5",
         "fill txtMaxFeedAll 0", "fill txtMaxAcceleXYZ_1 1234.5678", "fill txtRapidFeedXYZ_2 31000",
         "fill txtRapidAcceleXYZ_0 0.75", "focus cmbAtcType", "key Down", "type txtAttachInit 2",
         "title: s.mtl*" + caption, "key Ctrl+S", "said: [Saved] oki", "changed: 0", "title: s.mtl" + caption,
         "file s.mtl NAME: MILL 9 ABCDEFGHIJK  ", "load", "fill txtStroke_0 1", "setfile s.mtl",
         "fields: 850.,501.25,510.,0.5,0.,10000.,10000.,8000.,0.3,1234.568,0.25,36000.,36000.,31000.,0.75,0.6,0.5,"
         "MILL 9 ABCDEFGHIJK,2,WAIT2",
         "title: s.mtl" + caption});
    for (const QString how : {"click btnEnd", "close"}) {
        const Steps edit{"load", "fill txtMaxFeedXYZ_0 9000", "setini Init Dir=/elsewhere/"};
        auto gone = [&how](const QString &feed) {  // the window gone, its folder remembered, the file as it is
            return (how == "close" ? Steps() : Steps{"events: end"}) +
                   Steps{"visible frmMain: false", "ini Init Dir: @", "file sample.mtl MAXIMUM FEEDRATE(X): " + feed,
                         "copy sample.mtl MAXIMUM FEEDRATE(X): none"};
        };
        row(how + ", No", edit + Steps{how, "said: [SaveChanges] ynci -> No"} + gone("10000."));
        row(how + ", Cancel", edit + Steps{how, "said: [SaveChanges] ynci -> Cancel", "visible frmMain: true",
                                           "ini Init Dir: /elsewhere/", "changed: 1"});
        row(how + ", Yes: the write fails, then works",
            edit +
                Steps{"disk fails", how, "said: [SaveChanges] ynci -> Yes, [SaveFailed] ok!", "visible frmMain: true",
                      "changed: 1", "disk works", "ini Init Dir: /elsewhere/",
                      "file sample.mtl MAXIMUM FEEDRATE(X): 10000.", how,
                      "said: [SaveChanges] ynci -> Yes, [Saved] oki"} +
                gone("9000."));
    }
    row("no file name: the edits are given up at the end", {"fill txtMaxFeedXYZ_0 9000", "click btnEntry", "changed: 1",
                                                            "click btnEnd", "events: end", "visible frmMain: false"});
    row("unusable settings",
        {"ini [Config]\r\nTextEditor=vi%81%FF", "said: [SettingsUnreadable] ok!", "close", "settings: as given"});
    row("settings that cannot be written at the end are reported",
        {"unlink Quillmark.ini", "write Quillmark.ini/x ", "close", "said: [SettingsNotWritten] ok!"});
    // Ctrl+S commits the field it leaves in hand once: a second commit would store the three decimals shown.
    row("a key commits the field in hand once", {"load", "type txtStroke_0 2.12345", "key Ctrl+S", "said: [Saved] oki",
                                                 "key Ctrl+Z", "text txtStroke_0: 850."});

    // The changed mark tells the truth; every committed change can be undone and redone.
    row("untouched: tabbing through, an unchanged commit, the editor opened and closed; End asks nothing",
        {"load", "focus txtMachineName", "key" + QString(" Tab").repeated(20), "fill txtStroke_0 850",
         "fill txtAttachInit 1", "real close", "edit 0", "changed: 0", "title: sample.mtl" + caption,
         "enabled btnUndo: false", "click btnEnd", "events: editor 1 at 1, end", "same sample.mtl: 1"});
    const Steps original{
        "fields: " + example,
        "slots: 1 1/1 120,160,200 40,60,90 STANDARD HEAD | 2 1/1 80,80,140,140 30,50,70,20 RIGHT ANGLE HEAD | "
        "5 1/1 60,100 150,60 EXTENSION"};
    const Steps changedAll{
        "fields: 900.,500.,510.,2.5,12000.,10000.,10000.,8000.,0.3,0.3,0.25,36000.,36000.,30000.,"
        "0.6,0.6,0.5,X,2,WAIT2",
        "slots: 1 1/1 25,160,200 25,60,90 STANDARD HEAD | 2 1/1 80,80,140,140 30,50,70,20 RIGHT ANGLE HEAD | "
        "3 1/1 25 25"};
    const QString undoAll = "key" + QString(" Ctrl+Z").repeated(7), redoAll = "key" + QString(" Ctrl+Y").repeated(7);
    row("every change undone exactly, shown, redone; all undone: no mark, the loaded bytes saved",
        Steps{"load", "fill txtStroke_0 900", "fill txtMachineName X", "focus cmbAtcType", "key Down",
              "fill txtAttachInit 2", "delete 2", "real", "add 3", "real", "edit 0",
              "events: editor 3 at 3, editor 1 at 1"} +
            changedAll +
            Steps{"toolTip btnUndo: [Undo] [EditButton] ATTACHMENT01 (Ctrl+Z)", "key Ctrl+Z", "focus: lstAttach",
                  "row: 0", "key Ctrl+Z Ctrl+Z", "row: 2", "key Ctrl+Z", "focus: txtAttachInit", "key Ctrl+Z",
                  "focus: cmbAtcType", "key Ctrl+Z Ctrl+Z", "focus: txtStroke_0", "changed: 0",
                  "title: sample.mtl" + caption} +
            original + Steps{"enabled btnUndo: false", redoAll} + changedAll +
            Steps{"changed: 1", undoAll, "click btnEntry", "said: ATTACHMENT05[DeleteQuestion] yn? -> Yes, [Saved] oki",
                  "same sample.mtl: 1", redoAll, "changed: 1", undoAll, "changed: 0"});
    row("the typing in a field is undone first; the buttons; a refused value is no step",
        {"load",
         "fill txtStroke_0 9", "type txtStroke_1 7", "key Ctrl+Z Ctrl+Z", "text txtStroke_1: 500.",
         "text txtStroke_0: 9.", "toolTip btnUndo: [Undo] [StrokeLabel] [XAxis] (Ctrl+Z)", "key Ctrl+Z",
         "focus: txtStroke_0", "text txtStroke_0: 850.", "changed: 0",
         "toolTip btnRedo: [Redo] [StrokeLabel] [XAxis] (Ctrl+Y)", "click btnRedo", "text txtStroke_0: 9.",
         "changed: 1", "click btnUndo", "changed: 0", "fill txtCngTime abc", "said: [NotANumber] ok!",
         "focus: txtCngTime", "enabled btnUndo: false",
         "enabled btnRedo: true"});
    // Where two safety features meet in the window.
    row("a character the file cannot hold: refused in the field, so the copy keeps every later edit",
        {"load",
         "fill txtStroke_1 7",
         "set txtMachineName \u20ac\u20ac\u20ac VM5",
         "key Tab",
         "said: [CharactersNotHeld]\u20ac ok!",
         "focus: txtMachineName",
         "changed: 1",
         "fill txtMachineName VM5",
         "fill txtStroke_0 999",
         "copy sample.mtl STROKE(X): 999.",
         "copy sample.mtl STROKE(Y): 7.",
         "copy sample.mtl NAME: VM5" + QString(17, ' ')});
    row("registering the initial attachment marks and keeps a copy at once, the editor still open",
        {"load",
         "real peek",
         "fill txtAttachInit 8",
         "said: [AttachmentNumber]8[NotRegistered] yn? -> Yes",
         "events: editor 8 at 4, entered, changed 1, copy kept",
         "rows: 01,02,05,08",
         "copy sample.mtl INI: ATTACHMENT08",
         "copy sample.mtl ATTACHMENT08: SQUARE/25.,25.",
         "key Ctrl+Z",
         "rows: 01,02,05",
         "initial: 1",
         "changed: 0"});
    row("undo in the name and the initial attachment stops at the committed value",
        {"load",
         "fill txtMachineName ALPHA",
         "type txtMachineName BETA",
         "key Ctrl+Z Ctrl+Z",
         "text txtMachineName: ALPHA",
         "key Ctrl+Z",
         "text txtMachineName: \u7acb\u5f62\u30de\u30b7\u30cb\u30f3\u30b0\u30bb\u30f3\u30bf VM5",
         "changed: 0",
         "enabled btnUndo: false",
         "fill txtAttachInit 52",
         "said: [AttachmentNumber]52[NotRegistered] yn? -> No",
         "type txtAttachInit 5",
         "key Ctrl+Z Ctrl+Z",
         "text txtAttachInit: 52",
         "key Ctrl+Z",
         "text txtAttachInit: 1",
         "changed: 0"});
    row("the mark: back to the file's value, or -0 for 0, is no change",
        {"load",
         "fill txtStroke_0 650",
         "changed: 1",
         "fill txtStroke_0 850",
         "changed: 0",
         "title: sample.mtl" + caption,
         "copy sample.mtl STROKE(X): none",
         "fill txtCngTime 2.5001",
         "text txtCngTime: 2.5",
         "changed: 0",
         "setfile z.mtl NAME = Z\r\n",
         "fill txtStroke_0 -0",
         "text txtStroke_0: 0.",
         "changed: 0",
         "click btnEnd",
         "events: end"});
    // The attachment list and the initial attachment.
    const Steps none{"changed: 0", "row: 1", "drawn: 1", "rows: 01,02,05"};  // nothing happened to the list
    // After an editor run that changed the table, or one that did not.
    const Steps added{"changed: 1", "row: -1", "drawn: 0"}, ran{"changed: 0", "row: -1", "drawn: 0"};
    row("add: cancelled, 0, refusals",
        Steps{"load", "pick 1", "add ", "add 0",
              "inputs: [AddNumberPrompt]|[AttachmentNumber]|, [AddNumberPrompt]|[AttachmentNumber]|",
              "add 3.5/-2/abc/1e-3/  /1,2/", "said: " + QStringList(6, "[NotANumber] ok!").join(", ")} +
            none);
    row("full table: no adding; a missing initial one not registered",
        Steps{"ini [Comfig]\r\nATTACH MAX COUNT=3", "load", "pick 1", "click btnAdd",
              "inputs: ", "said: [TableFull] ok!"} +
            none +
            Steps{"fill txtAttachInit 7", "said: [AttachmentNumber]7[NotRegistered] yn? -> Yes, "
                                          "[TableFullLine1]/[TableFullLine2]/[TableFullLine3] ok!"});
    row("add: beyond 32 bits, then 7",
        Steps{"load", "pick 1", "add 2147483648/7", "said: 16777215[NumberTooLarge] ok!", "events: editor 7 at 4"} +
            ran);
    row("add: the real editor adds 3 before 5",
        Steps{"load", "pick 1", "real", "add 3", "events: editor 3 at 4", "rows: 01,02,03,05",
              "line 2: ATTACHMENT03 = SQUARE/25.,25."} +
            added + Steps{"click btnEntry", "said: [Saved] oki", "file sample.mtl ATTACHMENT03: SQUARE/25.,25."});
    // Forty-five attachments, three of each number, one without a line (a negative first width) and a stage of -0.
    row("many: deleting the first, undone and redone over and over, gives back the table and the list bit for bit; "
        "the list's keys and tooltips",
        {"ini [Comfig]\r\nATTACH MAX COUNT=64",
         "setfile m.mtl NAME = M\r\nATTACHMENT01 = SQUARE/10,5,20,1,HEAD 0\r\nATTACHMENT01 = SQUARE/11,6,21,2,HEAD 1\r\nATTACHMENT01 = SQUARE/12,7,22,3,HEAD 2\r\nATTACHMENT02 = SQUARE/13,8,23,1,HEAD 3\r\nATTACHMENT02 = SQUARE/14,9,24,2,HEAD 4\r\nATTACHMENT02 = SQUARE/15,10,25,3,HEAD 5\r\nATTACHMENT03 = SQUARE/16,11,26,1,HEAD 6\r\nATTACHMENT03 = SQUARE/17,5,27,2,HEAD 7\r\nATTACHMENT03 = SQUARE/18,6,28,3,HEAD 8\r\nATTACHMENT04 = SQUARE/19,7,29,1,HEAD 9\r\nATTACHMENT04 = SQUARE/20,8,30,2,HEAD 10\r\nATTACHMENT04 = SQUARE/21,9,31,3,HEAD 11\r\nATTACHMENT05 = SQUARE/22,10,32,1,HEAD 12\r\nATTACHMENT05 = SQUARE/23,11,33,2,HEAD 13\r\nATTACHMENT05 = SQUARE/24,5,34,3,HEAD 14\r\nATTACHMENT06 = SQUARE/25,6,35,1,HEAD 15\r\nATTACHMENT06 = SQUARE/26,7,36,2,HEAD 16\r\nATTACHMENT06 = SQUARE/27,8,37,3,HEAD 17\r\nATTACHMENT07 = SQUARE/28,9,38,1,HEAD 18\r\nATTACHMENT07 = SQUARE/29,10,39,2,HEAD 19\r\nATTACHMENT07 = SQUARE/30,11,40,3,HEAD 20\r\nATTACHMENT08 = SQUARE/31,5,41,1,HEAD 21\r\nATTACHMENT08 = SQUARE/32,6,42,2,HEAD 22\r\nATTACHMENT08 = SQUARE/33,7,43,3,HEAD 23\r\nATTACHMENT09 = SQUARE/34,8,44,1,HEAD 24\r\nATTACHMENT09 = SQUARE/35,9,45,2,HEAD 25\r\nATTACHMENT09 = SQUARE/36,10,46,3,HEAD 26\r\nATTACHMENT10 = SQUARE/37,11,47,1,HEAD 27\r\nATTACHMENT10 = SQUARE/38,5,48,2,HEAD 28\r\nATTACHMENT10 = SQUARE/39,6,49,3,HEAD 29\r\nATTACHMENT11 = SQUARE/40,7,50,1,HEAD 30\r\nATTACHMENT11 = SQUARE/41,8,51,2,HEAD 31\r\nATTACHMENT11 = SQUARE/42,9,52,3,HEAD 32\r\nATTACHMENT12 = SQUARE/43,10,53,1,HEAD 33\r\nATTACHMENT12 = SQUARE/44,11,54,2,HEAD 34\r\nATTACHMENT12 = SQUARE/45,5,55,3,HEAD 35\r\nATTACHMENT13 = SQUARE/46,6,56,1,HEAD 36\r\nATTACHMENT13 = SQUARE/47,7,57,2,HEAD 37\r\nATTACHMENT13 = SQUARE/48,8,58,3,HEAD 38\r\nATTACHMENT14 = SQUARE/49,9,59,1,HEAD 39\r\nATTACHMENT14 = SQUARE/50,10,60,2,HEAD 40\r\nATTACHMENT14 = SQUARE/51,11,61,3,HEAD 41\r\nATTACHMENT15 = SQUARE/52,5,62,1,HEAD 42\r\nATTACHMENT15 = SQUARE/53,6,63,2,HEAD 43\r\nATTACHMENT15 = SQUARE/54,7,64,3,HEAD 44\r\nATTACHMENT01 = SQUARE/-5,10\r\nATTACHMENT02 = SQUARE/7,-0\r\n",
         "said: [LinesNotKept]1 ok!",
         "mark",
         "delete 0",
         "said: ATTACHMENT01[DeleteQuestion] yn? -> Yes",
         "as marked: 0",
         "key Ctrl+Z",
         "as marked: 1",
         "row: 0",
         "key Ctrl+Y",
         "key Ctrl+Z",
         "key Ctrl+Y",
         "key Ctrl+Z",
         "as marked: 1",
         "changed: 0",
         "line 0: ATTACHMENT01 = SQUARE/10.,5.,20.,1.,HEAD 0              ",
         "tip 0: [HintSameNumber]",
         "load",
         "tip 1: ATTACHMENT02 = SQUARE/80.,30.,80.,50.,140.,70.,140.,20.,RIGHT ANGLE HEAD    ",
         "focus lstAttach",
         "key Down Down",
         "row: 1"});
    row("nothing selected: Edit and Delete refused; delete the initial one: No, Yes; another",
        Steps{"load", "focus lstAttach", "click btnEdit", "click btnDel",
              "said: [NothingSelected] ok!, [NothingSelected] ok!", "rows: 01,02,05", "row: -1", "changed: 0",
              "drawn: 0", "delete 0", "rows: 01,02,05", "changed: 0", "row: 0", "drawn: 1", "click btnDel",
              "rows: 02,05", "initial: 1"} +
            added +
            Steps{
                "delete 1", "rows: 02",
                "said: ATTACHMENT01[DeleteInitialQuestion] yn? -> No, ATTACHMENT01[DeleteInitialQuestion] yn? -> Yes, "
                "ATTACHMENT05[DeleteQuestion] yn? -> Yes"});
    row("selecting: a preview, no change; edit, double click; a record without a line: rows find their slots",
        Steps{"setfile g.mtl NAME = G\r\nATTACHMENT01 = SQUARE/-5,10\r\nATTACHMENT03 = SQUARE/10,20\r\n"
              "ATTACHMENT04 = SQUARE/30,5,NOSE\r\n",
              "rows: 03,04", "pick 1", "work: 4 1/1 30 5 NOSE", "drawn: 1", "changed: 0", "click btnEdit",
              "events: editor 4 at 3"} +
            ran +
            Steps{"pick 0", "dclick 0", "events: editor 3 at 2", "delete 0",
                  "said: [LinesNotKept]1 ok!, ATTACHMENT03[DeleteQuestion] yn? -> Yes", "rows: 04",
                  "slots: 1 1/1 -5 10 | 4 1/1 30 5 NOSE"});
    // Also run at the scale factors 1.25, 1.5 and 2 (CMakeLists.txt).
    row("scaled screens: one-pixel outlines, text clear of the frame",
        {"load", "pick 0", "sharp: one pixel", "margin: clear", "open 1 1", "sharp: one pixel", "margin: clear"});
    row("absurd outlines: clipped, or at the centre",
        {"setfile x.mtl NAME = X\r\nATTACHMENT01 = SQUARE/1,1e30,1,"
         "-1e30,1,1\r\nATTACHMENT02 = SQUARE/3e38,3e38,3e38,3e38\r\n",
         "said: [LinesNotKept]2 ok!",
         "pick 0", "drawn box: 16,0 105x117", "pick 1", "drawn box: 68,116 1x1"});  // 68: the middle pixel of 137
    row("initial: half to even, negative, blanks; refused",
        {"load", "fill txtAttachInit 1.5", "initial: 2", "changed: 1", "text txtAttachInit: 1.5",
         "fill txtAttachInit -4", "initial: -4", "fill txtAttachInit    ", "initial: 0", "text txtAttachInit: 0",
         "fill txtAttachInit x1", "focus: txtAttachInit", "fill txtAttachInit 2147483648",
         "said: [NotANumber] ok!, [NotANumber] ok!", "focus: txtAttachInit", "initial: 0"});
    row("initial: missing, No keeps it, as typed; Yes edits it",
        {"load", "fill txtAttachInit 7", "said: [AttachmentNumber]7[NotRegistered] yn? -> No", "initial: 7",
         "changed: 1", "fill txtAttachInit  6.5", "initial: 6", "real", "fill txtAttachInit 7",
         "said: [AttachmentNumber] 6.5[NotRegistered] yn? -> No, [AttachmentNumber]7[NotRegistered] yn? -> Yes",
         "events: editor 7 at 4", "line 3: ATTACHMENT07 = SQUARE/25.,25."});

    // File choice, drops and the end button.
    const Steps files{"ini [Config]\r\nInit File=a.mtl", "write sub/x.MTLX NAME = X\r\n", "load sub/b.mtl",
                      "load sub/C.MTL", "load a.mtl"};
    row("file button: the request, cancelled; a choice remembered, written on closing",
        files + Steps{"choose ",
                      "request: [OpenDialogTitle] [MtlFileType](.mtl)|*.mtl|[AllFilesFilter]|*.* .mtl a.mtl @",
                      "text txtFileName: @a.mtl", "choose sub/b.mtl", "text txtFileName: @sub/b.mtl", "close",
                      "ini Init File: b.mtl", "ini Init Dir: @sub/"});
    row("file button, edited: Cancel; the same file not reloaded",
        files + Steps{"fill txtStroke_1 77", "choose sub/b.mtl", "said: [SaveChanges] ynci -> Cancel",
                      "text txtFileName: @a.mtl", "file a.mtl STROKE(Y): 500.", "choose a.mtl",
                      "text txtStroke_1: 77."});
    row("file button, edited: No; then Yes saves first",
        files + Steps{"fill txtStroke_1 77", "choose sub/b.mtl", "said: [SaveChanges] ynci -> No",
                      "text txtFileName: @sub/b.mtl", "text txtStroke_1: 500.", "file a.mtl STROKE(Y): 500.",
                      "fill txtStroke_1 78", "choose a.mtl", "said: [SaveChanges] ynci -> Yes, [Saved] oki",
                      "text txtFileName: @a.mtl", "file sub/b.mtl STROKE(Y): 78."});
    row("drop: the first file, any case, not remembered",
        files + Steps{"drop sub/C.MTL,sub/b.mtl", "text txtFileName: @sub/C.MTL", "close", "ini Init File: a.mtl"});
    row("drop: another extension or text ignored; edited, it asks",
        files + Steps{"drop sub/x.MTLX", "drop text sub/b.mtl", "events: drag refused", "text txtFileName: @a.mtl",
                      "fill txtStroke_1 77", "drop sub/b.mtl", "said: [SaveChanges] ynci -> Cancel",
                      "text txtFileName: @a.mtl"});
    const QString weird = "it's a \"strange\" name $(x).mtl", editor = "ini [Config]\r\nTextEditor=my editor\r\n";
    row("end: the text editor on the file, after the settings, ending though it fails",
        {editor + "Check=0", "load " + weird, "setini Init Dir=/elsewhere/", "click btnEnd",
         "events: start my editor|@" + weird + "|@, end"});
    row("end: no Check key, no editor", {editor, "load " + weird, "click btnEnd", "events: end"});
    row("end: no file, no editor", {editor + "Check=0", "setfile gone.mtl", "click btnEnd", "events: end"});

    // Hints: marked, counted, walked with F8, following every commit; never a message box.
    row("hints: marks, count and words; F8 and Shift+F8 round them; a sensible value removes a mark, undo brings it",
        {"english",
         "load",
         "marks: ",
         "text lblHintCount: No hints",
         "fill txtMaxFeedXYZ_1 100000",
         "fill txtRapidFeedXYZ_0 3600",
         "marks: txtMaxFeedXYZ_1,txtRapidFeedXYZ_0,txtRapidFeedXYZ_1",
         "text lblHintCount: Hints: 4",
         "accessibleDescription txtRapidFeedXYZ_0: RAPID(X) = 3600. is below MAXIMUM FEEDRATE(X) = 10000.: an axis "
         "moves fastest in rapid, so one of the two is probably mistyped.",
         "focus txtMachineName",
         "key F8",
         "focus: txtMaxFeedXYZ_1",
         "key F8 F8",
         "focus: txtRapidFeedXYZ_1",
         "key F8",
         "focus: txtMaxFeedXYZ_1",
         "key Shift+F8",
         "focus: txtRapidFeedXYZ_1",
         "fill txtRapidFeedXYZ_0 36000",
         "marks: txtMaxFeedXYZ_1,txtRapidFeedXYZ_1",
         "key Ctrl+Z",
         "marks: txtMaxFeedXYZ_1,txtRapidFeedXYZ_0,txtRapidFeedXYZ_1"});
    row("hints: rows, walked after the fields; the editor's line follows the stages typed",
        {"setfile h.mtl NAME = H\r\nSTROKE(X) = 850\r\nSTROKE(Y) = 500\r\nSTROKE(Z) = 510\r\n"
         "ATTACHMENT01 = SQUARE/100,300,120,310\r\nATTACHMENT02 = SQUARE/10,10\r\n",
         "marks: row 0",
         "key F8",
         "focus: lstAttach",
         "row: 0",
         "open 2 2",
         "text lblHints: ",
         "type txtHight_0 600",
         "text lblHints: [HintHeadTallerThanZ]",
         "type txtHight_0 6",
         "text lblHints: "});

    // The comparison window: the open a.mtl against b.mtl, the same machine in another layout (c.mtl) or with one
    // difference of each kind.
    const Steps ab{"setfile a.mtl NAME = A\r\nSTROKE(X) = 850\r\nATTACHMENT01 = SQUARE/10,10\r\n"
                   "ATTACHMENT02 = SQUARE/20,10\r\nATTACHMENT05 = SQUARE/50,10\r\n",
                   "write b.mtl name = a\nATTACHMENT07 = SQUARE/70,10\nATTACHMENT02 = SQUARE/20,12\n"
                   "attachment01 = square/10.,10.\nSTROKE(X) = 900.\n",
                   "write c.mtl ATTACHMENT05 = SQUARE/50.,10.\nattachment02 = square/20,10,0,0\nNAME = a\n"
                   "ATTACHMENT01 = SQUARE/10,10\nstroke(x) = 850.000\n",
                   "mark"};
    const QStringList kinds{"STROKE(X): 850. -> 900.", "ATTACHMENT02 [PartStageHeight] 1: 10. -> 12.",
                            "ATTACHMENT05: SQUARE/50.,10. -> [NotInFile]", "ATTACHMENT07: [NotInFile] -> SQUARE/70.,10."};
    const QString all = kinds.join(", ");
    row("compare: another layout is none; the dialog leaves Init File alone; a load closes the window",
        ab + Steps{"compare c.mtl", "visible frmCompare: true", "unnamed frmCompare: ", "differences: ",
                   "text lblCount: [NoDifferences]",
                   "compare b.mtl", "differences: " + all, "text lblCount: [DifferenceCount] 4", "load",
                   "visible frmCompare: false", "close", "ini Init File: "});
    const QString deleting = "said: ATTACHMENT05[DeleteQuestion] yn?";
    // Each kind taken over alone, then all at once: one step each, that one undo takes back, its change of the
    // attachments told to the windows once; nothing is left chosen to be taken by a second press.
    for (const auto &[take, seen] : {std::pair<QString, QString>{"0", "text txtStroke_0: 900."}, {"1", "rows: 01,02,05"},
                                     {"2", deleting}, {"3", "rows: 01,02,05,07"}, {"0,1,2,3", deleting}}) {
        QStringList left;  // all taken at once leaves none
        if (!take.contains(','))
            left = kinds, left.removeAt(take.toInt());
        const QString refills = take == "0" ? "refills: 0" : "refills: 1";  // a value alone changes no attachment
        row(qPrintable("compare: take over " + take),
            ab + Steps{"compare b.mtl", "refills: 0", "take " + take, seen, refills, "differences: " + left.join(", "),
                       "enabled btnTakeOver: false", "changed: 1", "click btnUndo", refills, "as marked: 1",
                       "enabled btnUndo: false", "differences: " + all});
    }
    row("compare: the other file's lines that a load does not take are told; the own file's were told at its load",
        ab + Steps{"write e.mtl NAME = A\nSTROKE(X) = 850\nBOGUS = 1\nATTACHMENT01 = SQUARE/10,10\n"
                   "ATTACHMENT02 = SQUARE/20,10\nATTACHMENT05 = SQUARE/50,10\n",
                   "compare e.mtl", "differences: ", "visible lblOtherLines: true",
                   "text lblOtherLines: [OtherLinesNotKept] 1\n3: BOGUS = 1", "compare b.mtl",
                   "visible lblOtherLines: false"});
    row("compare: deleting the attachment mounted at start is asked on its own",
        Steps{"setfile i.mtl NAME = I\r\nINI = ATTACHMENT01\r\nATTACHMENT01 = SQUARE/10,10\r\n"
              "ATTACHMENT02 = SQUARE/20,10\r\n",
              "write j.mtl NAME = I\r\nINI = ATTACHMENT01\r\n", "compare j.mtl", "take 0,1",
              "said: ATTACHMENT02[DeleteQuestion] yn?, ATTACHMENT01[DeleteInitialQuestion] yn? -> No", "rows: 01"});
    row("watch: a file another program removed leaves the table unsaved: marked, End asks; back, unmarked",
        Steps{"setfile w.mtl NAME = W\r\nSTROKE(X) = 1\r\n", "write o.mtl NAME = O\r\n", "compare o.mtl",
              "front frmMain", "unlink w.mtl",
              "notice: w.mtl [RemovedElsewhere]", "enabled btnOwnFile: false",
              "changed: 1", "click btnEnd", "said: [SaveChanges] ynci -> Cancel",
              "write w.mtl NAME = W\r\nSTROKE(X) = 1\r\n", "away", "front frmMain", "changed: 0"});
    row("compare: edits since saving follow another program's change; the file gone, the window closes",
        ab + Steps{"compare a.mtl", "differences: ", "write a.mtl NAME = A\r\nSTROKE(X) = 900\r\n"
                   "ATTACHMENT01 = SQUARE/10,10\r\nATTACHMENT02 = SQUARE/20,10\r\nATTACHMENT05 = SQUARE/50,10\r\n",
                   "notice: a.mtl [ChangedElsewhere]", "differences: STROKE(X): 850. -> 900.",
                   "write a.mtl NAME = A\r\nSTROKE(X) = 901\r\nATTACHMENT01 = SQUARE/10,10\r\n"
                   "ATTACHMENT02 = SQUARE/20,10\r\nATTACHMENT05 = SQUARE/50,10\r\n",
                   "away", "front frmMain", "differences: STROKE(X): 850. -> 901.", "click btnKeepEditing",
                   "differences: STROKE(X): 850. -> 901.", "unlink a.mtl",
                   "notice: a.mtl [RemovedElsewhere]", "visible frmCompare: false"});
    row("compare: values taken over together are hinted together",
        Steps{"setfile a.mtl NAME = A\r\n", "write d.mtl NAME = A\nRAPID(X) = 3600\nMAXIMUM FEEDRATE(X) = 10000\n",
              "compare d.mtl", "take 0,1",
              "marks: txtMaxFeedXYZ_1,txtMaxFeedXYZ_2,txtRapidFeedXYZ_0,txtRapidFeedXYZ_1,txtRapidFeedXYZ_2"});
    row("compare: the current row taken over, the first row still chosen is current and its outlines show",
        ab + Steps{"compare b.mtl", "current 0", "take 0,2", "said: ATTACHMENT05[DeleteQuestion] yn? -> No",
                   "text txtStroke_0: 900.", "outlined pictThis: 1", "outlined pictOther: 0"});
    row("compare: over the slots nothing is taken; making room first is no excess",
        Steps{"ini [Comfig]\r\nATTACH MAX COUNT=3"} + ab +
            Steps{"compare b.mtl", "take 3", "said: [TableFull] ok!", "as marked: 1", "enabled btnUndo: false",
                  "take 2,3", deleting, "rows: 01,02,07"});
    row("compare: over the slots with some free, the message says how far",
        Steps{"ini [Comfig]\r\nATTACH MAX COUNT=4", "english"} + ab +
            Steps{"write d.mtl NAME = A\nSTROKE(X) = 850\nATTACHMENT01 = SQUARE/10,10\nATTACHMENT02 = SQUARE/20,10\n"
                  "ATTACHMENT05 = SQUARE/50,10\nATTACHMENT07 = SQUARE/70,10\nATTACHMENT08 = SQUARE/80,10\n",
                  "compare d.mtl", "take 0,1", "said: 3 of the 4 attachment slots are in use; the rows chosen would make 5 "
                  "attachments. Nothing was taken. ok!", "rows: 01,02,05"});
    row("compare: the main window's field in hand is committed before anything is taken; the rows chosen stay chosen",
        ab + Steps{"compare b.mtl", "front frmMain", "type txtStroke_0 12a", "take 3", "said: [NotANumber] ok!",
                   "rows: 01,02,05", "front frmMain", "type txtStroke_0 900", "take 2", deleting, "rows: 01,02"});
    row("compare: the open file chosen is its own file, read as the load read it and again after a save",
        Steps{"ini [Comfig]\r\nATTACH MAX COUNT=2"} + ab +
            Steps{"said: [LinesNotKept]1 ok!", "compare a.mtl", "differences: ", "visible lblOtherLines: false",
                  "front frmMain", "fill txtStroke_0 5",
                  "differences: STROKE(X): 5. -> 850.", "click btnEntry",
                  "said: [SaveDropsLines] yn?/No -> Yes, [Saved] oki", "differences: "});
    row("compare: a row activated shows its field or attachment",
        ab + Steps{"compare b.mtl", "activate 0", "focus: txtStroke_0", "activate 1", "focus: lstAttach", "row: 1"});
    row("compare: with the file on disk, what the edits changed, up to date after an undo and a save",
        ab + Steps{"fill txtStroke_0 950", "compare b.mtl", "click btnOwnFile", "differences: STROKE(X): 950. -> 850.",
                   "click btnUndo", "differences: ", "front frmMain", "fill txtStroke_0 700",
                   "differences: STROKE(X): 700. -> 850.",
                   "click btnEntry", "said: [Saved] oki", "differences: "});

    // Another program at the open file: told in the strip, never in a box; checked again when the window comes back.
    const Steps w{"setfile w.mtl NAME = W\r\nSTROKE(X) = 1\r\n"};
    const QString two = "write w.mtl NAME = W\r\nSTROKE(X) = 2\r\n";
    row("watch: a write, a file renamed over it, a removal; Save writes it anew",
        w + Steps{two, "notice: w.mtl [ChangedElsewhere]", "visible btnReload: true", "click btnKeepEditing",
                  "visible fileNotice: false", "write n.mtl NAME = N\r\n", "move n.mtl w.mtl",
                  "notice: w.mtl [ReplacedElsewhere]", "click btnKeepEditing", "unlink w.mtl",
                  "notice: w.mtl [RemovedElsewhere]", "visible btnReload: false", "visible btnNoticeCompare: false",
                  "fill txtStroke_0 5", "click btnEntry", "said: [ChangedOnDisk] yn?/No -> Yes, [Saved] oki",
                  "file w.mtl STROKE(X): 5.", "visible fileNotice: false"});
    row("watch: Keep editing goes back to the field the user was in",
        w + Steps{"focus txtStroke_1", two, "notice: w.mtl [ChangedElsewhere]", "click btnKeepEditing",
                  "visible fileNotice: false", "focus: txtStroke_1"});
    row("watch: with no events, coming back to the window finds the change",
        w + Steps{"watch off", two, "visible fileNotice: false", "away", "front frmMain",
                  "notice: w.mtl [ChangedElsewhere]"});
    row("watch: the program's own save, a touch, the same bytes again: nothing told",
        w + Steps{"fill txtStroke_0 5", "click btnEntry", "said: [Saved] oki", "touch w.mtl", "rewrite w.mtl", "away",
                  "front frmMain", "visible fileNotice: false"});
    row("reload: Compare shows the file on disk; unsaved edits asked about, No keeps them; Yes loads the file and "
        "its copy is not offered again",
        w + Steps{"fill txtStroke_0 5", two, "notice: w.mtl [ChangedElsewhere]", "click btnNoticeCompare",
                  "differences: STROKE(X): 5. -> 2.", "click btnReload", "said: [ReloadQuestion] yn?/No",
                  "text txtStroke_0: 5.", "copy w.mtl STROKE(X): 5.", "click btnReload",
                  "said: [ReloadQuestion] yn?/No -> Yes", "text txtStroke_0: 2.", "changed: 0",
                  "copy w.mtl STROKE(X): none", "visible fileNotice: false", "visible frmCompare: false", "load",
                  "setfile w.mtl"});
    Steps nine;
    for (int i = 1; i <= 9; ++i)
        nine << QString("setfile f%1.mtl NAME = F\r\n").arg(i);
    row("recent: the last eight loaded, newest first, kept at once; a missing one greyed, not opened; a pick asks "
        "about unsaved edits and sets Init Dir and Init File",
        nine + Steps{"setfile missing.mtl", "setfile f8.mtl",
                     "recent: @f8.mtl,@f9.mtl,@f7.mtl,@f6.mtl,@f5.mtl,@f4.mtl,@f3.mtl,@f2.mtl",
                     "ini Recent1: @f8.mtl", "ini Recent8: @f2.mtl", "unlink f3.mtl", "recent 7",
                     "text txtFileName: @f8.mtl", "fill txtStroke_0 5", "recent 2",
                     "said: [SaveChanges] ynci -> Cancel", "text txtFileName: @f8.mtl", "recent 2",
                     "said: [SaveChanges] ynci -> No", "text txtFileName: @f9.mtl",
                     "recent: @f9.mtl,@f8.mtl,@f7.mtl,@f6.mtl,@f5.mtl,@f4.mtl,@f3.mtl [RecentMissing] off,@f2.mtl",
                     "close", "ini Init File: f9.mtl", "ini Init Dir: @"});

    // The attachment editor, on slots 0 and 1 holding attachments 3 and 12.
    const Steps e{"setfile e.mtl NAME = E\r\nATTACHMENT03 = SQUARE/4,2\r\nATTACHMENT12 = UNDEFINE2/10,5,20,5,ABC\r\n"};
    const QString untouched = "slots: 3 1/1 4 2 | 12 2/2 10,20 5,5 ABC";
    row("English messages: no Japanese shown; the outline described; the editor opens on the number",
        {"english", "japanese: ", "load", "pick 0",
         "accessibleDescription pictView: 3 stages, widest 200, total height 190", "open 1 1", "focus: txtAttachNo",
         "accessibleDescription pctbView: 3 stages, widest 200, total height 190", "type txtAttachNo 5",
         "accessibleDescription pctbView:"});
    row("editor: an attachment; Entry keeps name and shape",
        e + Steps{"open 2 12", "index: 1", "text txtWidth_1: 20.", "text txtHight_0: 5.", "text txtHight_2: 0.",
                  "drawn box: 30,116 245x123", "type txtHight_1 7", "click btnEntry",
                  "slots: 3 1/1 4 2 | 12 2/2 10,20 5,7 ABC", "echanged: 0", "visible frmEditor: true", "changed: 1"});
    row("editor: Show rounds half to even, takes blanks, 0, negatives, new ones in a free slot",
        e + Steps{"open 2 12", "show 12.5", "index: 1", "work: 12 2/2 10,20 5,5 ABC", "show 13.5", "index: 2",
                  "text txtAttachNo: 14", "text txtWidth_0: 0.", "drawn: 0", "show  3 ", "index: 0", "work: 3 1/1 4 2",
                  "drawn: 1", "show 0", "index: 2", "work: 0 0/0 0 0", "show -4", "index: 2", "work: -4 0/0 0 0"});
    row("editor: Show refuses what is no 32-bit number",
        e + Steps{"open 2 12", "show ", "show abc", "show 2147483648",
                  "said: 16777215[NumberTooLarge] ok!, 16777215[NumberTooLarge] ok!, 16777215[NumberTooLarge] ok!",
                  "focus: txtAttachNo", "index: 1", "work: 12 2/2 10,20 5,5 ABC", "visible btnShow: true"});
    row("editor: blank, loaded, number changed, blank again", e + Steps{"open 0 12",
                                                                        "index: -1", "ime: ", "stages: 1 #ffffff",
                                                                        "painted: #e0e0e0", "enabled pctbView: true",
                                                                        "drawn: 0", "visible btnShow: false",
                                                                        "enabled btnEntry: true", "close", "open 2 12",
                                                                        "stages: 1 #ffffff", "drawn: 1",
                                                                        "type txtAttachNo 5", "stages: 0 #c0c0c0",
                                                                        "painted: #c0c0c0", "enabled pctbView: false",
                                                                        "drawn: 0", "visible btnShow: true",
                                                                        "enabled btnEntry: false", "close", "open 0 0",
                                                                        "stages: 1 #ffffff", "painted: #e0e0e0",
                                                                        "visible btnShow: false"});
    row("editor: each keystroke stores and redraws; nothing to draw keeps the outline",
        {"setfile k.mtl NAME = K\r\nATTACHMENT12 = SQUARE/2,4\r\n",
         "open 1 12", "redrawn: 1", "set txtWidth_0 ", "redrawn: 0", "stored txtWidth_0: 2", "echanged: 0", "key 1",
         "stored txtWidth_0: 1", "redrawn: 1", "key .", "stored txtWidth_0: 1", "redrawn: 1", "key 5",
         "stored txtWidth_0: 1.5", "redrawn: 1", "echanged: 1", "key Tab", "text txtWidth_0: 1.5", "set txtWidth_0 0",
         "stored txtWidth_0: 0", "redrawn: 0",
         "drawn: 1"});
    row("editor: Entry outside the table writes nothing; Entry needs stage 1",
        e + Steps{"open 0 7",
                  "type txtWidth_0 10", "type txtHight_0 5", "click btnEntry", "index: -1", "close", "open 11 7",
                  "type txtWidth_0 10", "type txtHight_0 5", "click btnEntry", "index: -1",
                  untouched,
                  "changed: 0", "close", "open 3 7", "type txtWidth_1 20", "type txtHight_1 3", "type txtWidth_0 10",
                  "type txtHight_0 0", "click btnEntry",
                  untouched,
                  "type txtWidth_0 0", "type txtHight_0 5", "click btnEntry",
                  "said: [StageBefore]1[StageAfter][StageOneIncomplete] ok!, "
                  "[StageBefore]1[StageAfter][StageOneIncomplete] ok!",
                  untouched,
                  "echanged: 1", "changed: 0", "type txtWidth_0 10", "click btnEntry", "index: 1",
                  "slots: 3 1/1 4 2 | 7 1/1 10,20 5,3 | 12 2/2 10,20 5,5 ABC", "echanged: 0", "changed: 1",
                  "visible frmEditor: true"});
    row("editor: Close: Cancel stays, No closes, the mark stays; Yes enters",
        e + Steps{"open 3 7",
                  "type txtWidth_0 10", "type txtHight_0 5", "key Tab", "click btnClose", "visible frmEditor: true",
                  "click btnClose", "visible frmEditor: false",
                  untouched,
                  "open 3 7", "echanged: 0", "text txtWidth_0: 0.", "click btnClose",
                  "said: [SaveChanges] ynci -> Cancel, [SaveChanges] ynci -> No", "open 3 7",
                  "type txtWidth_0 10", "type txtHight_0 5", "type txtAttachNo 99", "click btnClose",
                  "said: [SaveChanges] ynci -> Yes", "visible frmEditor: false",
                  "slots: 3 1/1 4 2 | 7 1/1 10 5 | 12 2/2 10,20 5,5 ABC",
                  "echanged: 0"});
    row("editor: Escape is Close, asking about what was typed; Return in the number box is Show; the close box asks "
        "nothing",
        e + Steps{"open 3 7",
                  "focus txtWidth_0",
                  "key Tab Esc",
                  "visible frmEditor: false",
                  "open 3 7",
                  "type txtWidth_0 10",
                  "focus txtAttachNo",
                  "key Esc",
                  "said: [SaveChanges] ynci -> Cancel",
                  "visible frmEditor: true",
                  "type txtAttachNo 12",
                  "key Return",
                  "index: 1",
                  "text txtWidth_1: 20.",
                  "close",
                  "visible frmEditor: false",
                  untouched});
    row("editor: Close, Yes with stage 1 incomplete: told, and the typing stays; a width beyond a Single shows what is "
        "held",
        e + Steps{"open 3 7",
                  "type txtWidth_0 1000000000000000000000000000000",
                  "key Tab",
                  "text txtWidth_0: 1000000015047466219876688855040.",
                  "click btnClose",
                  "said: [SaveChanges] ynci -> Yes, [StageBefore]1[StageAfter][StageOneIncomplete] ok!",
                  "visible frmEditor: true",
                  "type txtHight_0 5",
                  "click btnEntry",
                  "slots: 3 1/1 4 2 | 7 1/1 1e+30 5 | 12 2/2 10,20 5,5 ABC"});
    row("editor: full table: the last slot loads, only known numbers show",
        Steps{"ini [Comfig]\r\nATTACH MAX COUNT=2"} + e +
            Steps{"open 2 12", "index: 1", "text txtWidth_0: 10.", "show 99", "said: [TableFull] ok!", "index: 1",
                  "work: 12 2/2 10,20 5,5 ABC", "visible btnShow: true", untouched, "show 3", "index: 0",
                  "text txtWidth_0: 4.", "close", "open 2 77", "said: [TableFull] ok!", "visible btnShow: true",
                  "index: 1", untouched});
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
