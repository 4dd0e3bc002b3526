// What the commands show of a node and its keys, as lines (the tree's "name (type) =
// value") and as JSON (ids, descriptions, levels, links and typed key values).
#pragma once

#include <cstdint>
#include <string>

#include "cli/jsonwriter.h"

namespace kelmor {
class TKelmorClass;
}

namespace kelmor::cli {

// A node's path in the form the location options take ("Root" for the root), UTF-8.
std::string LocationText(TKelmorClass& engine, int32_t node);

// Where a link points: its source's ID (also when the source is gone) and whether the
// link is broken.
struct TLinkTarget {
    int32_t source = -1;
    bool broken = false;
};
TLinkTarget LinkTargetOf(TKelmorClass& engine, int32_t link);

// Key `index` of the loaded record as the tree's --keys lines show it (UTF-8, no indent).
std::string KeyLine(const TKelmorClass& engine, uint16_t index);

// Key `index` of the loaded record as {"name", "type", "value"}.
void WriteKeyJson(TJsonWriter& json, const TKelmorClass& engine, uint16_t index);

// The members of a node object except "children": id, description, level, readOnly,
// link, broken and keys. Loads the node (a link: its source's record).
void WriteNodeMembers(TJsonWriter& json, TKelmorClass& engine, int32_t node);

}  // namespace kelmor::cli
