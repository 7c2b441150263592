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
    // Gives an entry the file left empty a text of the program's own, also
    // beyond the file's MAX_INDEX.
    void SetMissing(int index, const QString &text)
    {
        while (index >= texts_.size())
            texts_.append(QString());
        if (index >= 0 && texts_.at(index).isEmpty())
            texts_[index] = text;
    }
    QString operator()(int index) const
    {
        return index >= 0 && index < texts_.size() ? texts_.at(index) : QString();
    }
    std::int16_t MaxIndex() const { return maxIndex_; }
    bool Loaded() const { return !texts_.isEmpty(); }
    void Clear() { texts_.clear(); maxIndex_ = -1; language_ = kDesignLanguage; }

    // The language the texts are written in, as a locale name ("ja", "en"),
    // from the file's LANGUAGE line; Japanese, the design language, without one.
    // Qt's own texts (standard buttons, context menus) follow it.
    const QString &Language() const { return language_; }
    void SetLanguage(const QString &language)
    {
        language_ = language.isEmpty() ? kDesignLanguage : language;
    }
    static inline const QString kDesignLanguage = QStringLiteral("ja");

private:
    QStringList texts_;
    std::int16_t maxIndex_ = -1;
    QString language_ = kDesignLanguage;
};
