#include "tests/gui/testhost.h"

#include <QAction>
#include <algorithm>

#include "app/commandaction.h"
#include "app/tcommanddefinition.h"
#include "engine/tkelmor.h"

// The images are resources of the program's library.
static void InitKelmorResources() { Q_INIT_RESOURCE(kelmor); }

namespace kelmor::test {

TTestHost::TTestHost() {
    InitKelmorResources();
    commandImages_.Load(QStringLiteral(":/images/commands.png"));
    treeImages_.Load(QStringLiteral(":/images/tree.png"));
    for (const TCommandDefinition& definition : CommandDefinitions()) {
        QAction* command = CreateCommandAction(definition, &actionOwner_);
        command->setIcon(commandImages_.Icon(definition.imageIndex));
        command->setEnabled(false);
        commands_.push_back(command);
    }
    // The Database menu's entries that are not commands.
    for (QAction*& entry : databaseEntries_) {
        entry = new QAction(&actionOwner_);
        entry->setEnabled(false);
    }
}

TTestHost::~TTestHost() = default;

void TTestHost::SetStatusText(const QString& text) {
    if (progress_ < 0) statusText_ = text;
}

void TTestHost::BeginProgress(const QString& caption) {
    if (progress_ >= 0) return;
    statusText_ = caption;
    progress_ = 0;
}

void TTestHost::SetProgress(int percent) {
    if (progress_ >= 0) progress_ = std::clamp(percent, 0, 100);
}

void TTestHost::EndProgress() {
    if (progress_ < 0) return;
    progress_ = -1;
    statusText_.clear();
}

TKelmorClass* TTestHost::AddDatabase(std::unique_ptr<TKelmorClass> engine) {
    openDatabases_.push_back(std::move(engine));
    return openDatabases_.back().get();
}

void TTestHost::RemoveDatabase(TKelmorClass* engine) {
    for (auto it = openDatabases_.begin(); it != openDatabases_.end(); ++it) {
        if (it->get() == engine) {
            openDatabases_.erase(it);  // frees the engine, which closes its files
            return;
        }
    }
}

}  // namespace kelmor::test
