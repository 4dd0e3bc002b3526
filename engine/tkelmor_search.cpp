// TKelmorClass: the search iterator. A search walks the tree depth first with an
// explicit stack kept in the caller's TKelmorSearch, one match at a time.
#include <cmath>
#include <string_view>

#include "engine/searchpattern.h"
#include "engine/tkelmor.h"

namespace kelmor {

// May be called from another thread while a search runs, so it stores atomics only:
// the engine's flag, then the record's found-in field.
void TKelmorClass::CancelSearch(TKelmorSearch& search) {
    cancelSearch_.store(true);
    search.foundIn = kFoundNone;
}

int32_t TKelmorClass::SearchFirst(TKelmorSearch& search) {
    search.stack.fill(TKelmorSearch::TFrame{});
    if ((search.flags & sfBrokenLinks) && (search.flags & sfScanLinks)) search.flags &= ~sfScanLinks;
    if (search.flags & sfSubNodesOnly) {
        if (search.startNode != RootNode() && !nodes_.Find(search.startNode)) return -1;
        search.stack[0].node = search.startNode;
    } else {
        search.flags &= ~sfScanLinks;
        search.stack[0].node = RootNode();
    }
    search.depth = 1;
    search.nodesReached = 0;
    search.foundIn = kFoundNone;
    search.foundKey = 0;
    search.resume = false;
    if (search.onProgress) search.onProgress(*this, 0);
    return SearchNext(search);
}

int32_t TKelmorClass::SearchNext(TKelmorSearch& search) {
    cancelSearch_.store(false);
    if (search.progressStep == 0) search.progressStep = 50;
    const TSearchPattern pattern(search.searchText, search.flags, regional_);
    if (search.depth == 0) return -1;

    int32_t answer = -1;
    bool done = false;
    while (!done && !cancelSearch_.load()) {
        answer = SearchStep(search, search.depth, pattern);
        done = answer > 0 || (answer == -1 && search.depth == 1);
        const bool descend = (answer == 0 && !done) || (answer > 0 && !search.resume);
        if (descend) {
            // The stack has 128 levels: a deeper branch is not searched.
            if (search.depth < kSearchStackSize) ++search.depth;
        } else if (answer == -1 && !done) {
            --search.depth;
        }
        if ((search.flags & sfProcessMessages) && search.processMessages) search.processMessages();
    }
    if (answer == -1) search.depth = 0;
    if (cancelSearch_.load()) {
        search.foundIn = kFoundNone;
        return -1;
    }
    if (answer == -1 && search.onProgress) search.onProgress(*this, 100);
    return answer;
}

// One step at level `depth` (1-based): -1 the level has no more children, -2 the child
// and its branch are skipped, 0 no match in the child, else the matching node's ID.
int32_t TKelmorClass::SearchStep(TKelmorSearch& search, int depth, const TSearchPattern& pattern) {
    TKelmorSearch::TFrame& frame = search.stack[static_cast<size_t>(depth - 1)];
    const bool continuing = search.resume;
    const uint8_t previousFoundIn = search.foundIn;
    const uint16_t previousKey = search.foundKey;
    const TNodeSlot* child = nullptr;
    if (continuing) {
        child = nodes_.Find(frame.childID);
    } else if (!frame.started) {
        // The entries whose parent is the level's node: a link has none of its own (in
        // follow-links mode the level's node is the link's source instead).
        child = nodes_.FirstChild(frame.node);
        frame.started = true;
    } else {
        const TNodeSlot* current = nodes_.Find(frame.childID);
        child = current ? TNodeIndex::NextSibling(current) : nullptr;
    }
    search.resume = false;
    if (!child) {
        frame.started = false;
        frame.childID = 0;
        return -1;
    }
    frame.childID = child->entry.nodeID;

    if (!continuing) {
        ++search.nodesReached;
        if (search.onProgress && search.nodesReached % search.progressStep == 0 && nodes_.Count() > 0)
            search.onProgress(*this, static_cast<int>(std::lround(100.0 * search.nodesReached / nodes_.Count())));
    }

    const TNodeSlot* examined = child;
    if (child->entry.IsLink()) {
        if (search.flags & sfScanLinks) {
            // The source stands in for the link, unless it is gone or already on the
            // stack (a cycle through links).
            examined = nodes_.Find(-child->entry.dataPosition);
            if (!examined || examined->entry.IsLink()) return -2;
            for (int level = 0; level < depth; ++level)
                if (search.stack[static_cast<size_t>(level)].node == examined->entry.nodeID) return -2;
        } else if (!(search.flags & sfBrokenLinks)) {
            return -2;
        }
    }
    if (examined->entry.security < currentUser_) {
        search.foundIn = kFoundNone;
        return -2;
    }
    search.foundIn = kFoundNone;
    search.foundKey = 0;
    const int32_t examinedID = examined->entry.nodeID;
    if (depth < kSearchStackSize)
        search.stack[static_cast<size_t>(depth)] = TKelmorSearch::TFrame{examinedID, false, 0};

    bool match = false;
    if (search.flags & sfBrokenLinks) {
        match = child->entry.IsLink() && !nodes_.Find(-child->entry.dataPosition);
        if (match) search.foundIn = kFoundDescription;
    } else {
        try {
            if (!LoadNode(examinedID)) return 0;
            match = MatchInRecord(search, pattern, continuing, previousFoundIn, previousKey);
        } catch (const EKelmorDamagedError&) {
            // a damaged record cannot match; the search goes on
        }
    }
    if (match && !cancelSearch_.load()) return examinedID;
    if (!match) search.resume = false;
    return 0;
}

// Looks for the text in the loaded record, in place: the description, then each key's
// name and value, from where the previous match in this node left off. A value's display
// text is made only when its type can show the text at all.
bool TKelmorClass::MatchInRecord(TKelmorSearch& search, const TSearchPattern& pattern, bool continuing,
                                 uint8_t previousFoundIn, uint16_t previousKey) {
    const auto itemText = [this](uint32_t offset) {
        return std::string_view(reinterpret_cast<const char*>(work_.get() + offset + 2), work_[offset]);
    };
    const bool described = ItemCount() > 0;
    uint32_t offset = kRecordHeaderSize;  // the description
    if ((search.flags & sfNodeDescriptions) && !continuing &&
        pattern.Matches(described ? itemText(offset) : std::string_view())) {
        search.foundIn = kFoundDescription;
        search.resume = (search.flags & (sfKeyNames | sfKeyValues)) != 0;
        return true;
    }
    if (!described || !(search.flags & (sfKeyNames | sfKeyValues))) return false;
    const bool insideKeys = continuing && (previousFoundIn == kFoundKeyName || previousFoundIn == kFoundKeyValue);
    const uint16_t first = insideKeys ? previousKey : 1;
    const uint16_t count = KeyCount();
    offset += work_[offset] + 2u;  // key 1's name, its value behind it
    for (uint16_t k = 1; k <= count; ++k) {
        const uint32_t valueOffset = offset + work_[offset] + 2u;
        const uint32_t nameOffset = offset;
        offset = valueOffset + work_[valueOffset] + 2u;
        if (k < first) continue;
        if (cancelSearch_.load()) return false;
        const bool atPrevious = insideKeys && k == previousKey;
        if ((search.flags & sfKeyNames) && !atPrevious && pattern.Matches(itemText(nameOffset))) {
            search.foundIn = kFoundKeyName;
            search.foundKey = k;
            search.resume = k < count || (search.flags & sfKeyValues);
            return true;
        }
        if ((search.flags & sfKeyValues) && !(atPrevious && previousFoundIn == kFoundKeyValue)) {
            const uint8_t type = work_[valueOffset + 1];
            const bool found = type == ktString ? pattern.Matches(itemText(valueOffset))
                                                : pattern.ValueMayMatch(type) && pattern.Matches(KeyValueText(k));
            if (found) {
                search.foundIn = kFoundKeyValue;
                search.foundKey = k;
                search.resume = k < count;
                return true;
            }
        }
    }
    return false;
}

}  // namespace kelmor
