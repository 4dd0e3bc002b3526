// CreateCommandAction: the action of one command as the program defines it, for the
// main window and for anything else that hosts database windows.
#pragma once

class QAction;
class QObject;

namespace kelmor {

struct TCommandDefinition;

// An action with the command's name, caption, tooltip (the hint's short part), status
// tip (its long part) and shortcut, and the properties that its handlers and the
// toolbar reads: "category" and "imageIndex". Owned by `owner`.
QAction* CreateCommandAction(const TCommandDefinition& definition, QObject* owner);

}  // namespace kelmor
