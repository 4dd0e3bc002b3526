// The file dialogs' filters are written as "description|pattern" pairs joined by vertical
// bars, the patterns of one pair separated by ";". Qt's file dialog wants one text per
// filter with its patterns in parentheses, separated by spaces.
#pragma once

#include <QString>
#include <QStringList>

namespace kelmor {

// One Qt name filter per pair: the description without its own parenthesised pattern
// list, then the pair's patterns in parentheses. "*.*" becomes "*": on this platform a
// file name need not have a dot, and "All files" must show every file.
QStringList NameFiltersFromPairs(const QString& pairs);

// The one extension a name filter stands for ("xml" for "... (*.xml)"); empty when it
// has several patterns or a pattern that is not "*.ext".
QString SingleFilterSuffix(const QString& nameFilter);

}  // namespace kelmor
