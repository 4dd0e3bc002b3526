// TMainForm: arranging the database windows, the Window menu's list, and the events of
// the main window (first activation, status tips, dropped files).
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>

#include "app/tmainform.h"
#include "ui/common.h"
#include "ui/tdatabasewindow.h"

namespace kelmor {

namespace {
constexpr const char* kWindowListEntry = "windowListEntry";
}

void TMainForm::PlaceDatabaseWindow(QMdiSubWindow* window) {
    constexpr int kCascadeDepth = 6;  // then it starts again at the top left
    const int step = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    const int before = static_cast<int>(DatabaseWindows().size()) - 1;
    const QPoint at(before % kCascadeDepth * step, before % kCascadeDepth * step);
    const QSize area = documentArea_->viewport()->size();
    const QSize size = QSize(area.width() - at.x(), area.height() - at.y()).expandedTo(window->minimumSizeHint());
    window->setGeometry(QRect(at, size));
}

void TMainForm::TileDocuments(bool horizontally) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : documentArea_->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized() && window->isVisible()) windows.append(window);
    }
    if (windows.isEmpty()) return;
    const QRect area = documentArea_->viewport()->rect();
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows[i];
        if (window->isMaximized()) window->showNormal();
        // Horizontally: one above the other, full width; vertically: side by side.
        const QRect place = horizontally
                                ? QRect(area.left(), area.top() + area.height() * i / count, area.width(),
                                        area.height() * (i + 1) / count - area.height() * i / count)
                                : QRect(area.left() + area.width() * i / count, area.top(),
                                        area.width() * (i + 1) / count - area.width() * i / count, area.height());
        window->setGeometry(place);
    }
}

void TMainForm::ArrangeMinimised() {
    const QRect area = documentArea_->viewport()->rect();
    int x = area.left();
    int bottom = area.bottom() + 1;
    for (QMdiSubWindow* window : documentArea_->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized()) continue;
        const QSize size = window->size();
        if (x > area.left() && x + size.width() > area.right()) {
            x = area.left();
            bottom -= size.height();
        }
        window->move(x, bottom - size.height());
        x += size.width();
    }
}

void TMainForm::FillWindowMenu() {
    for (QAction* entry : windowMenu_->actions()) {
        if (entry->property(kWindowListEntry).toBool()) {
            windowMenu_->removeAction(entry);
            entry->deleteLater();
        }
    }
    const QList<QMdiSubWindow*> windows = documentArea_->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty()) return;
    QAction* separator = windowMenu_->addSeparator();
    separator->setProperty(kWindowListEntry, true);
    int number = 1;
    for (QMdiSubWindow* window : windows) {
        const QString caption = number < 10 ? QStringLiteral("&%1 ").arg(number) : QStringLiteral("%1 ").arg(number);
        QAction* entry = windowMenu_->addAction(caption + DoubleAmpersands(window->windowTitle()));
        entry->setProperty(kWindowListEntry, true);
        entry->setCheckable(true);
        entry->setChecked(window == documentArea_->activeSubWindow());
        connect(entry, &QAction::triggered, this, [this, window] {
            if (window->isMinimized()) window->showNormal();
            documentArea_->setActiveSubWindow(window);
        });
        ++number;
    }
}

bool TMainForm::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::WindowActivate:
            if (firstActivation_) {
                firstActivation_ = false;
                // Opened once the window is on screen and activated.
                QTimer::singleShot(0, this, &TMainForm::OpenFirstActivationPath);
            }
            break;
        case QEvent::StatusTip: ShowHint(static_cast<QStatusTipEvent*>(event)->tip()); return true;
        case QEvent::ApplicationPaletteChange:
            for (QMdiSubWindow* window : DatabaseWindows()) {
                if (TDatabaseWindow* database = DatabaseWindowOf(window)) database->RefreshColours();
            }
            statusBar()->update();
            break;
        default: break;
    }
    return QMainWindow::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == statusBar() && event->type() == QEvent::Resize) LayoutProgress();
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
    QMainWindow::dragEnterEvent(event);
}

void TMainForm::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) files.append(url.toLocalFile());
    }
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    // Opened after the drop has ended: each may show its own logon dialog.
    QTimer::singleShot(0, this, [this, files] { OpenDroppedFiles(files); });
}

}  // namespace kelmor
