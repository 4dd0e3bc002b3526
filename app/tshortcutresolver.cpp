#include "app/tshortcutresolver.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace kelmor {

TShortcutResolver::TShortcutResolver(QMainWindow& form, TContextMenuSource contextMenuFor)
    : QObject(&form), form_(form), contextMenuFor_(std::move(contextMenuFor)) {}

QAction* TShortcutResolver::FindIn(const QList<QAction*>& entries, const QKeySequence& key) {
    for (QAction* entry : entries) {
        if (!entry->isVisible() || entry->isSeparator()) continue;
        if (QMenu* sub = entry->menu()) {
            if (QAction* found = FindIn(sub->actions(), key)) return found;
            continue;
        }
        if (entry->shortcuts().contains(key)) return entry;
    }
    return nullptr;
}

QAction* TShortcutResolver::Resolve(const QKeySequence& key, QWidget* focus) const {
    if (focus && contextMenuFor_) {
        if (QMenu* menu = contextMenuFor_(focus)) {
            if (QAction* found = FindIn(menu->actions(), key)) return found;
        }
    }
    return FindIn(form_.menuBar()->actions(), key);
}

bool TShortcutResolver::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // In the menu bar or an open menu the toolkit would match a shared command key
        // (F2 renames a node and a key) once in each menu and call it ambiguous: the key
        // comes as a key press instead, to be resolved here (or ignored by the open menu).
        if (!qobject_cast<QMenuBar*>(watched) && !qobject_cast<QMenu*>(watched)) return false;
        const auto* press = static_cast<QKeyEvent*>(event);
        const QKeySequence sequence(QKeyCombination(press->modifiers() & ~Qt::KeypadModifier, Qt::Key(press->key())));
        if (!FindIn(form_.menuBar()->actions(), sequence)) return false;
        event->accept();
        return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &form_) return false;
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget()) return false;
    auto* press = static_cast<QKeyEvent*>(event);
    const int key = press->key();
    if (key == Qt::Key_unknown || key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt ||
        key == Qt::Key_Meta)
        return false;
    const QKeySequence sequence(QKeyCombination(press->modifiers() & ~Qt::KeypadModifier, Qt::Key(key)));
    QWidget* focus = QApplication::focusWidget();
    QAction* entry = Resolve(sequence, focus);
    if (!entry) return false;
    if (focus && !qobject_cast<QMenuBar*>(focus)) {
        // A text box being edited keeps its own editing keys.
        QKeyEvent claim(QEvent::ShortcutOverride, key, press->modifiers(), press->text());
        claim.ignore();
        QCoreApplication::sendEvent(focus, &claim);
        if (claim.isAccepted()) return false;
    }
    if (entry->isEnabled()) entry->trigger();
    return true;
}

}  // namespace kelmor
