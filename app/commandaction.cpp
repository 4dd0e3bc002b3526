#include "app/commandaction.h"

#include <QAction>

#include "app/tcommanddefinition.h"

namespace kelmor {

QAction* CreateCommandAction(const TCommandDefinition& definition, QObject* owner) {
    auto* command = new QAction(QString::fromLatin1(definition.caption), owner);
    command->setObjectName(QString::fromLatin1(definition.name));
    const QString hint = QString::fromLatin1(definition.hint);
    const qsizetype bar = hint.indexOf(QString::fromLatin1(HintSeparator()));
    command->setToolTip(bar < 0 ? hint : hint.left(bar));
    command->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    if (*definition.shortcut) {
        command->setShortcut(QKeySequence::fromString(QString::fromLatin1(definition.shortcut)));
        // Shown in the menus; TShortcutResolver decides who gets the key.
        command->setShortcutContext(Qt::WidgetShortcut);
    }
    command->setProperty("category", QString::fromLatin1(definition.category));
    command->setProperty("imageIndex", definition.imageIndex);
    return command;
}

}  // namespace kelmor
