// Walks a branch of the tree for the exporters: depth first, children in the engine's
// order (only those the user may see), without recursion, so that a branch of any depth
// is safe. Links are visited, never walked into.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kelmor {

class TKelmorClass;

class TBranchVisitor {
public:
    virtual ~TBranchVisitor() = default;
    // A node that is not a link; its record is in the work buffer. `path` is "\" and
    // the descriptions from the start of the walk down to it, joined by "\".
    virtual void EnterNode(int32_t node, const std::string& path) = 0;
    // After the node's children (also after an abort).
    virtual void LeaveNode(int32_t node) = 0;
    // A child that is a link, with the node that holds it (0 for the root).
    virtual void VisitLink(int32_t parent, int32_t link) = 0;
};

// Visits `start` (unless it is the root, which has no record) and everything below it.
// Stops taking new children once `aborted` answers true; nodes already entered are
// still left. Errors of the engine or the visitor end the walk at once.
void WalkBranch(TKelmorClass& engine, int32_t start, TBranchVisitor& visitor, const std::function<bool()>& aborted);

// The descriptions from the top of the tree down to `node`, joined by "\" (a link shows
// its source's description), as GetNodePath gives them but never cut short, so that a
// path written to a file leads back to the node. Raises the errors of LoadNode.
std::string FullNodePath(TKelmorClass& engine, int32_t node);

}  // namespace kelmor
