#include "ui/tabcolumns.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>

namespace kelmor {

namespace {

QStringList Cells(const QString& line) {
    static const QRegularExpression tabs(QStringLiteral("\t+"));
    return line.split(tabs);
}

// Paints the label's text in place of the label.
class TTabColumnsPainter : public QObject {
public:
    explicit TTabColumnsPainter(QLabel* label) : QObject(label), label_(label) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != label_ || event->type() != QEvent::Paint) return false;
        QPainter painter(label_);
        painter.setFont(label_->font());
        painter.setPen(label_->palette().color(label_->foregroundRole()));
        const QFontMetrics metrics(label_->font());
        const QStringList lines = label_->text().split(QLatin1Char('\n'));
        const std::vector<int> starts = TabColumnStarts(lines, metrics);
        const QRect area =
            label_->contentsRect().adjusted(label_->margin(), label_->margin(), -label_->margin(), -label_->margin());
        const int height = static_cast<int>(lines.size()) * metrics.lineSpacing();
        int top = area.top();
        if (label_->alignment() & Qt::AlignVCenter) top += std::max(0, (area.height() - height) / 2);
        else if (label_->alignment() & Qt::AlignBottom) top += std::max(0, area.height() - height);
        for (const QString& line : lines) {
            const QStringList cells = Cells(line);
            for (qsizetype column = 0; column < cells.size(); ++column)
                painter.drawText(area.left() + starts[static_cast<size_t>(column)], top + metrics.ascent(),
                                 cells[column]);
            top += metrics.lineSpacing();
        }
        return true;
    }

private:
    QLabel* label_;
};

}  // namespace

std::vector<int> TabColumnStarts(const QStringList& lines, const QFontMetrics& metrics) {
    std::vector<int> starts{0};
    const int gap = metrics.horizontalAdvance(QStringLiteral("    "));
    for (size_t column = 1;; ++column) {
        int start = -1;
        for (const QString& line : lines) {
            const QStringList cells = Cells(line);
            if (static_cast<size_t>(cells.size()) <= column) continue;
            start = std::max(
                start, starts[column - 1] + metrics.horizontalAdvance(cells[static_cast<qsizetype>(column - 1)]) + gap);
        }
        if (start < 0) return starts;
        starts.push_back(start);
    }
}

void AlignTabColumns(QLabel* label) { label->installEventFilter(new TTabColumnsPainter(label)); }

}  // namespace kelmor
