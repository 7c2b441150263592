#pragma once
// Scenarios: a list of steps, one to a line, run in order in a program folder of their own. A step is an action, or a
// check of what is seen (before the colon) against what should be (after it). "@" is the program folder; message n
// reads as its name in brackets ("[NotANumber]"). A row stops at its first wrong step and names it; message boxes,
// beeps and events that no check took up by the end fail it too. This part knows files, the dialogs and the events;
// a harness of a window or a class adds its own steps. Every step it knows, one example each:
//
// Actions:
//   write f.mtl NAME = F\r\n         a file of these bytes ("%93" in a name: a byte that is no UTF-8)
//   leftover r.mtl NAME = R\r\n      the recovery copy a dead program left for a file, "%80" for any byte
//   hold r.mtl, release              another running program's hold on a file (and its copy, if given); it ended
//   spoil r.mtl garbage              a file's recovery copy made of a text; "BIG": over the size limit
//   move sub gone, link l.mtl r.mtl  a file or folder renamed (over a file there); a symbolic link l.mtl to r.mtl
//   old .sample.mtl.k3x9             a file last written two minutes ago
//   disk fails, disk works           every file operation fails from then on; none does
// Checks:
//   said: [SaveChanges] ynci -> No, [Saved] oki   message boxes since the last "said": text to its first line break,
//       buttons (ok yn ync), icon (x ? ! i), a default not Ok or Yes ("yn?/No"), the answer to give ("-> No", else
//       the default); "box: [LinesNotKept]3/4: ...": the last one's text (a recovery copy's name: "COPY");
//       "diff: -A = 1/+A = 2": its details' lines
//   events: editor 3 at 3, end       since the last "events"; beeps: 1 since the last "beeps"
//   file s.mtl STROKE(X): 9.         the value on a key's line of a file ("-": no such line)
//   copy r.mtl STROKE(X): 9.         the same in its recovery copy ("none": no copy; " shared": not private; no
//                                    such line: the text, or "big")
//   began r.mtl: other               the file its copy's edits began from: the one on disk now, another, or none
//   exists r.mtlbak: 0, same sample.mtl: 1   a file there; holding the example's bytes
//   mtls: 2                          the number of .mtl files in the program folder
#include "FakeDialogs.h"
#include "FaultyFiles.h"
#include "TestFiles.h"
#include "model/AppState.h"
#include "model/MtlFile.h"
#include "model/Recovery.h"
#include "platform/FileSystem.h"

#include <QtTest>

#include <cstdio>
#include <dirent.h>
#include <functional>
#include <map>
#include <memory>
#include <optional>

inline const QString kSample = QStringLiteral(QM_SOURCE_DIR "/examples/sample.mtl");
inline const QStringList kAnswers{"Ok", "Yes", "No", "Cancel"};

template <class Items, class Text> QString Join(const Items &items, Text text, const char *separator = ",")
{
    QStringList all;  // a null text leaves its item out
    for (const auto &item : items)
        if (const QString t = text(item); !t.isNull())
            all << t;
    return all.join(separator);
}

inline QString ValueOf(const QByteArray &bytes, const QString &key, const QString &none = {})  // on the key's line
{
    for (const QByteArray &line : bytes.split('\n'))
        if (line.startsWith(key.toLatin1() + " = "))
            return QString::fromLatin1(line.mid(key.size() + 3).chopped(1));
    return none;
}

struct FileScenario {
    QTemporaryDir dir;
    FakeDialogs fake;
    FaultyFiles files;
    AppState state{files};
    std::unique_ptr<RecoveryStore> other;  // another program's hold on a file
    QStringList events;
    qsizetype saidSeen = 0, eventsSeen = 0, beepsSeen = 0;  // what the last check of each saw

    virtual ~FileScenario() = default;
    virtual bool ready() const = 0;
    virtual bool act(const QString &verb, const QString &arg) = 0;
    virtual QString observe(const QString &name, const QString &arg) = 0;

    QString path(const QString &name) const  // "%93" for a byte of the name that is no UTF-8
    {
        const QString n = name.contains('%') ? DecodeName(QByteArray::fromPercentEncoding(name.toUtf8())) : name;
        return n.startsWith('/') ? n : dir.path() + '/' + n;
    }
    QString copyOf(const QString &name) { return RecoveryStore(files, dir.path()).PathFor(path(name)); }
    // A copy's edits began from the file as it is now.
    QByteArray base(const QString &name) const
    {
        return QFile::exists(path(name)) ? ContentHash(ReadBytes(path(name))) : QByteArray();
    }

