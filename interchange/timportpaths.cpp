#include "interchange/timportpaths.h"

#include <algorithm>

#include "engine/tkelmor.h"
#include "interchange/tbranchwalker.h"

namespace kelmor {

namespace {
constexpr size_t kMaxText = 255;  // descriptions are at most this long
}

TNodePath TImportPaths::SplitFilePath(const std::string& path) {
    TNodePath components;
    size_t start = 0;
    for (;;) {
        const size_t end = path.find('\\', start);
        const size_t stop = end == std::string::npos ? path.size() : end;
        components.push_back(path.substr(start, std::min(stop - start, kMaxText)));
        if (end == std::string::npos) return components;
        start = end + 1;
    }
}

TNodePath TImportPaths::SplitLocation(const std::string& location) {
    TNodePath components = SplitFilePath(location);
    const auto firstEmpty = std::find(components.begin(), components.end(), std::string());
    components.erase(firstEmpty, components.end());
    return components;
}

int32_t TImportPaths::Resolved(int32_t node) const { return engine_.IsLink(node) ? engine_.GetLinkSource(node) : node; }

void TImportPaths::Remember(TChildren& children, const std::string& description, int32_t child) {
    children.exact.emplace(description, child);  // an earlier child with the same description stays first
    children.folded.emplace(UpperCaseAscii(description), child);
}

TImportPaths::TChildren& TImportPaths::ChildrenOf(int32_t parent) {
    const auto found = children_.find(parent);
    if (found != children_.end()) return found->second;
    TChildren& children = children_[parent];
    TKelmorNodeRec rec;
    for (bool more = engine_.FindFirstChild(rec, parent); more; more = engine_.FindNextChild(rec)) {
        // a link whose source is gone has no description and matches nothing
        if (engine_.LoadNode(rec.currentID)) Remember(children, engine_.GetDescription(), rec.currentID);
    }
    return children;
}

int32_t TImportPaths::FindOrCreate(const TNodePath& path, const std::function<bool()>& aborted) {
    int32_t current = TKelmorClass::RootNode();
    for (const std::string& component : path) {
        if (aborted()) return -1;
        TChildren& children = ChildrenOf(current);
        const auto match = children.exact.find(component);
        if (match != children.exact.end()) {
            current = Resolved(match->second);
            continue;
        }
        engine_.ClearNode();
        engine_.SetDescription(component);
        const int32_t created = engine_.CreateNode(current);
        if (created < 0) throw EKelmorParentLinkedError();  // cannot happen: links are resolved
        Remember(children, component, created);
        children_.emplace(created, TChildren{});  // a new node has no children yet
        current = created;
    }
    return current;
}

int32_t TImportPaths::Find(const TNodePath& path) {
    int32_t current = TKelmorClass::RootNode();
    for (const std::string& component : path) {
        TChildren& children = ChildrenOf(current);
        const auto match = children.folded.find(UpperCaseAscii(component));
        if (match == children.folded.end()) return -1;
        current = Resolved(match->second);
    }
    return current;
}

void TImportPaths::LinkCreated(int32_t parent, int32_t source) {
    const auto found = children_.find(parent);
    if (found == children_.end()) return;  // its children are read when first needed
    // the new link is the last child and shows its source's description; a path through
    // it leads to the source
    if (engine_.LoadNode(source)) Remember(found->second, engine_.GetDescription(), source);
}

}  // namespace kelmor
