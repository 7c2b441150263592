// The main window and the attachment editor driven as a user drives them, on a
// temporary program folder with scripted dialogs. Each row is a script of steps
// separated by ";": an action ("fill txtStroke_1 12") or, with a colon, a check
// of what the user or the file would see ("text txtStroke_1: 12."). "@" stands
// for the program folder. A row that checks no boxes, beeps or events expects none.
#include "FakeDialogs.h"
#include "FaultyFiles.h"
#include "TestFiles.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "model/SlotOrder.h"
#include "ui/editor/PictureBox.h"
#include "ui/editor/frmEditor.h"
#include "ui/main/frmMain.h"

#include <QtTest>
#include <QtWidgets>

#include <cmath>

namespace {
const QString kSample = QStringLiteral(QM_SOURCE_DIR "/examples/sample.mtl");
const QStringList kAnswers{"Ok", "Yes", "No", "Cancel"};
const QStringList kBoxes = QString("txtStroke_0 txtStroke_1 txtStroke_2 txtCngTime txtMaxFeedAll txtMaxFeedXYZ_0 "
    "txtMaxFeedXYZ_1 txtMaxFeedXYZ_2 txtMaxAcceleXYZ_0 txtMaxAcceleXYZ_1 txtMaxAcceleXYZ_2 txtRapidFeedXYZ_0 "
    "txtRapidFeedXYZ_1 txtRapidFeedXYZ_2 txtRapidAcceleXYZ_0 txtRapidAcceleXYZ_1 txtRapidAcceleXYZ_2").split(' ');

QList<float> Numbers(const MachineTable &t)  // in the order of the boxes
{
    QList<float> v{t.Stroke[0], t.Stroke[1], t.Stroke[2], t.ToolChangeTime, t.MaxFeedAll};
    for (const AxisValues *a : {&t.MaxFeed, &t.MaxAccel, &t.RapidFeed, &t.RapidAccel})
        v << (*a)[0] << (*a)[1] << (*a)[2];
    return v;
}

QString Record(const AttachmentRecord &r)  // "number type/shape widths heights name", stages to the last not 0
{
    QString w, h;
    for (int i = 0; i < 5; ++i)
        w += QString::number(r.Width[i]) + ',', h += QString::number(r.Height[i]) + ',';
    const QRegularExpression zeros("(,0)*,$");
    return QString("%1 %2/%3 %4 %5 %6").arg(QString::number(r.Number), QString::number(r.ShapeType),
        QString::number(r.ShapeNumber), w.remove(zeros), h.remove(zeros), r.AttachName.str()).trimmed();
}

double Luminance(const QColor &c)
{
    auto f = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * f(c.redF()) + 0.7152 * f(c.greenF()) + 0.0722 * f(c.blueF());
}

struct Harness {
    QTemporaryDir dir;
    FakeDialogs fake;
    FaultyFiles files;
    AppState state{files};
    QByteArray ini;
    std::unique_ptr<frmMain> win;
    frmEditor *editor = nullptr;  // an editor of our own on the main window
    std::function<void()> realEditor, editorScript;
    QStringList events;  // editor runs, external editor starts, program ends
    int linesSeen = 0;
    bool startWorks = true;

    Harness(const QByteArray &ini, const QByteArray &mes) : ini(ini)
    {
        // A settings file beside the program keeps the user's own untouched.
        if (!WriteBytes(path("Quillmark.mes"), mes) || !WriteBytes(path("Quillmark.ini"), ini) ||
            !InitApplication(state, fake, path("")))
            return;
        win = std::make_unique<frmMain>(state, fake);
        realEditor = std::exchange(win->openEditor, [this] {
            events << QString("editor %1 at %2").arg(state.EditAttachNo).arg(state.EditAttachPos);
            if (editorScript)
                editorScript();
        });
        win->startEditor = [this](const QString &program, const QStringList &arguments) {
            events << "start " + (QStringList{program} + arguments << ReadIniValue(state, "Config", "Init Dir")).join('|');
            return startWorks;
        };
        win->endProgram = [this] { events << "end"; };
        win->ShowWindow();
        if (!Activate(win.get()))
            win.reset();
    }
    static bool Activate(QWidget *w)
    {
        w->show();
        QApplication::setActiveWindow(w);
        return QTest::qWaitForWindowActive(w);
    }
    QString path(const QString &name) const { return name.startsWith('/') ? name : dir.path() + '/' + name; }
    QWidget *root() const { return editor && editor->isVisible() ? editor : static_cast<QWidget *>(win.get()); }
    QWidget *widget(const QString &name) const
    {
        QWidget *window = name == "frmEditor" ? static_cast<QWidget *>(editor) : win.get();
        return name.startsWith("frm") ? window : root()->findChild<QWidget *>(name);
    }
    QListWidget *list() const { return win->findChild<QListWidget *>("lstAttach"); }
    QPoint rowAt(const QString &row) const { return list()->visualItemRect(list()->item(row.toInt())).center(); }

