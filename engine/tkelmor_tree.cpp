// TKelmorClass: the tree of nodes and links.
#include <climits>

#include "tkelmor.h"

namespace kelmor {

namespace {
constexpr size_t kMaxNodes = 65535;           // the node count is a 16-bit field
constexpr uint8_t kNewNodeSecurity = 5;
constexpr int32_t kUnwrittenPosition = 49;    // a record's place is fixed when the index is written
}  // namespace

int32_t TKelmorClass::CreateNode(int32_t parentID) {
    CheckWritable();
    const TNodeSlot* parent = nodes_.Find(parentID);
    if (parent && parent->entry.IsLink()) return -1;
    if (parentID != RootNode() && !parent) throw EKelmorNodeIDInvalidError();
    if (nodes_.Count() >= kMaxNodes)
        throw EKelmorDatabaseFull("the database already holds 65535 nodes and links, the most it can hold.");
    if (header_.lastNodeID == INT32_MAX) throw EKelmorDatabaseFull("no node IDs are left.");

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

}  // namespace kelmor
