// TImportPaths: finds the nodes that the paths of an import file name, creating what is
// missing. It remembers the children of every node it has looked at, so that a file
// with many sections costs one walk over each node's children, not one per section.
// It must see every change the import makes to the tree: nodes are created through it,
// and links are reported to it.
//
// Paths are lists of descriptions below the root. Two lookups, as the importers need them:
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

using TNodePath = std::vector<std::string>;

class TImportPaths {
public:
    explicit TImportPaths(TKelmorClass& engine) : engine_(engine) {}

    // The node of a path (empty: the root). -1 when `aborted` answered true before the
    // whole path was found or made. Uses the work buffer.
    int32_t FindOrCreate(const TNodePath& path, const std::function<bool()>& aborted);
    // The node a path names, or -1. Uses the work buffer.
    int32_t Find(const TNodePath& path);
    // A link made under `parent` to `source` (which it now lists as a child).
    void LinkCreated(int32_t parent, int32_t source);

    // A path as a file writes it: every "\" separates two descriptions, each taken as it
    // is, even when empty ("A\" is A's child with an empty description, "" a top-level
    // node with one). Descriptions longer than a node can hold are cut.
    static TNodePath SplitFilePath(const std::string& path);
    // A location as the user gives it: its descriptions up to the first empty one, so
    // that "A\B\" is A\B and "" the root.
    static TNodePath SplitLocation(const std::string& location);

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