    std::optional<bool> fileAct(const QString &verb, const QString &arg)
    {
        const QString name = arg.section(' ', 0, 0), rest = arg.section(' ', 1);
        const QByteArray bytes = QByteArray::fromPercentEncoding(rest.toUtf8());
        bool ok = true;
        const std::map<QString, std::function<void()>> verbs{
            {"write", [&] { QDir().mkpath(QFileInfo(path(name)).path()), WriteBytes(path(name), rest.toUtf8()); }},
            {"leftover", [&] { RecoveryStore s(files, dir.path()); s.ClaimFile(path(name)), s.Write(bytes, base(name)); }},
            {"hold", [&] {
                 other = std::make_unique<RecoveryStore>(files, dir.path()), other->ClaimFile(path(name));
                 rest.isEmpty() || other->Write(bytes, base(name));
             }},
            {"release", [&] { other.reset(); }},
            {"spoil", [&] { WriteBytes(copyOf(name), rest.toUtf8()), rest == "BIG" && QFile::resize(copyOf(name), 17 << 20); }},
            {"move", [&] { ok = ::rename(EncodeName(path(name)), EncodeName(path(rest))) == 0; }},  // over a file too
            {"link", [&] { ok = QFile::link(path(rest), path(name)); }},
            {"old", [&] {
                 QFile f(path(arg));
                 ok = f.open(QIODevice::WriteOnly) && f.setFileTime(QDateTime::currentDateTime().addSecs(-120),
                                                                    QFileDevice::FileModificationTime);
             }},
            {"disk", [&] { files.Arm(1, arg == "fails" ? FaultyFiles::Mode::FromThenOn : FaultyFiles::Mode::None); }}};
        if (!verbs.count(verb))
            return std::nullopt;
        verbs.at(verb)();
        return ok;
    }

    std::optional<QString> fileObserve(const QString &name, const QString &arg)
    {
        auto yes = [](bool b) { return QString::number(int(b)); };
        const std::map<QString, std::function<QString()>> checks{
            {"said", [&] {
                 QStringList all;
                 for (qsizetype i = std::exchange(saidSeen, fake.boxes.size()); i < fake.boxes.size(); ++i) {
                     const FakeDialogs::Box &b = fake.boxes[i];
                     const MsgAnswer usual = b.buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
                     all << QString(b.text).replace("\r\n", "/").section('\n', 0, 0) + ' ' +
                                QStringList{"ok", "yn", "ync"}[int(b.buttons)] + "x?!i"[int(b.icon)] +
                                (b.defaultButton == usual ? "" : "/" + kAnswers[int(b.defaultButton)]) +
                                (fake.answers.contains(i) ? " -> " + kAnswers[int(fake.answers[i])] : "");
                 }
                 return all.join(", ");
             }},
            {"box", [&] {  // a recovery copy's name reads "COPY"
                 const QString text = fake.boxes.isEmpty() ? "" : fake.boxes.last().text;
                 return QString(text).replace('\n', '/').replace(QRegularExpression("[0-9a-f]{32}\\.recover"), "COPY");
             }},
            {"diff", [&] {
                 const QStringList lines = fake.boxes.isEmpty() ? QStringList() : fake.boxes.last().details.split('\n');
                 return lines.filter(QRegularExpression("^[-+](?![-+]{2} )")).join('/');
             }},
            {"events", [&] { return events.mid(std::exchange(eventsSeen, events.size())).join(", "); }},
            {"beeps", [&] { return QString::number(fake.beeps - std::exchange(beepsSeen, fake.beeps)); }},
            {"file", [&] { return ValueOf(ReadBytes(path(arg.section(' ', 0, 0))), arg.section(' ', 1), "-"); }},
            {"began", [&] {  // the file a copy's edits began from: the one on disk now, another, or none noted
                 const QByteArray bytes = ReadBytes(copyOf(arg));
                 const qsizetype at = bytes.indexOf("\nbase "), end = bytes.indexOf("\n\n");
                 if (at < 0 || at > end) return QString("none");
                 const QByteArray base = QByteArray::fromHex(bytes.mid(at + 6, bytes.indexOf('\n', at + 1) - at - 6));
                 return QString(base == this->base(arg) ? "disk" : "other");
             }},
            {"copy", [&] {
                 const QString copy = copyOf(arg.section(' ', 0, 0));
                 const QByteArray bytes = ReadBytes(copy);
                 const QString value = ValueOf(bytes, arg.section(' ', 1));
                 const qsizetype body = bytes.indexOf("\n\n");  // after the header, if it has one
                 return bytes == "<missing>" ? "none"
                        : !value.isNull()    ? value + ((QFile::permissions(copy) & 0x0077) == 0 ? "" : " shared")
                                             : QString(bytes.size() > 1000 ? "big" : body < 0 ? bytes
                                                                                              : bytes.mid(body + 2))
                                                .trimmed();
             }},
            {"exists", [&] { return yes(StatPath(path(arg), false).exists); }},
            {"same", [&] { return yes(ReadBytes(path(arg)) == ReadBytes(kSample)); }},
            {"mtls", [&] {  // by the system's own listing: Qt's leaves out names that are no UTF-8
                 int n = 0;
                 DIR *d = ::opendir(QFile::encodeName(dir.path()).constData());
                 while (const dirent *e = d ? ::readdir(d) : nullptr) n += QByteArray(e->d_name).endsWith(".mtl");
                 return d && ::closedir(d) == 0 ? QString::number(n) : "no folder";
             }}};
        if (!checks.count(name))
            return std::nullopt;
        return checks.at(name)();
    }
};

