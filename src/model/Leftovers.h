#pragma once
// What an earlier run left behind for a file: the recovery copy of edits a
// crash kept, and the backup an interrupted save left beside the file.
#include <QDateTime>
#include <QString>

struct Leftovers {
    enum class State {
        None,
        Differs,   // holds other content than the file: to be offered
        Equal,     // holds the file's own content: removed already
        Unusable,  // cannot be read or holds no table a save could write: left as it is
    };
    struct Item {
        State state = State::None;
        QString path;    // of the copy or the backup
        QDateTime time;  // when it was written
        QString reason;  // the OS's words, when it cannot be read
        QString unheld;  // characters of it that the file cannot hold
    };
    bool heldElsewhere = false;  // another running program has the file: nothing is offered
    Item copy;
    Item backup;
    QString file;  // the file the backup belongs to (a link's target)
    QDateTime fileTime;
};

enum class Leftover { Copy, Backup };