    bool act(const QString &verb, const QString &arg)
    {
        if (verb == "fill")  // type and leave with Tab
            return act("type", arg) && act("key", "Tab");
        const QString name = arg.section(' ', 0, 0), rest = arg.section(' ', 1), file = arg.isEmpty() ? "" : path(arg);
        const QString copy = path(arg.isEmpty() ? "sample.mtl" : arg);
        auto *box = qobject_cast<QLineEdit *>(widget(name));
        bool ok = true;
        const std::map<QString, std::function<void()>> verbs{
            {"load", [&] { QFile::remove(copy), QFile::copy(kSample, copy), win->SetFileName(copy); }},  // the example
            {"setfile", [&] { win->SetFileName(file); }},
            {"write", [&] { WriteBytes(path(name), rest.toUtf8()); }},
            {"mkdir", [&] { QDir().mkpath(file); }},
            {"rm", [&] { QFile::remove(file); }},
            {"type", [&] { box->setFocus(Qt::TabFocusReason), box->clear(), QTest::keyClicks(box, rest); }},
            {"set", [&] { box->setText(rest); }},
            {"focus", [&] { widget(arg)->setFocus(Qt::TabFocusReason); }},
            {"key", [&] {
                 for (const QKeySequence k : arg.split(' '))
                     QTest::keyClick(QApplication::focusWidget(), k[0].key(), k[0].keyboardModifiers());
             }},
            {"click", [&] { QTest::mouseClick(widget(arg), Qt::LeftButton); }},
            {"pick", [&] { QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowAt(arg)); }},
            {"dclick", [&] { QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, rowAt(arg)); }},
            {"answer", [&] {
                 for (const QString &a : arg.split(' ', Qt::SkipEmptyParts))
                     fake.answers << MsgAnswer(kAnswers.indexOf(a));
             }},
            {"input", [&] { fake.inputAnswers << arg.split('/'); }},
            {"choose", [&] { fake.fileAnswers << file; }},
            {"drop", [&] {  // files, or "text" and a text
                 QMimeData mime;
                 for (const QString &f : arg.split(','))
                     arg.startsWith("text ") ? mime.setText(f) : mime.setUrls(mime.urls() << QUrl::fromLocalFile(path(f)));
                 QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
                 QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
                 QApplication::sendEvent(widget("framFile"), &enter), QApplication::sendEvent(widget("framFile"), &drop);
                 events << (enter.isAccepted() ? QStringList() : QStringList{"drag refused"});
             }},
            {"close", [&] { QCoreApplication::processEvents(), root()->close(); }},
            {"real", [&] {  // the main window's own editor, modal: width and height 25, Entry, Close
                 editorScript = [this] {
                     QTimer::singleShot(0, [] {
                         QWidget *modal = QApplication::activeModalWidget();
                         for (const char *name : {"txtWidth_0", "txtHight_0"})
                             modal->findChild<QLineEdit *>(name)->setText("25");
                         for (const char *name : {"btnEntry", "btnClose"})
                             QTest::mouseClick(modal->findChild<QPushButton *>(name), Qt::LeftButton);
                     });
                     realEditor();
                 };
             }},
            {"fail", [&] { files.Arm(1, FaultyFiles::Mode::FromThenOn); }},
            {"heal", [&] { files.Arm(1, FaultyFiles::Mode::None); }},
            {"setini", [&] { WriteIniValue(state, "Config", arg.section('=', 0, 0), arg.section('=', 1)); }},
            {"nostart", [&] { startWorks = false; }},
            {"open", [&] {  // the editor for a position and a number
                 if (!editor)
                     editor = new frmEditor(state, fake, [w = win.get()] { w->AttachDefChange(); }, win.get());
                 state.EditAttachPos = name.toInt();
                 state.EditAttachNo = rest.toInt();
                 editor->Load();
                 ok = Activate(editor);
             }}};
        verbs.count(verb) ? verbs.at(verb)() : void(ok = false);
        return ok;
    }

    QString observe(const QString &name, const QString &arg)
    {
        const MachineTable &t = state.machineTable;
        auto yes = [](bool b) { return QString::number(int(b)); };
        auto number = [](double v) { return QString::number(v); };
        auto *view = root()->findChild<PictureBox *>(root() == editor ? "pctbView" : "pictView");
        QStringList all;
        const std::map<QString, std::function<QString()>> checks{
            {"said", [&] {  // texts up to a reason, with buttons, icon and any unusual default or title
                 for (const FakeDialogs::Box &b : fake.boxes)
                     all << QString(b.text).replace("\r\n", "/").section('\n', 0, 0) + ' ' +
                                QStringList{"ok", "yn", "ync"}[int(b.buttons)] + "x?!i"[int(b.icon)] +
                                (b.defaultButton == (b.buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes)
                                     ? "" : "/" + kAnswers[int(b.defaultButton)]) +
                                (b.title == kProgramTitle ? "" : "~" + b.title);
                 return all.join(", ");
             }},
            {"fields", [&] {  // the number boxes, name, initial attachment, ATC type
                 for (const QString &box : kBoxes + QStringList{"txtMachineName", "txtAttachInit"})
                     all << widget(box)->property("text").toString();
                 return (all << widget("cmbAtcType")->property("currentText").toString()).join(',');
             }},
            {"numbers", [&] {  // the table's numbers that are not 0, by box
                 for (int i = 0; i < 17; ++i)
                     Numbers(t)[i] ? void(all << QString::number(i) + '=' + number(Numbers(t)[i])) : void();
                 return all.join(',');
             }},
            {"rows", [&] {  // the attachment numbers listed
                 for (int i = 0; i < list()->count(); ++i)
                     all << list()->item(i)->text().section(' ', 0, 0).mid(10);
                 return all.join(',');
             }},
            {"stages", [&] {  // the ten stage boxes alike, or "mixed"; disabled text readable
                 for (QLineEdit *b : editor->findChildren<QLineEdit *>(QRegularExpression("^txt(Width|Hight)_"))) {
                     const double x = Luminance(b->palette().color(QPalette::Disabled, QPalette::Text));
                     const double y = Luminance(b->palette().color(QPalette::Disabled, QPalette::Base));
                     all << yes(b->isEnabled()) + ' ' + b->palette().color(QPalette::Base).name() +
                                ((std::max(x, y) + 0.05) / (std::min(x, y) + 0.05) < 4.5 ? " unreadable" : "");
                 }
                 all.removeDuplicates();
                 return all.size() == 1 ? all[0] : "mixed";
             }},
            {"file", [&] {  // the value on the key's line ("-": none); without a key, the example's lines kept
                 const QByteArray key = arg.section(' ', 1).toLatin1() + " = ";
                 const QList<QByteArray> lines = ReadBytes(path(arg.section(' ', 0, 0))).split('\n');
                 for (const QByteArray &line : lines)
                     all << (key == " = " ? ReadBytes(kSample).split('\n').contains(line) ? "kept" : "new"
                                          : line.startsWith(key) ? QString::fromLatin1(line.mid(key.size()).chopped(1)) : "");
                 return key == " = " ? QString("%1/%2").arg(all.count("kept") - 1).arg(lines.size() - 1)
                                     : all.join("").isEmpty() ? "-" : all.join("");
             }},
            {"japanese", [&] {  // the title and widgets that show Japanese
                 for (QWidget *c : win->findChildren<QWidget *>() + QList<QWidget *>{win.get()})
                     if (c->property(c == win.get() ? "windowTitle" : "text").toString().contains(
                             QRegularExpression("[\\x{3000}-\\x{ffff}]")))
                         all << c->objectName();
                 return all.join(',');
             }},
            {"ime", [&] {  // line edits with an input method
                 for (QLineEdit *c : root()->findChildren<QLineEdit *>())
                     c->testAttribute(Qt::WA_InputMethodEnabled) ? void(all << c->objectName()) : void();
                 return all.join(',');
             }},
            {"drawn", [&] {  // anything on the picture's background
                 QImage blank = view->Picture();
                 blank.fill(view->BackColor());
                 return yes(view->Picture() != blank);
             }},
            {"slots", [&] {
                 for (const AttachmentRecord &r : state.Attachments)
                     r.Number ? void(all << Record(r)) : void();
                 return all.join(" | ");
             }},
            {"inputs", [&] {  // prompt, title and default text of each
                 for (const FakeDialogs::Input &in : fake.inputs)
                     all << in.prompt + '|' + in.title + '|' + in.defaultText;
                 return all.join(", ");
             }},
            {"request", [&] {
                 const OpenFileRequest r = fake.openRequests.value(0);
                 return QStringList{r.title, r.filter, r.defaultExtension, r.fileName, r.directory}.join(' ');
             }},
            {"ini", [&] {
                 const bool there = ReadBytes(path("Quillmark.ini")).contains(arg.toLatin1() + '=');
                 return there ? ReadIniValue(state, "Config", arg) : "absent";
             }},
            {"painted", [&] { return view->grab().toImage().pixelColor(2, 2).name(); }},
            {"redrawn", [&] { return yes(std::exchange(linesSeen, view->LinesDrawn()) < view->LinesDrawn()); }},
            {"events", [&] { return events.join(", "); }},
            {"beeps", [&] { return number(fake.beeps); }},
            {"changed", [&] { return yes(win->DataChanged()); }},
            {"echanged", [&] { return yes(editor->DataChanged()); }},
            {"focus", [&] { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : ""; }},
            {"initial", [&] { return number(t.IniAttachment); }},
            {"line", [&] { return list()->item(arg.toInt())->text(); }},
            {"row", [&] { return number(list()->currentRow()); }},
            {"count", [&] { return number(CountAttachments(state.Attachments)); }},
            {"index", [&] { return number(editor->EditIndex()); }},
            {"work", [&] { return Record(state.EditAttachment); }},
            {"stored", [&] { return number((arg.startsWith("txtWidth") ? state.EditAttachment.Width
                                                                       : state.EditAttachment.Height)[arg.right(1).toInt()]); }},
            {"settings", [&] { return ReadBytes(path("Quillmark.ini")) == ini ? "as given" : "changed"; }},
            {"title", [&] { return win->windowHandle()->title(); }},
            {"remembered", [&] { return win->InitFile() + ' ' + win->InitDir(); }}};
        if (checks.count(name))
            return checks.at(name)();
        // Else a property of a widget: text, enabled, visible.
        QWidget *w = widget(arg);
        return w && w->property(name.toLatin1()).isValid() ? w->property(name.toLatin1()).toString() : "no such check";
    }
};
}  // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void scenario_data();
    void scenario()
    {
        QFETCH(QString, script);
        QStringList steps = script.split(QRegularExpression("; *"));
        QByteArray ini, mes = ReadBytes(QM_SOURCE_DIR "/resources/lang/en/Quillmark.mes");
        if (steps[0].startsWith("ini "))
            ini = QByteArray::fromPercentEncoding(steps.takeFirst().mid(4).toUtf8());
        if (steps[0] == "english")
            steps.removeFirst();
        else  // message n reads "Mn"
            for (int i = (mes = "MAX_INDEX = 68\r\n", 0); i <= 68; ++i)
                mes += QString("GSTR(%1) = \"M%1\"\r\n").arg(i).toLatin1();
        Harness h(ini, mes);
        QVERIFY(h.win);
        QStringList checked;
        for (QString step : steps) {
            const QString what = step.replace('@', h.path("")).section(':', 0, 0);
            if (what == step)
                QVERIFY2(h.act(step.section(' ', 0, 0), step.section(' ', 1)), qPrintable(step));
            else
                QCOMPARE(what + ": " + h.observe((checked << what).last().section(' ', 0, 0), what.section(' ', 1)),
                         what + ": " + step.section(':', 1).remove(QRegularExpression("^ ")));
        }
        for (const QString what : {"said", "beeps", "events"})
            if (!checked.contains(what))
                QCOMPARE(what + ": " + h.observe(what, ""), what + (what == "beeps" ? ": 0" : ": "));
    }
};