// Message n reads "[Name]", its name in the enumeration; a number without a name reads "[n]".
inline QByteArray NamedMessages()
{
    const QString header = QString::fromUtf8(ReadBytes(QM_SOURCE_DIR "/src/platform/MessageTable.h"));
    QMap<int, QString> names{{0, "0"}};
    for (const auto &m : QRegularExpression("(\\w+) = (\\d+),").globalMatch(header.section("enum class Msg", 1)))
        names[m.captured(2).toInt()] = m.captured(1);
    QByteArray mes = "MAX_INDEX = " + QByteArray::number(names.lastKey()) + "\r\n";
    for (int i = 0; i <= names.lastKey(); ++i)
        mes += QString("GSTR(%1) = \"[%2]\"\r\n").arg(i).arg(names.value(i, QString::number(i))).toUtf8();
    return mes;
}

// Runs the steps on a harness H made from the settings file's bytes (a first step "ini ...", "%81" for any byte) and
// the message file's ("english": the shipped English file, else the names); fails at the first wrong step, naming it.
template <class H> void Run(QStringList steps)
{
    static const QByteArray named = NamedMessages();
    QVERIFY2(named.contains("[NotANumber]"), "no message names found in MessageTable.h");
    const bool ini = steps[0].startsWith("ini ");
    H h(ini ? QByteArray::fromPercentEncoding(steps[0].mid(4).toUtf8()) : QByteArray(),
        steps.contains("english") ? ReadBytes(QM_SOURCE_DIR "/resources/lang/en/Quillmark.mes") : named);
    QVERIFY(h.ready());
    // Every message box the row expects, in turn, for the answer its check gives it.
    const QStringList boxes = steps.filter(QRegularExpression("^said: .")).join(", ").remove("said: ").split(", ");
    for (qsizetype i = 0; i < boxes.size(); ++i)
        if (const qsizetype answer = kAnswers.indexOf(boxes[i].section(" -> ", 1)); answer >= 0)
            h.fake.answers[i] = MsgAnswer(answer);
    const qsizetype given = steps.size();
    steps << "said: "
          << "beeps: 0"
          << "events: ";  // nothing left unchecked
    for (qsizetype i = ini; i < steps.size(); ++i) {
        const QString step = QString(steps[i]).replace('@', h.path("")), what = step.section(':', 0, 0);
        const QString where = (i < given ? QString("step %1 of %2: ").arg(i + 1).arg(given) : "after the last step: ") +
                              QString(steps[i]).replace("\r\n", "\\r\\n");
        const bool action = what == step;
        const bool done = action && (step == "english" || h.act(what.section(' ', 0, 0), step.section(' ', 1)));
        const QString seen = action ? (done ? "" : "not done") : h.observe(what.section(' ', 0, 0), what.section(' ', 1));
        const QString expected = action ? "" : step.section(':', 1).remove(QRegularExpression("^ "));
        if (seen != expected)
            QFAIL(qPrintable(where + "\n   seen:     " + seen + "\n   expected: " + expected));
    }
}
