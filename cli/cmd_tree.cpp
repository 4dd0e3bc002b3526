// Commands that show the tree: tree, search and broken-links.
#include <ostream>

#include "cli/clisession.h"
#include "cli/jsonwriter.h"
#include "cli/nodeview.h"
#include "cli/textcodec.h"
#include "interchange/location.h"

namespace kelmor::cli {

namespace {

// The node a location option names, or -1 (message printed).
int32_t NodeOfOption(TCliSession& session, const char* option) {
    const auto location = session.Context().options.Value(option);
    if (!location) return TKelmorClass::RootNode();
    std::string latin1;
    if (!session.ToLatin1(*location, "location", latin1)) return -1;
    const int32_t node = LocationNode(session.Engine(), NormaliseLocation(latin1));
    if (node < 0) session.Context().err << "Unknown Branch Specified.\n";
    return node;
}

std::string LinkText(TKelmorClass& engine, int32_t link) {
    const TLinkTarget target = LinkTargetOf(engine, link);
    return target.broken ? "-> ** BROKEN LINK **" : "-> " + LocationText(engine, target.source);
}

// The tree below `start` as an array of node objects with their children; links are
// shown, not walked into (their "children" are empty).
int WriteTreeJson(TCliContext& context, TKelmorClass& engine, int32_t start) {
    TJsonWriter json(context.out);
    std::vector<TKelmorNodeRec> levels(1);
    std::vector<bool> more{engine.FindFirstChild(levels[0], start)};
    json.BeginArray();
    while (!levels.empty()) {
        if (!more.back()) {
            json.EndArray();
            levels.pop_back();
            more.pop_back();
            if (levels.empty()) break;
            json.EndObject();  // the node whose children just ended
            more.back() = engine.FindNextChild(levels.back());
            continue;
        }
        const int32_t id = levels.back().currentID;
        json.BeginObject();
        WriteNodeMembers(json, engine, id);
        json.Key("children");
        json.BeginArray();
        TKelmorNodeRec child;
        levels.push_back(child);
        more.push_back(!engine.IsLink(id) && engine.FindFirstChild(levels.back(), id));
    }
    json.Finish();
    return kExitOK;
}

int RunTree(TCliContext& context) {
    TCliSession session(context);
    if (const int status = session.OpenAsOptionsSay()) return status;
    TKelmorClass& engine = session.Engine();
    const int32_t start = NodeOfOption(session, "location");
    if (start < 0) return kExitFailed;
    if (context.options.Has("json")) return WriteTreeJson(context, engine, start);
    const bool withIDs = context.options.Has("ids"), withKeys = context.options.Has("keys");

    // Depth first, children in their order; links are shown, not walked into.
    struct TLevel {
        TKelmorNodeRec rec;
        bool more;
    };
    std::vector<TLevel> levels(1);
    levels[0].more = engine.FindFirstChild(levels[0].rec, start);
    while (!levels.empty()) {
        TLevel& level = levels.back();
        if (!level.more) {
            levels.pop_back();
            if (!levels.empty()) levels.back().more = engine.FindNextChild(levels.back().rec);
            continue;
        }
        const int32_t id = level.rec.currentID;
        const std::string indent(2 * (levels.size() - 1), ' ');
        const bool isLink = engine.IsLink(id);
        std::string text = isLink ? LinkText(engine, id) : "";
        const bool loaded = engine.LoadNode(id);
        if (!isLink) text = Latin1ToUtf8(loaded ? engine.GetDescription() : "");
        context.out << indent;
        if (withIDs) context.out << '#' << id << ' ';
        context.out << text << "\n";
        if (withKeys && loaded) {
            for (uint16_t k = 1; k <= engine.KeyCount(); ++k)
                context.out << indent << "  " << KeyLine(engine, k) << "\n";
        }
        if (!isLink) {
            TLevel child;
            child.more = engine.FindFirstChild(child.rec, id);
            if (child.more) {
                levels.push_back(child);
                continue;
            }
        }
        level.more = engine.FindNextChild(level.rec);
    }
    return kExitOK;
}

std::string WhereText(const TKelmorSearch& search) {
    switch (search.foundIn) {
        case kFoundKeyName: return "name " + std::to_string(search.foundKey);
        case kFoundKeyValue: return "value " + std::to_string(search.foundKey);
        default: return "description";
    }
}

int RunSearch(TCliContext& context) {
    TCliSession session(context);
    std::string text;
    if (!session.ToLatin1(context.options.positional[1], "search text", text)) return kExitUsage;
    if (const int status = session.OpenAsOptionsSay()) return status;
    TKelmorClass& engine = session.Engine();
    const auto& options = context.options;
    TKelmorSearch search;
    search.searchText = text.substr(0, 255);
    if (options.Has("descriptions")) search.flags |= sfNodeDescriptions;
    if (options.Has("names")) search.flags |= sfKeyNames;
    if (options.Has("values")) search.flags |= sfKeyValues;
    if (search.flags == 0) search.flags = sfNodeDescriptions | sfKeyNames | sfKeyValues;
    if (options.Has("case")) search.flags |= sfCaseSensitive;
    if (options.Has("wildcards")) search.flags |= sfWildcards;
    if (options.Has("whole")) search.flags |= sfWholeValue;
    if (options.Has("links")) search.flags |= sfScanLinks;
    if (options.Value("below")) {
        search.startNode = NodeOfOption(session, "below");
        if (search.startNode < 0) return kExitFailed;
        search.flags |= sfSubNodesOnly;
    }
    const bool asJson = options.Has("json");
    TJsonWriter json(context.out);
    if (asJson) json.BeginArray();
    for (int32_t id = engine.SearchFirst(search); id > 0; id = engine.SearchNext(search)) {
        // the path loads other nodes; the search keeps its own place
        if (!asJson) {
            context.out << id << "\t" << WhereText(search) << "\t" << LocationText(engine, id) << "\n";
            continue;
        }
        json.BeginObject();
        json.Key("id");
        json.Integer(id);
        json.Key("where");
        json.String(WhereText(search));
        json.Key("path");
        json.String(LocationText(engine, id));
        json.EndObject();
    }
    if (asJson) {
        json.EndArray();
        json.Finish();
    }
    return kExitOK;
}

int RunBrokenLinks(TCliContext& context) {
    TCliSession session(context);
    if (const int status = session.OpenAsOptionsSay()) return status;
    TKelmorClass& engine = session.Engine();
    TKelmorSearch search;
    search.flags = sfBrokenLinks;
    const bool asJson = context.options.Has("json");
    TJsonWriter json(context.out);
    if (asJson) json.BeginArray();
    for (int32_t id = engine.SearchFirst(search); id > 0; id = engine.SearchNext(search)) {
        const int32_t parent = engine.GetParent(id);
        if (!asJson) {
            context.out << id << "\t" << LocationText(engine, parent) << "\n";
            continue;
        }
        json.BeginObject();
        json.Key("id");
        json.Integer(id);
        json.Key("parent");
        json.Integer(parent);
        json.Key("parentPath");
        json.String(LocationText(engine, parent));
        json.EndObject();
    }
    if (asJson) {
        json.EndArray();
        json.Finish();
    }
    return kExitOK;
}

std::vector<TCommand> MakeCommands() {
    std::vector<TCommand> commands;
    commands.push_back(
        {"tree",
         "BASE",
         "the tree as the logged-on user sees it, one line per node, indented two spaces a level",
         {{"location", true, false}, {"keys", false, false}, {"ids", false, false}, {"json", false, false}},
         "  --location PATH   start below this node (\"Root\", empty, or a path of descriptions)\n"
         "  --keys            a line for each key: name (type) = value\n"
         "  --ids             put #ID before each node\n"
         "  --json            an array of nodes with their keys and children\n",
         1,
         1,
         RunTree});
    commands.push_back({"search",
                        "BASE TEXT",
                        "every match in order: node ID, where it matched (description, name N, value N), path",
                        {{"descriptions", false, false},
                         {"names", false, false},
                         {"values", false, false},
                         {"case", false, false},
                         {"wildcards", false, false},
                         {"whole", false, false},
                         {"below", true, false},
                         {"links", false, false},
                         {"json", false, false}},
                        "  --descriptions, --names, --values   where to search (default: all three)\n"
                        "  --case            letter case matters\n"
                        "  --wildcards       * and ? patterns\n"
                        "  --whole           the whole text must match\n"
                        "  --below PATH      only the branch below this node\n"
                        "  --links           follow links (with --below)\n"
                        "  --json            an array of {id, where, path}\n",
                        2,
                        2,
                        RunSearch});
    commands.push_back({"broken-links",
                        "BASE",
                        "every broken link: its ID and the path of its parent",
                        {{"json", false, false}},
                        "  --json            an array of {id, parent, parentPath}\n",
                        1,
                        1,
                        RunBrokenLinks});
    return commands;
}

const TCommandRegistration registration(30, MakeCommands);

}  // namespace

}  // namespace kelmor::cli
