// The check command: every inconsistency of a database's file set, changing nothing.
#include <ostream>

#include "cli/cliapp.h"
#include "cli/textcodec.h"
#include "engine/kelmorcheck.h"
#include "engine/tkelmor.h"

namespace kelmor::cli {

namespace {

int RunCheck(TCliContext& context) {
    const std::string base = TKelmorClass::BasePathOf(context.options.positional[0]);
    const std::vector<TCheckFinding> findings = CheckDatabase(base);
    if (findings.empty()) {
        context.out << "ok\n";
        return kExitOK;
    }
    for (const TCheckFinding& finding : findings) context.out << finding.file << ": " << finding.problem << "\n";
    return kExitFailed;
}

std::vector<TCommand> MakeCommands() {
    return {{"check",
             "BASE",
             "reads the whole file set and reports every inconsistency; prints ok when the database is sound",
             {},
             "",
             1,
             1,
             RunCheck}};
}

const TCommandRegistration registration(50, MakeCommands);

}  // namespace

}  // namespace kelmor::cli
