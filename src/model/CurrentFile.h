#pragma once
// The file being edited: its name and what was loaded or last saved. Save
// asks it before it overwrites.
#include <QByteArray>
#include <QString>

class CurrentFile {
public:
    enum class State {
        None,     // no file named
        Loaded,   // read, or saved, with the bytes of hash
        Missing,  // named, but there was no such file: saving creates it
        Failed,   // there, but it gave no machine table: saving would replace it
    };

    void Clear() { *this = CurrentFile(); }
    void SetLoaded(const QString &name, const QByteArray &hash) { Set(name, State::Loaded, hash); }
    void SetMissing(const QString &name) { Set(name, State::Missing, {}); }
    void SetFailed(const QString &name) { Set(name, State::Failed, {}); }
    void SetSaved(const QByteArray &hash) { Set(name_, State::Loaded, hash); }

    // Edits taken back from a recovery copy began from the file of this
    // fingerprint (empty: from none): a save asks when the disk holds another.
    void SetBase(const QByteArray &hash)
    {
        if (state_ == State::Loaded || state_ == State::Missing)
            Set(name_, hash.isEmpty() ? State::Missing : State::Loaded, hash);
    }

    const QString &Name() const { return name_; }
    State GetState() const { return state_; }
    const QByteArray &Hash() const { return hash_; }

    // Whether the disk still holds what was loaded or last saved, or for a
    // missing file, still nothing: false when another program has been at it.
    bool SameOnDisk() const;
    // A normal file of the name is there.
    bool Exists() const;

private:
    void Set(const QString &name, State state, const QByteArray &hash)
    {
        name_ = name;
        state_ = state;
        hash_ = hash;
    }

    QString name_;
    State state_ = State::None;
    QByteArray hash_;
};
