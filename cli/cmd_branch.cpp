// Commands that place or secure a node with its branch: mv, cp, ln and sec, through the
// engine's node mark as the window's Cut, Copy, Paste and Paste as Link, with their rules
// and messages.
#include <ostream>

#include "cli/clisession.h"
#include "cli/editrules.h"
#include "cli/nodeaddress.h"

namespace kelmor::cli {

namespace {

// Runs a placement of NODE below PARENT; `place` gets both and answers the new ID (or
// the moved node's), which is printed when `printID` and the change was saved.
int RunPlacement(TCliContext& context, bool printID,
                 const std::function<int32_t(TKelmorClass&, int32_t node, int32_t parent)>& place) {
    TCliSession session(context);
    std::string nodeAddress, parentAddress;
    if (!session.ToLatin1(context.options.positional[1], "node", nodeAddress) ||
        !session.ToLatin1(context.options.positional[2], "parent", parentAddress))
        return kExitUsage;
    int32_t result = -1;
    const int status = session.RunChange([&] {
        TKelmorClass& engine = session.Engine();
        RequireWritable(engine);
        const int32_t node = ResolveNode(engine, nodeAddress);
        const int32_t parent = ResolveNode(engine, parentAddress);
        result = place(engine, node, parent);
        return kExitOK;
    });
    if (status == kExitOK && printID) context.out << result << "\n";
    return status;
}

int RunMv(TCliContext& context) {
    return RunPlacement(context, false, [](TKelmorClass& engine, int32_t node, int32_t parent) {
        engine.MarkNode(node);
        if (node == TKelmorClass::RootNode() || !engine.CanMoveMarkedNode(parent) || !engine.MoveMarkedNode(parent))
            throw ECliRefusal("You cannot move the marked node to this position.");
        return node;
    });
}

int RunCp(TCliContext& context) {
    return RunPlacement(context, true, [](TKelmorClass& engine, int32_t node, int32_t parent) {
        engine.MarkNode(node);
        if (node == TKelmorClass::RootNode() || !engine.CanCopyMarkedNode(parent))
            throw ECliRefusal("You cannot paste to this position.");
        const int32_t copy = engine.CopyMarkedNode(parent);
        if (copy < 0) throw ECliRefusal("You cannot paste to this position.");
        return copy;
    });
}

int RunLn(TCliContext& context) {
    return RunPlacement(context, true, [](TKelmorClass& engine, int32_t node, int32_t parent) {
        engine.MarkNode(node);
        if (node == TKelmorClass::RootNode() || !engine.CanCopyMarkedNode(parent))
            throw ECliRefusal("Sorry! You cannot link the marked node at this position.");
        int32_t link = -1;
        try {
            link = engine.CreateLink(parent);
        } catch (const EKelmorSourceNodeBrokenError&) {
            throw ECliRefusal("Unable to create link, because source node has been deleted.");
        } catch (const EKelmorError&) {
            throw ECliRefusal("You cannot create a link here.");
        }
        if (link < 0) throw ECliRefusal("You cannot create a link here.");
        return link;
    });
}

int RunSec(TCliContext& context) {
    TCliSession session(context);
    const std::string& levelText = context.options.positional[2];
    if (levelText.size() != 1 || levelText[0] < '1' || levelText[0] > '5') {
        context.err << "kelmor-cli sec: the security level is 1 to 5\n";
        return kExitUsage;
    }
    if (context.options.Has("hidden")) {
        context.err << "kelmor-cli sec: a node has no hidden flag; its level hides it from the users above it\n";
        return kExitUsage;
    }
    std::string address;
    if (!session.ToLatin1(context.options.positional[1], "node", address)) return kExitUsage;
    return session.RunChange([&] {
        TKelmorClass& engine = session.Engine();
        RequireWritable(engine);
        const int32_t node = ResolveNode(engine, address);
        if (node == TKelmorClass::RootNode()) throw ECliRefusal("The root has no security level.");
        engine.SetNodeSecurity(node, static_cast<uint8_t>(levelText[0] - '0'), context.options.Has("read-only-node"));
        return kExitOK;
    });
}

std::vector<TCommand> MakeCommands() {
    std::vector<TCommand> commands;
    commands.push_back({"mv",
                        "BASE NODE PARENT",
                        "moves the node with its branch below PARENT (the last of its children)",
                        {},
                        "",
                        3,
                        3,
                        RunMv});
    commands.push_back({"cp",
                        "BASE NODE PARENT",
                        "copies the node with its branch below PARENT, leaving blob keys out; prints the new ID",
                        {},
                        "",
                        3,
                        3,
                        RunCp});
    commands.push_back(
        {"ln", "BASE NODE PARENT", "a new link to NODE below PARENT; prints its ID", {}, "", 3, 3, RunLn});
    commands.push_back({"sec",
                        "BASE NODE LEVEL",
                        "the node's security level (1 to 5: the users who see it) and read-only flag",
                        {{"read-only-node", false, false}, {"hidden", false, false}},
                        "  --read-only-node  users may read the node but not change or delete it\n",
                        3,
                        3,
                        RunSec});
    return commands;
}

const TCommandRegistration registration(70, MakeCommands);

}  // namespace

}  // namespace kelmor::cli
