// TSearchHistory: the texts recently searched for (or replaced with), most recent first,
// as the find and replace dialogs offer them, kept in the program's settings.
#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace kelmor {

// The settings groups of the two histories.
inline constexpr const char* kFindHistoryGroup = "Find History";
inline constexpr const char* kReplaceHistoryGroup = "Replace History";

class TSearchHistory {
public:
    static constexpr int kMaxItems = 40;
    // The longest text a search or replace box takes.
    static constexpr int kMaxTextLength = 255;

    const QStringList& Items() const { return items_; }

    // Puts `text` at the top. An entry equal to it without regard to case is moved there
    // instead of adding a second one; beyond kMaxItems the oldest entry is dropped.
    void Add(const QString& text);

    // Appends the entries stored in `group` ("Items" and "Item1".."ItemN"). A value that
    // is missing or unusable ends the load quietly, keeping the entries read before it.
    void Load(QSettings& settings, const QString& group);
    // Replaces what `group` holds with the entries; a failure to write is ignored.
    void Save(QSettings& settings, const QString& group) const;

private:
    QStringList items_;
};

}  // namespace kelmor
