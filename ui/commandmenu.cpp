#include "ui/commandmenu.h"

#include <QMenu>

namespace kelmor {

void AddCommandsToMenu(QMenu* menu, std::span<const TMenuSlot> layout, const std::vector<QAction*>& commands) {
    for (const TMenuSlot& slot : layout) {
        if (slot.command) menu->addAction(commands[CommandIndex(*slot.command)]);
        else menu->addSeparator();
    }
}

}  // namespace kelmor
