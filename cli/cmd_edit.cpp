// Commands that change nodes and keys: set, add, rm and rename. Each opens the database
// once and saves once; a refused or failed change leaves the files as they were.
#include <algorithm>
#include <ostream>

#include "cli/clisession.h"
#include "cli/editrules.h"
#include "cli/keyvalueinput.h"
#include "cli/nodeaddress.h"
#include "engine/keytypes.h"
#include "engine/keyvaluefromtext.h"
#include "interchange/location.h"

namespace kelmor::cli {

namespace {

// The value `set` was given: text, or bytes (--hex, --from, and whether from a file).
struct TGivenValue {
    std::string text;
    std::vector<uint8_t> bytes;
    bool isBytes = false;
    bool fromFile = false;
};

constexpr size_t kKeyItemOverhead = 2;  // length and type byte of a record item
constexpr size_t kBlobReferenceSize = 14;

// Inserts the value at `index` of the loaded record as a key of `type` named `name`.
void InsertValue(TKelmorClass& engine, const std::string& name, uint16_t index, uint8_t type,
                 const TGivenValue& value) {
    if (type != ktSequence && type != ktBlob) {
        if (value.isBytes) throw ECliRefusal("--hex and --from give sequence and blob values only.");
        if (!InsertKeyFromText(engine, name, index, type, value.text))
            throw ECliRefusal("Unable to replace value. Incorrect format.");
        return;
    }
    if (!value.isBytes)
        throw ECliRefusal(std::string("A ") + KeyTypeName(type) + " value is given with --hex or --from.");
    if (type == ktSequence) {
        if (value.bytes.size() > kMaxSequenceSize)
            throw ECliRefusal(value.fromFile ? "Files of 256 bytes or lower are only supported."
                                             : "A sequence holds at most 255 bytes.");
        engine.InsertSequenceKey(name, index, value.bytes.data(), value.bytes.size());
        return;
    }
    if (value.bytes.size() > kMaxBlobSize)
        throw ECliRefusal(value.fromFile ? "Files of 64K or lower are only supported."
                                         : "A blob holds at most 65535 bytes.");
    // The blob is stored before its reference goes into the record: make sure the
    // reference fits first, so that no blob is left without its key.
    if (engine.RecordLength() + 2 * kKeyItemOverhead + name.size() + kBlobReferenceSize > TKelmorClass::kWorkBufferSize)
        throw EKelmorKeyListFullError();
    engine.InsertBlobKey(name, index, value.bytes.data(), value.bytes.size());
}

int RunSet(TCliContext& context) {
    TCliSession session(context);
    const auto& options = context.options;
    const auto hex = options.Value("hex"), from = options.Value("from"), typeName = options.Value("type"),
               at = options.Value("at");
    const bool hasText = options.positional.size() == 4;
    if (hasText + hex.has_value() + from.has_value() != 1) {
        context.err << "kelmor-cli set: give the value as text, --hex HEX or --from FILE (one of them)\n";
        return kExitUsage;
    }
    uint8_t newType = 0;
    if (typeName && !(newType = KeyTypeOfName(*typeName))) {
        context.err << "kelmor-cli set: --type takes byte, integer, longint, float, string, sequence, blob, "
                       "currency, double or datetime\n";
        return kExitUsage;
    }
    int64_t position = 0;
    if (at && (!newType || !ParseInteger(*at, position) || position < 1)) {
        context.err << "kelmor-cli set: --at N (from 1) places a new key; it needs --type\n";
        return kExitUsage;
    }
    if (newType && IsNumberAddress(options.positional[2])) {
        context.err << "kelmor-cli set: a new key (--type) is named by its name, not #N\n";
        return kExitUsage;
    }
    TGivenValue value;
    std::string address, keyAddress;
    if (!session.ToLatin1(options.positional[1], "node", address) ||
        !session.ToLatin1(options.positional[2], "key", keyAddress) ||
        (hasText && !session.ToLatin1(options.positional[3], "value", value.text)))
        return kExitUsage;
    if (hex) {
        const auto bytes = BytesFromHex(*hex);
        if (!bytes) {
            context.err << "kelmor-cli set: --hex takes pairs of hexadecimal digits (00 FF or 00ff)\n";
            return kExitUsage;
        }
        value.bytes = *bytes;
        value.isBytes = true;
    } else if (from) {
        std::string error;
        if (!ReadWholeFile(*from, value.bytes, error)) {
            context.err << error << "\n";
            return kExitFailed;
        }
        value.isBytes = value.fromFile = true;
    }
    return session.RunChange([&] {
        TKelmorClass& engine = session.Engine();
        RequireWritable(engine);
        const int32_t node = ResolveNode(engine, address);
        RequireEditableKeys(engine, node);
        engine.LoadNode(node);
        if (newType) {
            const std::string name = CaptionText(context, keyAddress);
            const int64_t index = at ? position : engine.KeyCount() + 1;
            if (index > engine.KeyCount() + 1) throw EKelmorInvalidKeyIndexError();
            InsertValue(engine, name, static_cast<uint16_t>(index), newType, value);
        } else {
            // As the window replaces a value: the new key goes in front of the old one,
            // which is then deleted (a blob key's blob with it).
            const uint16_t index = ResolveKey(engine, keyAddress);
            const uint8_t type = engine.KeyType(index);
            if (type == ktBlob) engine.GetBlobKey(index);  // the old blob must be there to be deleted
            InsertValue(engine, engine.GetKeyName(index), index, type, value);
            engine.DeleteKey(index + 1);
        }
        engine.SaveNode(node);
        return kExitOK;
    });
}

// The node of a path, making the nodes of the path that do not exist yet.
int32_t MakePath(TCliContext& context, TKelmorClass& engine, const std::string& address) {
    if (IsNumberAddress(address)) return ResolveNode(engine, address);
    std::string path = NormaliseLocation(address);
    if (!path.empty() && path.back() == '\\') path.pop_back();
    int32_t parent = TKelmorClass::RootNode();
    size_t start = 0;
    while (start < path.size()) {
        const size_t end = std::min(path.find('\\', start), path.size());
        // an empty component would end the engine's look-up early: it is refused instead
        const std::string description = CaptionText(context, path.substr(start, end - start));
        const int32_t found = LocationNode(engine, path.substr(0, end));
        if (found >= 0) {
            parent = found;
        } else {
            engine.ClearNode();
            engine.SetDescription(description);
            parent = engine.CreateNode(parent);
            if (parent < 0) throw EKelmorParentLinkedError();
        }
        start = end + 1;
    }
    return parent;
}

int RunAdd(TCliContext& context) {
    TCliSession session(context);
    std::string address, description;
    if (!session.ToLatin1(context.options.positional[1], "parent", address) ||
        !session.ToLatin1(context.options.positional[2], "description", description))
        return kExitUsage;
    int32_t created = -1;
    const int status = session.RunChange([&] {
        TKelmorClass& engine = session.Engine();
        RequireWritable(engine);
        const int32_t parent =
            context.options.Has("parents") ? MakePath(context, engine, address) : ResolveNode(engine, address);
        const std::string text = CaptionText(context, description);
        if (engine.IsLink(parent)) throw EKelmorParentLinkedError();
        engine.ClearNode();
        engine.SetDescription(text);
        created = engine.CreateNode(parent);
        if (created < 0) throw EKelmorParentLinkedError();
        return kExitOK;
    });
    if (status == kExitOK) context.out << created << "\n";
    return status;
}

int RunRm(TCliContext& context) {
    TCliSession session(context);
    std::string address, keyAddress;
    const auto key = context.options.Value("key");
    if (!session.ToLatin1(context.options.positional[1], "node", address) ||
        (key && !session.ToLatin1(*key, "key", keyAddress)))
        return kExitUsage;
    return session.RunChange([&] {
        TKelmorClass& engine = session.Engine();
        RequireWritable(engine);
        const int32_t node = ResolveNode(engine, address);
        if (key) {
            RequireEditableKeys(engine, node);
            engine.LoadNode(node);
            engine.DeleteKey(ResolveKey(engine, keyAddress));
            engine.SaveNode(node);
            return kExitOK;
        }
        if (node == TKelmorClass::RootNode()) throw ECliRefusal("The root cannot be deleted.");
        if (!engine.CanModifyNode(node)) throw ECliRefusal("Unable to Delete. Branch is Read Only.");
        engine.DeleteNode(node);
        return kExitOK;
    });
}

int RunRename(TCliContext& context) {
    TCliSession session(context);
    std::string address, keyAddress, text;
    const auto key = context.options.Value("key");
    if (!session.ToLatin1(context.options.positional[1], "node", address) ||
        !session.ToLatin1(context.options.positional[2], "text", text) ||
        (key && !session.ToLatin1(*key, "key", keyAddress)))
        return kExitUsage;
    return session.RunChange([&] {
        TKelmorClass& engine = session.Engine();
        RequireWritable(engine);
        const int32_t node = ResolveNode(engine, address);
        if (key) {
            RequireEditableKeys(engine, node);
        } else {
            if (node == TKelmorClass::RootNode()) throw ECliRefusal("The root cannot be renamed.");
            if (engine.IsLink(node)) throw ECliRefusal("A link shows its source's description: rename the source.");
            if (!engine.CanModifyNode(node)) throw EKelmorNodeReadOnlyError();
        }
        const std::string caption = CaptionText(context, text);
        engine.LoadNode(node);
        if (key) engine.RenameKey(ResolveKey(engine, keyAddress), caption);
        else engine.SetDescription(caption);
        engine.SaveNode(node);
        return kExitOK;
    });
}

std::vector<TCommand> MakeCommands() {
    std::vector<TCommand> commands;
    commands.push_back({"set",
                        "BASE NODE KEY [VALUE]",
                        "changes an existing key's value (its type kept), or adds a key with --type",
                        {{"hex", true, false}, {"from", true, false}, {"type", true, false}, {"at", true, false}},
                        "  NODE              a path of descriptions (Root\\Shop\\Fruit, Shop\\Fruit) or #ID\n"
                        "  KEY               the key's name (the first of that name, any letter case) or #N\n"
                        "  VALUE             text in the regional settings, read as the key editor reads it\n"
                        "  --hex HEX         a sequence or blob value in hexadecimal digits\n"
                        "  --from FILE       a sequence or blob value: the file's bytes\n"
                        "  --type TYPE       add a new key of TYPE (byte, integer, longint, float, string,\n"
                        "                    sequence, blob, currency, double, datetime) named KEY\n"
                        "  --at N            insert the new key as key N (default: after the last)\n",
                        3,
                        4,
                        RunSet});
    commands.push_back({"add",
                        "BASE PARENT DESCRIPTION",
                        "a new node below PARENT; prints its ID",
                        {{"parents", false, false}},
                        "  --parents         make the missing nodes of PARENT's path first\n",
                        3,
                        3,
                        RunAdd});
    commands.push_back({"rm",
                        "BASE NODE",
                        "deletes the node with its branch, or one key",
                        {{"key", true, false}},
                        "  --key KEY         delete this key (name or #N) instead of the node\n",
                        2,
                        2,
                        RunRm});
    commands.push_back({"rename",
                        "BASE NODE TEXT",
                        "a new description, or a key's new name",
                        {{"key", true, false}},
                        "  --key KEY         rename this key (name or #N) instead of the node\n",
                        3,
                        3,
                        RunRename});
    return commands;
}

const TCommandRegistration registration(60, MakeCommands);

}  // namespace

}  // namespace kelmor::cli
