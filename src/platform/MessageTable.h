#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>

// The numbered captions and messages. A number outside the table reads as
// empty text: a short message file must never crash the program.
class MessageTable {
public:
    void Create(std::int16_t maxIndex)
    {
        maxIndex_ = maxIndex;
        texts_ = QStringList();
        for (int i = 0; i <= maxIndex; ++i)
            texts_.append(QString());
    }
    void Set(int index, const QString &text)
    {
        if (index >= 0 && index < texts_.size())
            texts_[index] = text;
    }
    QString operator()(int index) const
    {
        return index >= 0 && index < texts_.size() ? texts_.at(index) : QString();
    }
    std::int16_t MaxIndex() const { return maxIndex_; }
    bool Loaded() const { return !texts_.isEmpty(); }
    void Clear() { texts_.clear(); maxIndex_ = -1; }

private:
    QStringList texts_;
    std::int16_t maxIndex_ = -1;
};
