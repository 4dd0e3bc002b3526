// TShortcutResolver: gives the command keys of the main window their meaning. A key
// pressed while a view of a database window has the focus is first looked up in that
// view's context menu, then in the menu bar (menus left to right, entries top to bottom,
// sub-menus in place); elsewhere in the menu bar only. The first entry carrying the key
// takes it: enabled, its command runs; disabled, the key does nothing.
// The commands' own shortcuts are only shown in the menus; this object does the work,
// because several commands share a key.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QWidget;

namespace kelmor {

class TShortcutResolver : public QObject {
    Q_OBJECT
public:
    using TContextMenuSource = std::function<QMenu*(QWidget* focus)>;

    TShortcutResolver(QMainWindow& form, TContextMenuSource contextMenuFor);

    // The entry that receives the key with `focus` focused, or nullptr.
    QAction* Resolve(const QKeySequence& key, QWidget* focus) const;
    static QAction* FindIn(const QList<QAction*>& entries, const QKeySequence& key);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow& form_;
    TContextMenuSource contextMenuFor_;
};

}  // namespace kelmor
