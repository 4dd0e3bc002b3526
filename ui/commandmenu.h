// AddCommandsToMenu: fills a menu from a layout of commands and separators.
#pragma once

#include <initializer_list>
#include <span>
#include <vector>

#include "ui/tcommandid.h"

class QAction;
class QMenu;

namespace kelmor {

// `commands` is indexed by TCommandId.
void AddCommandsToMenu(QMenu* menu, std::span<const TMenuSlot> layout, const std::vector<QAction*>& commands);

inline void AddCommandsToMenu(QMenu* menu, std::initializer_list<TMenuSlot> layout,
                              const std::vector<QAction*>& commands) {
    AddCommandsToMenu(menu, std::span<const TMenuSlot>(layout.begin(), layout.size()), commands);
}

}  // namespace kelmor
