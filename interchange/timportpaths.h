// TImportPaths: finds the nodes that the paths of an import file name, creating what is
// missing. It remembers the children of every node it has looked at, so that a file
// with many sections costs one walk over each node's children, not one per section.
// It must see every change the import makes to the tree: nodes are created through it,
// and links are reported to it.
//
// Two lookups, as the importers need them:
// - FindOrCreate: descriptions compared exactly; the first child whose record can be
//   loaded and whose description equals the component; what is missing is created.
// - Find: descriptions compared without regard to ASCII letter case; only the first
//   matching child is followed; -1 when the path names no node.
// Both continue at a link's source, so that a path through a link leads to the nodes
// that the link shows, and nodes are never created under a link.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kelmor {

class TKelmorClass;

class TImportPaths {
public:
    explicit TImportPaths(TKelmorClass& engine) : engine_(engine) {}

    // The node of a path of descriptions below the root ("A\B\C"); the path ends at its
    // first empty component, so "" is the root. -1 when `aborted` answered true before
    // the whole path was found or made. Uses the work buffer.
    int32_t FindOrCreate(const std::string& path, const std::function<bool()>& aborted);
    // The node a path names, or -1. Uses the work buffer.
    int32_t Find(const std::string& path);
    // A link made under `parent` to `source` (which it now lists as a child).
    void LinkCreated(int32_t parent, int32_t source);

    static std::vector<std::string> SplitPath(const std::string& path);

private:
    struct TChildren {
        std::unordered_map<std::string, int32_t> exact;   // description -> first child
        std::unordered_map<std::string, int32_t> folded;  // upper-cased description -> first child
    };
    TChildren& ChildrenOf(int32_t parent);
    int32_t Resolved(int32_t node) const;  // a link's source, else the node itself
    void Remember(TChildren& children, const std::string& description, int32_t child);

    TKelmorClass& engine_;
    std::unordered_map<int32_t, TChildren> children_;
};

}  // namespace kelmor
