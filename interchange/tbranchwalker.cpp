#include "interchange/tbranchwalker.h"

#include <vector>

#include "engine/tkelmor.h"

namespace kelmor {

std::string FullNodePath(TKelmorClass& engine, int32_t node) {
    std::vector<std::string> descriptions;
    for (int32_t current = node; current != TKelmorClass::RootNode();) {
        const int32_t parent = engine.GetParent(current);
        if (parent < 0) throw EKelmorNodeIDInvalidError();
        descriptions.push_back(engine.LoadNode(current) ? engine.GetDescription() : std::string());
        if (descriptions.size() > 65536)
            throw EKelmorDamagedError("the parents of node " + std::to_string(node) + " form a circle.");
        current = parent;
    }
    std::string path;
    for (auto it = descriptions.rbegin(); it != descriptions.rend(); ++it) {
        if (it != descriptions.rbegin()) path += '\\';
        path += *it;
    }
    return path;
}

void WalkBranch(TKelmorClass& engine, int32_t start, TBranchVisitor& visitor, const std::function<bool()>& aborted) {
    struct TLevel {
        int32_t node;
        size_t pathLength;  // of this node's own path
        TKelmorNodeRec rec;
        bool more;
    };
    std::string path;
    auto enter = [&](int32_t node, std::vector<TLevel>& levels) {
        if (!engine.LoadNode(node)) throw EKelmorNodeIDInvalidError();
        path += '\\';
        path += engine.GetDescription();
        visitor.EnterNode(node, path);
        TLevel level{node, path.size(), {}, false};
        level.more = !aborted() && engine.FindFirstChild(level.rec, node);
        levels.push_back(level);
    };

    std::vector<TLevel> levels;
    if (start == TKelmorClass::RootNode()) {
        TLevel root{start, 0, {}, false};
        root.more = !aborted() && engine.FindFirstChild(root.rec, start);
        levels.push_back(root);
    } else {
        enter(start, levels);
    }
    while (!levels.empty()) {
        TLevel& level = levels.back();
        if (!level.more || aborted()) {
            const int32_t node = level.node;
            levels.pop_back();
            if (node != TKelmorClass::RootNode()) visitor.LeaveNode(node);
            continue;
        }
        const int32_t child = level.rec.currentID;
        const int32_t parent = level.node;
        path.resize(level.pathLength);
        level.more = engine.FindNextChild(level.rec);
        if (engine.IsLink(child)) {
            visitor.VisitLink(parent, child);
        } else {
            enter(child, levels);  // may move `levels`; `level` is not used after this
        }
    }
}

}  // namespace kelmor
