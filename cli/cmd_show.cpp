// Commands that read one node or key: show and get.
#include <fstream>
#include <ostream>

#include "cli/clisession.h"
#include "cli/jsonwriter.h"
#include "cli/nodeaddress.h"
#include "cli/nodeview.h"
#include "cli/textcodec.h"
#include "engine/keytypes.h"

namespace kelmor::cli {

namespace {

constexpr uint8_t kLevelBits = 0x7F;
constexpr uint8_t kReadOnlyBit = 0x80;

void ShowLines(std::ostream& out, TKelmorClass& engine, int32_t node) {
    if (node == TKelmorClass::RootNode()) {
        out << "Description\tRoot\nID\t0\n";
        return;
    }
    const bool isLink = engine.IsLink(node);
    const TLinkTarget target = isLink ? LinkTargetOf(engine, node) : TLinkTarget{};
    const uint8_t security = engine.GetNodeSecurity(node);
    const bool loaded = engine.LoadNode(node);
    out << "Description\t" << Latin1ToUtf8(loaded ? engine.GetDescription() : "") << "\n"
        << "ID\t" << node << "\n"
        << "Parent ID\t" << engine.GetParent(node) << "\n"
        << "Security level\t" << (security & kLevelBits) << "\n"
        << "Read-only\t" << ((security & kReadOnlyBit) ? "yes" : "no") << "\n";
    if (isLink) {
        out << "Link source\t" << target.source << "\t"
            << (target.broken ? "** BROKEN LINK **" : LocationText(engine, target.source)) << "\n";
        engine.LoadNode(node);  // the path loaded other records
    }
    if (loaded)
        for (uint16_t k = 1; k <= engine.KeyCount(); ++k) out << KeyLine(engine, k) << "\n";
}

int RunShow(TCliContext& context) {
    TCliSession session(context);
    std::string address;
    if (!session.ToLatin1(context.options.positional[1], "node", address)) return kExitUsage;
    if (const int status = session.Open(true)) return status;
    TKelmorClass& engine = session.Engine();
    const int32_t node = ResolveNode(engine, address);
    if (!context.options.Has("json")) {
        ShowLines(context.out, engine, node);
        return kExitOK;
    }
    TJsonWriter json(context.out);
    json.BeginObject();
    WriteNodeMembers(json, engine, node);
    json.Key("parent");
    if (node == TKelmorClass::RootNode()) json.Null();
    else json.Integer(engine.GetParent(node));
    json.EndObject();
    json.Finish();
    return kExitOK;
}

// The loaded record's key `index` as raw bytes: a sequence's or a blob's.
std::string RawBytesOf(TKelmorClass& engine, uint16_t index) {
    switch (engine.KeyType(index)) {
        case ktSequence: return engine.GetSequenceKey(index);
        case ktBlob: {
            const std::vector<uint8_t> bytes = engine.GetBlobKey(index);
            return std::string(bytes.begin(), bytes.end());
        }
        default: throw ECliRefusal("--output writes sequence and blob values only.");
    }
}

int RunGet(TCliContext& context) {
    TCliSession session(context);
    const auto output = context.options.Value("output");
    if (output && context.options.Has("json")) {
        context.err << "kelmor-cli get: --output and --json exclude each other\n";
        return kExitUsage;
    }
    std::string address, keyAddress;
    if (!session.ToLatin1(context.options.positional[1], "node", address) ||
        !session.ToLatin1(context.options.positional[2], "key", keyAddress))
        return kExitUsage;
    if (const int status = session.Open(true)) return status;
    TKelmorClass& engine = session.Engine();
    const int32_t node = ResolveNode(engine, address);
    if (node == TKelmorClass::RootNode() || !engine.LoadNode(node))
        throw ECliRefusal(node == TKelmorClass::RootNode() ? "The root has no keys." : "Source Node Broken");
    const uint16_t key = ResolveKey(engine, keyAddress);
    if (context.options.Has("json")) {
        TJsonWriter json(context.out);
        WriteKeyJson(json, engine, key);
        json.Finish();
        return kExitOK;
    }
    if (!output) {
        context.out << Latin1ToUtf8(engine.KeyValueText(key)) << "\n";
        return kExitOK;
    }
    const std::string bytes = RawBytesOf(engine, key);
    if (*output == "-") {
        context.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        context.out.flush();
        return kExitOK;
    }
    std::ofstream file(*output, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw ECliRefusal(*output + ": the file could not be written.");
    return kExitOK;
}

std::vector<TCommand> MakeCommands() {
    std::vector<TCommand> commands;
    commands.push_back({"show",
                        "BASE NODE",
                        "the node's description, ID, parent ID, security level, link source and keys",
                        {{"json", false, false}},
                        "  NODE              a path of descriptions (Root\\Shop\\Fruit, Shop\\Fruit) or #ID\n"
                        "  --json            one node object\n",
                        2,
                        2,
                        RunShow});
    commands.push_back({"get",
                        "BASE NODE KEY",
                        "the key's value as the key list shows it; a sequence or blob as raw bytes with --output",
                        {{"output", true, false}, {"json", false, false}},
                        "  KEY               the key's name (the first of that name, any letter case) or #N\n"
                        "  --output FILE     a sequence or blob value's bytes to FILE (- for standard output)\n"
                        "  --json            one key object {name, type, value}\n",
                        3,
                        3,
                        RunGet});
    return commands;
}

const TCommandRegistration registration(35, MakeCommands);

}  // namespace

}  // namespace kelmor::cli