void TestWindows::scenario_data()
{
    QTest::addColumn<QString>("script");
    auto row = [](const QString &name, const QString &script) { QTest::newRow(qPrintable(name)) << script; };
    const QString caption = " - M0  Ver1.05    M1    M2", cleared = QStringList(17, "0.").join(',') + ",,0,";
    const QString full = "ini [Comfig]\r\nATTACH MAX COUNT=3; ";  // the example fills it
    QString fill, numbers, own = "write t.mtl NAME = ABC\r\nATC TYPE = WAIT2\r\nINI = ATTACHMENT03\r\n", ownFields;
    QStringList keys = QString("STROKE(X)|STROKE(Y)|STROKE(Z)|TOOL CHANGE TIME|MAXIMUM FEEDRATE").split('|');
    for (QString k : {"MAXIMUM FEEDRATE", "MAXIMUM ACCELERATION", "RAPID", "RAPID ACCELERATION"})
        keys << k + "(X)" << k + "(Y)" << k + "(Z)";
    for (int i = 0; i < 17; ++i) {  // every box its own value, so that a value in the wrong box shows
        fill += QString("fill %1 %2; ").arg(kBoxes[i]).arg(i + 1);
        numbers += QString("%1=%2,").arg(i).arg(i + 1);
        own += QString("%1 = %2.5\r\n").arg(keys[i]).arg(i + 1);
        ownFields += QString("%1.5,").arg(i + 1);
    }

    // Start-up, loading, field commits.
    row("start-up; each number box commits to its own field", "title: M0  Ver1.05    M1    M2; fields: " + cleared +
        "; rows: ; changed: 0; ini Init Dir: @; ini Init File: ; ime: txtMachineName; focus cmbAtcType; key Down; "
        "changed: 1; " + fill + "numbers: " + numbers.chopped(1));
    row("the English message file leaves no Japanese", "english; japanese: ");
    row("loading: the example, a missing file empties, every box its own value", "load; text txtFileName: @sample.mtl; "
        "fields: 850.,500.,510.,2.5,12000.,10000.,10000.,8000.,0.3,0.3,0.25,36000.,36000.,30000.,0.6,0.6,0.5,"
        "立形マシニングセンタ VM5,1,WAIT; rows: 01,02,05; line 2: ATTACHMENT05 = SQUARE/60.,150.,100.,60.,EXTENSION"
        "           ; row: -1; setfile u.mtl; fields: " + cleared + "; rows: ; " + own + "; setfile t.mtl; fields: " +
        ownFields + "ABC,3,WAIT2; changed: 0; focus txtMachineName; key Tab; changed: 1");
    row("commit: accepted texts; big values are never cut", "fill txtStroke_1   12  ; fill txtCngTime ; "
        "fill txtMaxFeedAll -3; fill txtMaxFeedXYZ_2 1.23456; fill txtStroke_0 1e20; key Backtab; focus: txtStroke_0; "
        "key Tab; fill txtRapidAcceleXYZ_2 -3.4028235e38; key Backtab; key Tab; "
        "numbers: 0=1e+20,1=12,4=-3,7=1.23456,16=-3.40282e+38; fields: 100000002004087734272.,12.,0.,0.,-3.,0.,0.,1.235," +
        QStringList(8, "0.").join(',') + ",-340282346638528859811704183484516925440.,,0,; changed: 1");
    row("commit: refused, the focus stays", "fill txtCngTime abc; said: M42 ok!; focus: txtCngTime; text txtCngTime: abc; "
        "numbers: ; changed: 0; fill txtCngTime 1e39; said: M42 ok!, M42 ok!; focus: txtCngTime; numbers: ; "
        "fill txtCngTime 7; numbers: 3=7; focus: txtMaxFeedAll");
    for (const char *b : {"btnEntry", "btnEnd", "cmdFile", "btnAdd", "btnEdit", "btnDel"})
        row(QString("a refused field blocks ") + b, QString("load; pick 0; type txtStroke_0 12a; click %1; said: M42 ok!; "
            "focus: txtStroke_0; inputs: ; request:     ; rows: 01,02,05; file sample.mtl: 27/27").arg(b));
    row("a refused field blocks the close box", "load; type txtStroke_0 12a; close; said: M42 ok!; visible frmMain: true");

    // Saving and leaving.
    row("save: every edit, Ctrl+S with a field being edited, read back; the title's unsaved mark", "load s.mtl; "
        "title: s.mtl" + caption + "; fill txtMachineName   MILL 9 ABCDEFGHIJKLMNOP; text txtMachineName:   MILL 9 "
        "ABCDEFGHIJK; fill txtStroke_1 501.25; fill txtCngTime 0.5; fill txtMaxFeedAll 0; fill txtMaxAcceleXYZ_1 "
        "1234.5678; fill txtRapidFeedXYZ_2 31000; fill txtRapidAcceleXYZ_0 0.75; focus cmbAtcType; key Down; "
        "type txtAttachInit 2; title: s.mtl*" + caption + "; key Ctrl+S; said: M57 oki; changed: 0; title: s.mtl" +
        caption + "; file s.mtl NAME: MILL 9 ABCDEFGHIJK  ; file s.mtl: 18/26; load; fill txtStroke_0 1; "
        "setfile s.mtl; title: s.mtl" + caption + "; fields: 850.,501.25,510.,0.5,0.,10000.,10000.,8000.,0.3,1234.568,"
        "0.25,36000.,36000.,31000.,0.75,0.6,0.5,MILL 9 ABCDEFGHIJK,2,WAIT2; click btnEnd; events: end");
    for (const QString how : {"click btnEnd", "close"}) {
        const QString edit = "load; fill txtMaxFeedXYZ_0 9000; setini Init Dir=/elsewhere/; answer ";
        const QString gone = QString(how == "close" ? "" : "; events: end") +
                             "; visible frmMain: false; ini Init Dir: @; file sample.mtl MAXIMUM FEEDRATE(X): ";
        row(how + ", Yes saves", edit + "Yes; " + how + "; said: M41 ynci, M57 oki" + gone + "9000.");
        row(how + ", No", edit + "No; " + how + "; said: M41 ynci" + gone + "10000.");
        row(how + ", Cancel stays", edit + "Cancel; " + how + "; said: M41 ynci; visible frmMain: true; "
            "ini Init Dir: /elsewhere/; changed: 1");
        row(how + ", nothing edited", "load; setini Init Dir=/elsewhere/; " + how + gone + "10000.");
        row(how + ", the write fails, then works", edit + "Yes Yes; fail; " + how + "; said: M41 ynci, M61 ok!; "
            "visible frmMain: true; changed: 1; heal; ini Init Dir: /elsewhere/; file sample.mtl MAXIMUM FEEDRATE(X): "
            "10000.; " + how + "; said: M41 ynci, M61 ok!, M41 ynci, M57 oki" + gone + "9000.");
    }
    for (const QString target : {"", "/nonexistent-folder-qm/x.mtl", "folder.mtl"})  // the edits are given up
        row("nowhere to save: " + target, "mkdir folder.mtl; setfile " + target + "; fill txtMaxFeedXYZ_0 9000; "
            "click btnEntry; changed: 1; click btnEnd; events: end; visible frmMain: false");
    row("a new name: Yes saves the emptied table", "load; setfile new.mtl; fill txtMaxFeedXYZ_0 9000; answer Yes; "
        "click btnEnd; said: M41 ynci, M57 oki; events: end; file new.mtl MAXIMUM FEEDRATE(X): 9000.; "
        "file new.mtl STROKE(X): -");
    const QString m63 = "write m.mtl # comment\r\n; setfile m.mtl; fill txtMaxFeedXYZ_0 9000; answer ";
    row("an unloadable file: the default answer leaves it", m63 + "; click btnEntry; said: M63 yn?/No; file m.mtl: 0/1; "
        "changed: 1; text txtMaxFeedXYZ_0: 9000.");
    row("an unloadable file: Yes overwrites, the next save asks nothing", m63 + "Yes; click btnEntry; "
        "fill txtMaxFeedXYZ_0 9001; click btnEntry; said: M63 yn?/No, M57 oki, M57 oki; "
        "file m.mtl MAXIMUM FEEDRATE(X): 9001.");
    const QString m62 = "load m.mtl; write m.mtl NAME = OTHER\r\n; fill txtMaxFeedXYZ_0 9000; answer ";
    row("changed on disk: No keeps its bytes and the edits", m62 + "No; click btnEntry; said: M62 yn?/No; "
        "file m.mtl: 0/1; file m.mtl NAME: OTHER; changed: 1");
    row("changed on disk: Yes overwrites", m62 + "Yes; click btnEntry; said: M62 yn?/No, M57 oki; "
        "file m.mtl MAXIMUM FEEDRATE(X): 9000.");
    row("unusable settings told once and kept", "ini [Config]\r\nTextEditor=vi%81%FF; said: M65 ok!; close; "
        "said: M65 ok!; settings: as given");

    // The attachment list and the initial attachment.
    const QString add = "load; pick 1; input ", none = "; changed: 0; row: 1; drawn: 1; rows: 01,02,05";
    const QString added = "; changed: 1; row: -1; drawn: 0";
    row("add: cancelled, zero", add + "; click btnAdd; input 0; click btnAdd; inputs: M50|M30|, M50|M30|" + none);
    row("add: refusals, then cancelled", add + "3.5/-2/abc/1e-3/  /1,2/; click btnAdd; said: " +
        QStringList(6, "M42 ok!").join(", ") + none);
    row("add: full table", full + "load; pick 1; click btnAdd; inputs: ; said: M43 ok!" + none);
    row("add: beyond 32 bits, then 7", add + "2147483648/7; click btnAdd; said: 16777215M47 ok!; events: editor 7 at 4" +
        added);
    row("add: the real editor adds 3 before 5", add + "3; real; click btnAdd; events: editor 3 at 4; rows: 01,02,03,05; "
        "line 2: ATTACHMENT03 = SQUARE/25.,25." + added + "; click btnEntry; said: M57 oki; "
        "file sample.mtl ATTACHMENT03: SQUARE/25.,25.");
    row("select: previews, changes nothing; edit hands number and position", "load; pick 2; "
        "work: 5 1/1 60,100 150,60 EXTENSION; drawn: 1; changed: 0; click btnEdit; events: editor 5 at 3" + added);
    row("select: a double click edits", "load; pick 0; dclick 0; events: editor 1 at 1" + added);
    row("tabbed into the list, nothing selected: Edit and Delete do nothing", "load; focus lstAttach; click btnEdit; "
        "click btnDel; said: M58 ok!, M58 ok!; rows: 01,02,05; row: -1; changed: 0; drawn: 0");
    row("delete the initial attachment: Yes", "load; pick 0; answer Yes; click btnDel; said: ATTACHMENT01M53 yn?; "
        "rows: 02,05; count: 2; initial: 1" + added);
    row("delete the initial attachment: No", "load; pick 0; answer No; click btnDel; said: ATTACHMENT01M53 yn?; "
        "rows: 01,02,05; changed: 0; row: 0; drawn: 1");
    row("delete another: Yes", "load; pick 2; answer Yes; click btnDel; said: ATTACHMENT05M51 yn?; rows: 01,02" + added);
    row("a record without a line: rows still find their slots", "write g.mtl NAME = GAP\r\nATTACHMENT01 = SQUARE/-5,10"
        "\r\nATTACHMENT03 = SQUARE/10,20\r\nATTACHMENT04 = SQUARE/30,5,NOSE\r\n; setfile g.mtl; rows: 03,04; pick 1; "
        "work: 4 1/1 30 5 NOSE; click btnEdit; events: editor 4 at 3; pick 0; answer Yes; click btnDel; "
        "said: ATTACHMENT03M51 yn?; rows: 04; count: 2");
    row("initial: half to even, negative, blanks; refused", "load; fill txtAttachInit 1.5; initial: 2; changed: 1; "
        "text txtAttachInit: 1.5; fill txtAttachInit -4; initial: -4; fill txtAttachInit    ; initial: 0; "
        "text txtAttachInit: 0; fill txtAttachInit x1; focus: txtAttachInit; fill txtAttachInit 2147483648; "
        "said: M42 ok!, M42 ok!; focus: txtAttachInit; initial: 0");
    row("initial: missing, No keeps the number; the question shows the text as typed", "load; answer No No; "
        "fill txtAttachInit 7; said: M307M52 yn?; initial: 7; changed: 1; fill txtAttachInit  6.5; "
        "said: M307M52 yn?, M30 6.5M52 yn?; initial: 6");
    row("initial: missing, Yes runs the editor", "load; answer Yes; real; fill txtAttachInit 7; said: M307M52 yn?; "
        "events: editor 7 at 4; rows: 01,02,05,07; line 3: ATTACHMENT07 = SQUARE/25.,25.");
    row("initial: missing, Yes, full table", full + "load; answer Yes; fill txtAttachInit 7; "
        "said: M307M52 yn?, M54/M55/M56 ok!");

    // File choice, drops and the end button.
    const QString files = "ini [Config]\r\nInit File=a.mtl; mkdir sub; load sub/b.mtl; load sub/C.MTL; write sub/x.MTLX NAME = X\r\n; "
                          "load a.mtl; ";
    row("file button: the request; the choice is remembered and written on closing", files + "choose sub/b.mtl; "
        "click cmdFile; request: M39 M68(.mtl)|*.mtl|M40|*.* .mtl a.mtl @; text txtFileName: @sub/b.mtl; "
        "remembered: b.mtl @sub/; close; ini Init File: b.mtl; ini Init Dir: @sub/");
    row("file button: cancelled, then the same file, edited: no question, no reload", files + "choose ; click cmdFile; "
        "fill txtStroke_1 77; choose a.mtl; click cmdFile; text txtFileName: @a.mtl; text txtStroke_1: 77.; "
        "remembered: a.mtl @");
    const QString edited = files + "fill txtStroke_1 77; answer ", button = "; choose sub/b.mtl; click cmdFile; said: M41 ynci";
    row("file button, edited: Cancel keeps", edited + "Cancel" + button + "; text txtFileName: @a.mtl; "
        "text txtStroke_1: 77.; file a.mtl STROKE(Y): 500.");
    row("file button, edited: No", edited + "No" + button + "; text txtFileName: @sub/b.mtl; text txtStroke_1: 500.; "
        "file a.mtl STROKE(Y): 500.");
    row("file button, edited: Yes saves first", edited + "Yes" + button + ", M57 oki; text txtFileName: @sub/b.mtl; "
        "file a.mtl STROKE(Y): 77.");
    row("drop, edited: asks as the button does", edited + "Cancel; drop sub/b.mtl; said: M41 ynci; "
        "text txtFileName: @a.mtl");
    row("drop: the first file, any case, not remembered", files + "drop sub/C.MTL,sub/b.mtl; text txtFileName: @sub/C.MTL; "
        "remembered: a.mtl @; close; ini Init File: a.mtl");
    row("drop: another extension, or text", files + "drop sub/x.MTLX; text txtFileName: @a.mtl; drop text sub/b.mtl; "
        "events: drag refused; text txtFileName: @a.mtl");
    const QString weird = "it's a \"strange\" name $(x).mtl", editor = "ini [Config]\r\nTextEditor=my editor\r\n";
    const QString start = "start my editor|@" + weird + "|@";
    row("end: the text editor on the file, after the settings", editor + "Check=0; load " + weird +
        "; setini Init Dir=/elsewhere/; click btnEnd; events: " + start + ", end; visible frmMain: false");
    row("end: no Check key, no editor", editor + "; load " + weird + "; click btnEnd; events: end");
    row("end: no file, no editor", editor + "Check=0; load " + weird + "; rm " + weird + "; click btnEnd; events: end");
    row("end: the editor cannot start", editor + "Check=0; load " + weird + "; nostart; click btnEnd; events: " + start +
        ", end");

    // The attachment editor, on slots 0 and 1 holding attachments 3 and 12.
    const QString e = "write e.mtl NAME = E\r\nATTACHMENT03 = SQUARE/4,2\r\nATTACHMENT12 = UNDEFINE2/10,5,20,5,ABC\r\n; "
                      "setfile e.mtl; ", open12 = e + "open 2 12; ", untouched = "slots: 3 1/1 4 2 | 12 2/2 10,20 5,5 ABC";
    row("editor: an existing attachment; Entry keeps name and shape", open12 + "index: 1; text txtWidth_1: 20.; "
        "text txtHight_0: 5.; text txtHight_2: 0.; drawn: 1; type txtHight_1 7; click btnEntry; "
        "slots: 3 1/1 4 2 | 12 2/2 10,20 5,7 ABC; echanged: 0; visible frmEditor: true; changed: 1");
    row("editor: Show rounds half to even, takes blanks, 0 and negative numbers, new ones in a free slot", open12 +
        "type txtAttachNo 12.5; click btnShow; index: 1; work: 12 2/2 10,20 5,5 ABC; type txtAttachNo 13.5; click btnShow; "
        "index: 2; text txtAttachNo: 14; text txtWidth_0: 0.; drawn: 0; type txtAttachNo  3 ; click btnShow; index: 0; "
        "work: 3 1/1 4 2; drawn: 1; type txtAttachNo 0; click btnShow; index: 2; work: 0 0/0 0 0; type txtAttachNo -4; "
        "click btnShow; index: 2; work: -4 0/0 0 0");
    row("editor: Entry after Show writes the shown slot, if stage 1 is given", open12 + "type txtAttachNo 3; "
        "click btnShow; type txtWidth_0 6; click btnEntry; type txtAttachNo 14; click btnShow; type txtWidth_0 6; "
        "click btnEntry; slots: 3 1/1 6 2 | 12 2/2 10,20 5,5 ABC");
    row("editor: Show refuses what is no 32-bit number", open12 + "type txtAttachNo ; click btnShow; type txtAttachNo abc; "
        "click btnShow; type txtAttachNo 2147483648; click btnShow; said: 16777215M47 ok!, 16777215M47 ok!, "
        "16777215M47 ok!; focus: txtAttachNo; index: 1; work: 12 2/2 10,20 5,5 ABC; visible btnShow: true; "
        "enabled btnEntry: false");
    row("editor: blank, loaded, number changed, blank again", e + "open 0 12; index: -1; stages: 1 #ffffff; ime: ; "
        "painted: #e0e0e0; enabled pctbView: true; drawn: 0; visible btnShow: false; enabled btnEntry: true; close; "
        "open 2 12; stages: 1 #ffffff; drawn: 1; type txtAttachNo 5; stages: 0 #c0c0c0; painted: #c0c0c0; "
        "enabled pctbView: false; drawn: 0; visible btnShow: true; enabled btnEntry: false; close; open 0 0; "
        "stages: 1 #ffffff; painted: #e0e0e0; visible btnShow: false");
    auto typing = [&](const QString &name, const QString &box, const QStringList &cases, int beeps) {
        QString script = "write k.mtl NAME = K\r\nATTACHMENT12 = SQUARE/10,10,10,10,10,10,10,10,10,10\r\n; "
                         "setfile k.mtl; open 1 12";
        for (const QString &c : cases)  // "text before|keys|text after|stored value"
            script += QString("; focus %1; set %1 %2; key %3; text %1: %4; stored %1: %5").arg(box, c.section('|', 0, 0),
                          c.section('|', 1, 1), c.section('|', 2, 2), c.section('|', 3, 3));
        row("editor keys: " + name, script + QString("; beeps: %1").arg(beeps));
    };
    typing("digits, point and Backspace pass; Delete edits a non-number", "txtWidth_2",
           {"1.5.|Home Del|.5.|10", "12|3|123|123", "12|.|12.|12", "12|Backspace|1|1"}, 0);
    typing("others, and any key after a non-number, beep", "txtHight_4",
           {"|-||10", ".|5|.|10", "1.5.|Backspace|1.5.|10", "12|A|12|12", "12|-|12|12"}, 5);
    typing("leaving reformats a number", "txtWidth_2",
           {"|Tab||10", "1..2|Tab|1..2|10", "1e39|Tab|1e39|10", "2.12345|Tab|2.123|2.12345", " 8 |Tab|8.|8"}, 0);
    row("editor: each keystroke stores and redraws; nothing to draw keeps the outline", "write k.mtl NAME = K\r\n"
        "ATTACHMENT12 = SQUARE/2,4\r\n; setfile k.mtl; open 1 12; redrawn: 1; focus txtWidth_0; set txtWidth_0 ; "
        "redrawn: 0; stored txtWidth_0: 2; echanged: 0; key 1; stored txtWidth_0: 1; redrawn: 1; key .; "
        "stored txtWidth_0: 1; redrawn: 1; key 5; stored txtWidth_0: 1.5; redrawn: 1; echanged: 1; key Tab; "
        "text txtWidth_0: 1.5; set txtWidth_0 0; stored txtWidth_0: 0; redrawn: 0; drawn: 1");
    row("editor: Entry needs stage 1's width and height", e + "open 3 7; type txtWidth_1 20; type txtHight_1 3; "
        "type txtWidth_0 10; type txtHight_0 0; click btnEntry; " + untouched + "; type txtWidth_0 0; type txtHight_0 5; "
        "click btnEntry; " + untouched + "; echanged: 1; changed: 0; type txtWidth_0 10; click btnEntry; index: 2; " +
        untouched + " | 7 1/1 10,20 5,3; echanged: 0; changed: 1; visible frmEditor: true");
    row("editor: Entry outside the table writes nothing", e + "open 0 7; type txtWidth_0 10; type txtHight_0 5; "
        "click btnEntry; index: -1; close; open 11 7; type txtWidth_0 10; type txtHight_0 5; click btnEntry; "
        "index: -1; " + untouched + "; changed: 0");
    const QString edit = e + "open 3 7; type txtWidth_0 10; type txtHight_0 5; key Tab; answer ";
    row("editor: Close, Cancel stays, No closes; DataChanged survives reopening", edit + "Cancel No No; click btnClose; "
        "visible frmEditor: true; click btnClose; visible frmEditor: false; " + untouched + "; open 3 7; echanged: 1; "
        "text txtWidth_0: 0.; click btnClose; said: M41 ynci, M41 ynci, M41 ynci; visible frmEditor: false");
    row("editor: Close, Yes enters and closes, even with the number changed", edit + "Yes; type txtAttachNo 99; "
        "click btnClose; said: M41 ynci; visible frmEditor: false; " + untouched + " | 7 1/1 10 5; echanged: 0");
    row("editor: Close after only looking, the close box, Escape and Return ask nothing", e + "open 3 7; "
        "focus txtWidth_0; key Tab; click btnClose; visible frmEditor: false; open 3 7; type txtWidth_0 10; "
        "focus txtAttachNo; key Esc; focus txtHight_0; key Return Esc; visible frmEditor: true; close; "
        "visible frmEditor: false; echanged: 1; " + untouched);
    row("editor: full table: the last slot loads, only known numbers show", "ini [Comfig]\r\nATTACH MAX COUNT=2; " +
        open12 + "index: 1; text txtWidth_0: 10.; type txtAttachNo 99; click btnShow; said: M43 ok!; index: 1; "
        "work: 12 2/2 10,20 5,5 ABC; visible btnShow: true; " + untouched + "; type txtAttachNo 3; click btnShow; "
        "index: 0; text txtWidth_0: 4.; close; open 2 77; said: M43 ok!, M43 ok!; visible btnShow: true; index: 1; " +
        untouched);
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
