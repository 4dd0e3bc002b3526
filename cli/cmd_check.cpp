// The check command: every inconsistency of a database's file set, changing nothing.
#include <ostream>

#include "cli/cliapp.h"
#include "cli/jsonwriter.h"
#include "cli/textcodec.h"
#include "engine/kelmorcheck.h"
#include "engine/tkelmor.h"

namespace kelmor::cli {

namespace {

int RunCheck(TCliContext& context) {
    const std::string base = TKelmorClass::BasePathOf(context.options.positional[0]);
    const std::vector<TCheckFinding> findings = CheckDatabase(base);
    if (context.options.Has("json")) {
        TJsonWriter json(context.out);
        json.BeginObject();
        json.Key("ok");
        json.Bool(findings.empty());
        json.Key("problems");
        json.BeginArray();
        // file names come from the command line as they are; the findings are our own texts
        for (const TCheckFinding& finding : findings) json.String(finding.file + ": " + finding.problem);
        json.EndArray();
        json.EndObject();
        json.Finish();
        return findings.empty() ? kExitOK : kExitFailed;
    }
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
             {{"json", false, false}},
             "  --json            {ok, problems: [text]}\n",
             1,
             1,
             RunCheck}};
}

const TCommandRegistration registration(50, MakeCommands);

}  // namespace

}  // namespace kelmor::cli
