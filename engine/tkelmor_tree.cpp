// TKelmorClass: the tree of nodes and links.
#include <algorithm>
#include <climits>
#include <numeric>

#include "engine/tkelmor.h"

namespace kelmor {

namespace {
constexpr size_t kMaxNodes = 65535;  // the node count is a 16-bit field
constexpr uint8_t kNewNodeSecurity = 5;
constexpr int32_t kUnwrittenPosition = 49;  // a record's place is fixed when the index is written
constexpr size_t kMaxPath = 255;

uint8_t FoldCase(uint8_t c) {
    // ASCII and Latin-1 capitals (except the multiplication sign) to small letters
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<uint8_t>(c + 32);
    return c;
}
}  // namespace

int CompareTextIgnoringCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const uint8_t x = FoldCase(static_cast<uint8_t>(a[i])), y = FoldCase(static_cast<uint8_t>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// ---------------------------------------------------------------- questions

bool TKelmorClass::NodeExists(int32_t nodeID) const {
    if (nodeID < 0) return false;
    return nodeID == RootNode() || nodes_.Find(nodeID) != nullptr;
}

int32_t TKelmorClass::GetParent(int32_t nodeID) const {
    const TNodeSlot* slot = nodes_.Find(nodeID);
    return slot ? slot->entry.parentID : -1;
}

bool TKelmorClass::HasChildren(int32_t nodeID) const {
    if (IsLink(nodeID)) return false;
    return nodes_.HasChildren(nodeID);
}

bool TKelmorClass::IsLink(int32_t nodeID) const {
    const TNodeSlot* slot = nodes_.Find(nodeID);
    return slot && slot->entry.IsLink();
}

int32_t TKelmorClass::GetLinkSource(int32_t linkID) const {
    const TNodeSlot* slot = nodes_.Find(linkID);
    if (!slot || !slot->entry.IsLink()) return linkID;
    const int32_t source = -slot->entry.dataPosition;
    if (!nodes_.Find(source)) throw EKelmorSourceNodeBrokenError();
    return source;
}

// Follows a chain of links to the node that is not a link. Links written by this
// engine are never chained; a damaged file may chain them, even in a circle.
const TNodeSlot* TKelmorClass::ResolveLinkChain(int32_t nodeID) const {
    const TNodeSlot* slot = nodes_.Find(nodeID);
    for (size_t steps = 0; slot && slot->entry.IsLink(); ++steps) {
        if (steps > nodes_.Count()) throw EKelmorSourceNodeBrokenError();
        slot = nodes_.Find(-slot->entry.dataPosition);
    }
    if (!slot) throw EKelmorSourceNodeBrokenError();
    return slot;
}

// ---------------------------------------------------------------- enumerating children

int32_t TKelmorClass::EnumerationParent(int32_t parentID) const {
    if (parentID == RootNode()) return parentID;
    const TNodeSlot* parent = nodes_.Find(parentID);
    if (!parent) return -1;
    return parent->entry.IsLink() ? -parent->entry.dataPosition : parentID;
}

bool TKelmorClass::FindFirstChild(TKelmorNodeRec& rec, int32_t parentID) const {
    rec = TKelmorNodeRec{};
    const int32_t parent = EnumerationParent(parentID);
    if (parent < 0) return false;
    rec.parentID = parent;
    for (const TNodeSlot* child = nodes_.FirstChild(parent); child; child = TNodeIndex::NextSibling(child)) {
        if (child->entry.security < currentUser_) continue;
        rec.currentID = child->entry.nodeID;
        rec.entry = child->entry;
        return true;
    }
    return false;
}

bool TKelmorClass::FindNextChild(TKelmorNodeRec& rec) const {
    const TNodeSlot* current = rec.currentID ? nodes_.Find(rec.currentID) : nullptr;
    rec.entry = TKelmorNodeEntry{};
    if (!current || current->entry.parentID != rec.parentID) return false;
    for (const TNodeSlot* child = TNodeIndex::NextSibling(current); child; child = TNodeIndex::NextSibling(child)) {
        if (child->entry.security < currentUser_) continue;
        rec.currentID = child->entry.nodeID;
        rec.entry = child->entry;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- creating nodes and links

void TKelmorClass::CheckNodeRoom(size_t more) const {
    if (nodes_.Count() + more > kMaxNodes)
        throw EKelmorDatabaseFull("the database can hold at most 65535 nodes and links, and holds " +
                                  std::to_string(nodes_.Count()) + ".");
    if (header_.lastNodeID > kLargestID - static_cast<int64_t>(more))
        throw EKelmorDatabaseFull("no node IDs are left.");
}

int32_t TKelmorClass::CreateNode(int32_t parentID) {
    CheckWritable();
    const TNodeSlot* parent = nodes_.Find(parentID);
    if (parent && parent->entry.IsLink()) return -1;
    if (parentID != RootNode() && !parent) throw EKelmorNodeIDInvalidError();
    CheckNodeRoom(1);

    const uint32_t length = RecordLength();
    saveBuffer_.assign(work_.get(), work_.get() + length);
    ScrambleBlock(saveBuffer_.data() + 2, length - 2, securityType_);
    const TStoreLocation record = records_.Append(saveBuffer_.data(), length);

    const int32_t id = header_.lastNodeID + 1;
    header_.lastNodeID = id;
    header_.nodeCount = static_cast<uint16_t>(header_.nodeCount + 1);
    TNodeSlot* slot = nodes_.Add(TKelmorNodeEntry{id, parentID, kUnwrittenPosition, kNewNodeSecurity});
    slot->record = record;
    modified_ = true;
    return id;
}

TNodeSlot* TKelmorClass::AddLink(int32_t parentID, const TNodeSlot& source) {
    CheckNodeRoom(1);
    const int32_t id = header_.lastNodeID + 1;
    header_.lastNodeID = id;
    header_.nodeCount = static_cast<uint16_t>(header_.nodeCount + 1);
    modified_ = true;
    return nodes_.Add(TKelmorNodeEntry{id, parentID, -source.entry.nodeID, source.entry.security});
}

int32_t TKelmorClass::CreateLink(int32_t parentID) {
    CheckWritable();
    if (markedNode_ <= 0) throw EKelmorNoNodeMarkedError();
    const TNodeSlot* parent = nodes_.Find(parentID);
    if (parent && parent->entry.IsLink()) throw EKelmorParentLinkedError();
    if (parentID != RootNode() && !parent) throw EKelmorNodeIDInvalidError();
    const TNodeSlot* source = ResolveLinkChain(markedNode_);
    return AddLink(parentID, *source)->entry.nodeID;
}

void TKelmorClass::SetLinkSource(int32_t linkID, int32_t sourceID) {
    CheckWritable();
    TNodeSlot* link = nodes_.Find(linkID);
    if (!link || !link->entry.IsLink()) throw EKelmorNodeNotLinkError();
    const TNodeSlot* source = ResolveLinkChain(sourceID);
    link->entry.dataPosition = -source->entry.nodeID;
    link->entry.security = source->entry.security;
    modified_ = true;
}

// ---------------------------------------------------------------- deleting

void TKelmorClass::RemoveOneNode(TNodeSlot* slot) {
    if (markedNode_ == slot->entry.nodeID) markedNode_ = 0;
    if (!slot->entry.IsLink() && header_.blobCount > 0) {
        // The blobs of its blob keys go with it; a damaged record or a blob that is
        // already gone does not keep the node from being deleted.
        try {
            ReadRecordOf(*slot);
            for (uint16_t k = 1; k <= KeyCount(); ++k) {
                if (KeyType(k) != ktBlob) continue;
                if (FindBlob(BlobIDOfKey(k))) DeleteBlobOfKey(k);
            }
        } catch (const EKelmorError&) {}
    }
    nodes_.Remove(slot);  // its record leaves the data file when it is next compacted
    header_.nodeCount = static_cast<uint16_t>(header_.nodeCount - 1);
    modified_ = true;
}

bool TKelmorClass::DeleteNode(int32_t nodeID) {
    if (!CanModifyNode(nodeID)) return false;
    if (markedNode_ == nodeID) markedNode_ = 0;
    // Depth first: every child (whatever its security) after its own branch, in order.
    std::vector<TNodeSlot*> path{nodes_.Find(nodeID)};
    while (!path.empty()) {
        TNodeSlot* child = nodes_.FirstChild(path.back()->entry.nodeID);
        if (child) {
            path.push_back(child);
            continue;
        }
        RemoveOneNode(path.back());
        path.pop_back();
    }
    ClearNode();
    return true;
}

// ---------------------------------------------------------------- order of siblings

void TKelmorClass::ExchangeNodes(int32_t first, int32_t second) {
    CheckWritable();
    TNodeSlot* a = nodes_.Find(first);
    TNodeSlot* b = nodes_.Find(second);
    if (!a || !b) throw EKelmorNodeIDInvalidError();
    if (a->entry.parentID != b->entry.parentID) throw EKelmorParentsDifferentError();
    nodes_.Exchange(a, b);
    modified_ = true;
}

void TKelmorClass::SortChildren(int32_t parentID) {
    CheckWritable();
    struct TItem {
        std::string description;
        size_t original;                     // the child's place before sorting
        std::unique_ptr<TCollationKey> key;  // with collation keys only
    };
    std::vector<TItem> items;
    std::vector<TNodeSlot*> slots;  // by original place
    TKelmorNodeRec rec;
    for (bool found = FindFirstChild(rec, parentID); found; found = FindNextChild(rec)) {
        // a broken link sorts with an empty description
        std::string description = LoadNode(rec.currentID) ? GetDescription() : std::string();
        std::unique_ptr<TCollationKey> key = makeCollationKey_ ? makeCollationKey_(description) : nullptr;
        items.push_back({std::move(description), slots.size(), std::move(key)});
        slots.push_back(nodes_.Find(rec.currentID));
    }
    if (items.size() < 2) return;
    const TTextComparer& compareText = compareText_ ? compareText_ : TTextComparer(CompareTextIgnoringCase);
    // The pivot is compared by its key, which stays in place while the items move.
    struct TPivot {
        std::string description;
        const TCollationKey* key;
    };
    const auto compare = [&](const TItem& item, const TPivot& pivot) {
        return pivot.key ? item.key->Compare(*pivot.key) : compareText(item.description, pivot.description);
    };
    // The quicksort of the format's sibling order, with an explicit stack: the left part
    // of a range is sorted before its right part, as a recursion would.
    std::vector<std::pair<int32_t, int32_t>> ranges{{0, static_cast<int32_t>(items.size()) - 1}};
    while (!ranges.empty()) {
        const auto [first, last] = ranges.back();
        ranges.pop_back();
        int32_t l = first, r = last;
        const TItem& middle = items[static_cast<size_t>((l + r) / 2)];
        const TPivot pivot{middle.key ? std::string() : middle.description, middle.key.get()};
        while (l <= r) {
            // (the bounds only matter to a comparison that contradicts itself)
            while (l < last && compare(items[static_cast<size_t>(l)], pivot) < 0) ++l;
            while (r > first && compare(items[static_cast<size_t>(r)], pivot) > 0) --r;
            if (l <= r) {
                std::swap(items[static_cast<size_t>(l)], items[static_cast<size_t>(r)]);
                ++l;
                --r;
            }
        }
        if (l < last) ranges.push_back({l, last});
        if (first < r) ranges.push_back({first, r});
    }
    // The siblings take the sorted order, one exchange per child at most. Exchanging entries
    // moves them in the stored order as well, and any exchanges that give the same sibling
    // order give the same stored order.
    std::vector<size_t> standing(items.size()), placeOf(items.size());  // by place / by original place
    std::iota(standing.begin(), standing.end(), size_t{0});
    std::iota(placeOf.begin(), placeOf.end(), size_t{0});
    for (size_t place = 0; place < items.size(); ++place) {
        const size_t wanted = items[place].original;
        const size_t here = standing[place];
        if (wanted == here) continue;
        const size_t from = placeOf[wanted];
        nodes_.Exchange(slots[here], slots[wanted]);
        standing[place] = wanted;
        standing[from] = here;
        placeOf[wanted] = place;
        placeOf[here] = from;
    }
    ClearNode();
    modified_ = true;
}

// ---------------------------------------------------------------- the marked node

void TKelmorClass::MarkNode(int32_t nodeID) {
    CheckWritable();
    if (nodeID != 0 && !nodes_.Find(nodeID)) throw EKelmorNodeIDInvalidError();
    markedNode_ = nodeID;
}

// Whether `nodeID` is `branchTop` or lies below it (links have no children, so walking
// up the parents gives the same answer as walking down the branch).
bool TKelmorClass::LiesInBranch(int32_t nodeID, int32_t branchTop) const {
    for (const TNodeSlot* slot = nodes_.Find(nodeID); slot; slot = nodes_.Find(slot->entry.parentID)) {
        if (slot->entry.nodeID == branchTop) return true;
        if (slot->entry.parentID == RootNode()) break;
    }
    return false;
}

bool TKelmorClass::CanMoveMarkedNode(int32_t newParentID) const {
    CheckWritable();
    if (markedNode_ <= 0) return false;
    const TNodeSlot* marked = nodes_.Find(markedNode_);
    if (!marked) return false;
    if (newParentID == RootNode()) return true;
    if (newParentID == markedNode_ || newParentID == marked->entry.parentID) return false;
    if (marked->entry.IsLink() && !nodes_.Find(-marked->entry.dataPosition)) return false;
    const TNodeSlot* parent = nodes_.Find(newParentID);
    if (!parent || parent->entry.IsLink()) return false;
    return !LiesInBranch(newParentID, markedNode_);
}

bool TKelmorClass::MoveMarkedNode(int32_t newParentID) {
    if (!CanMoveMarkedNode(newParentID)) return false;
    nodes_.Reparent(nodes_.Find(markedNode_), newParentID);
    markedNode_ = 0;
    modified_ = true;
    return true;
}

bool TKelmorClass::CanCopyMarkedNode(int32_t newParentID) const {
    CheckWritable();
    if (newParentID == RootNode()) return true;
    if (markedNode_ <= 0 || newParentID == markedNode_) return false;
    const TNodeSlot* marked = nodes_.Find(markedNode_);
    if (marked && marked->entry.IsLink() && !nodes_.Find(-marked->entry.dataPosition)) return false;
    const TNodeSlot* parent = nodes_.Find(newParentID);
    if (!parent || parent->entry.IsLink()) return false;
    return !LiesInBranch(newParentID, markedNode_);
}

int32_t TKelmorClass::CopyMarkedNode(int32_t newParentID) {
    if (!CanCopyMarkedNode(newParentID)) return -1;
    const TNodeSlot* marked = nodes_.Find(markedNode_);
    if (!marked) throw EKelmorNodeCopyError();
    if (marked->entry.IsLink()) return AddLink(newParentID, *ResolveLinkChain(markedNode_))->entry.nodeID;
    const int32_t top = CopyBranch(*marked, newParentID);
    modified_ = true;
    return top;
}

// Copies a node and its branch (without blob keys) under `parentID`; new IDs follow
// the depth-first order of the branch.
int32_t TKelmorClass::CopyBranch(const TNodeSlot& top, int32_t parentID) {
    size_t branchSize = 0;
    std::vector<const TNodeSlot*> pending{&top};
    while (!pending.empty()) {
        const TNodeSlot* slot = pending.back();
        pending.pop_back();
        ++branchSize;
        for (const TNodeSlot* child = nodes_.FirstChild(slot->entry.nodeID); child;
             child = TNodeIndex::NextSibling(child))
            pending.push_back(child);
    }
    CheckNodeRoom(branchSize);  // refused before anything is copied

    struct TStep {
        const TNodeSlot* source;
        int32_t newParent;
    };
    std::vector<TStep> steps{{&top, parentID}};
    int32_t topCopy = -1;
    std::vector<const TNodeSlot*> children;
    while (!steps.empty()) {
        const TStep step = steps.back();
        steps.pop_back();
        if (step.source->entry.IsLink()) {
            try {
                AddLink(step.newParent, *ResolveLinkChain(step.source->entry.nodeID));
            } catch (const EKelmorSourceNodeBrokenError&) {
                // a broken link is not copied
            }
            continue;
        }
        ReadRecordOf(*step.source);
        for (uint16_t k = KeyCount(); k >= 1; --k) {
            if (KeyType(k) == ktBlob) {
                RemoveItem(2u * k);
                RemoveItem(2u * k);
            }
        }
        const int32_t copy = CreateNode(step.newParent);
        nodes_.Find(copy)->entry.security = step.source->entry.security;
        if (topCopy < 0) topCopy = copy;
        children.clear();
        for (const TNodeSlot* child = nodes_.FirstChild(step.source->entry.nodeID); child;
             child = TNodeIndex::NextSibling(child))
            children.push_back(child);
        for (auto it = children.rbegin(); it != children.rend(); ++it) steps.push_back({*it, copy});
    }
    ClearNode();
    return topCopy;
}

// ---------------------------------------------------------------- paths

std::string TKelmorClass::DescriptionForPath(int32_t nodeID) {
    return LoadNode(nodeID) ? GetDescription() : std::string();  // a broken link has none
}

std::string TKelmorClass::GetNodePath(int32_t nodeID) {
    const TNodeSlot* slot = nodes_.Find(nodeID);
    if (!slot) throw EKelmorNodeIDInvalidError();
    std::vector<std::string> parts;
    for (; slot; slot = nodes_.Find(slot->entry.parentID)) {
        parts.push_back(DescriptionForPath(slot->entry.nodeID));
        if (slot->entry.parentID == RootNode()) break;
    }
    std::string path;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        if (!path.empty() || it != parts.rbegin()) path += '\\';
        path += *it;
    }
    if (path.size() > kMaxPath) path.resize(kMaxPath);
    return path;
}

std::string TKelmorClass::GetPathElement(const std::string& path, int depth, bool withPrefix) {
    if (depth < 1) return "";
    std::string rest = path;
    if (rest.empty() || rest.back() != '\\') rest += '\\';
    std::string prefix;
    for (int i = 1; i < depth; ++i) {
        const size_t slash = rest.find('\\');
        if (slash == std::string::npos) return "";
        prefix += rest.substr(0, slash + 1);
        rest.erase(0, slash + 1);
    }
    const size_t slash = rest.find('\\');
    if (slash == std::string::npos) return "";
    const std::string component = rest.substr(0, slash);
    if (withPrefix && !component.empty()) return prefix + component;
    return component;
}

int32_t TKelmorClass::FindNodeByPath(const std::string& path) {
    int32_t parent = RootNode();
    for (int depth = 1;; ++depth) {
        const std::string wanted = UpperCaseAscii(GetPathElement(path, depth, false));
        TKelmorNodeRec rec;
        int32_t match = -1;
        for (bool found = FindFirstChild(rec, parent); found; found = FindNextChild(rec)) {
            // A broken link has no description: no path leads to it (its source is gone).
            if (!LoadNode(rec.currentID)) continue;
            if (UpperCaseAscii(GetDescription()) == wanted) {
                match = rec.currentID;
                break;
            }
        }
        if (match < 0) return -1;
        if (IsLink(match)) match = -nodes_.Find(match)->entry.dataPosition;
        if (GetPathElement(path, depth + 1, false).empty()) return match;
        parent = match;
    }
}

}  // namespace kelmor
