// Tab columns: texts laid out in columns by tab characters ("Node ID\t\t\t: 8") line up
// in any font. A run of tabs separates two columns; each column starts a little to the
// right of the widest text of the column before it, in all lines alike.
#pragma once

#include <QStringList>
#include <vector>

class QFontMetrics;
class QLabel;

namespace kelmor {

// Where each column starts, in pixels from the left.
std::vector<int> TabColumnStarts(const QStringList& lines, const QFontMetrics& metrics);

// Makes `label` (plain text) paint its tab-separated text in such columns.
void AlignTabColumns(QLabel* label);

}  // namespace kelmor
