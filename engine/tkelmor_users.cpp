// TKelmorClass: users, passwords and the access levels of nodes.
#include "engine/tkelmor.h"

namespace kelmor {

namespace {
constexpr uint8_t kReadOnlyBit = 0x80;
constexpr uint8_t kLevelBits = 0x7F;
}  // namespace

int TKelmorClass::CheckLogin(const std::string& userName, const std::string& password) const {
    return CheckUserLogin(users_, userName, password);
}

std::string TKelmorClass::GetUserName(int user) const { return IsOpen() ? SlotUserName(users_, user) : std::string(); }

void TKelmorClass::SetUser(int user, const std::string& userName, const std::string& password) {
    CheckWritable();
    if (currentUser_ != 1 && user != currentUser_) throw EKelmorAccessDenied();
    if (user < 1 || user > kUserSlots) return;
    SetUserSlot(users_, user, userName, password);
    modified_ = true;
}

void TKelmorClass::ChangePassword(const std::string& newPassword) {
    SetUser(currentUser_, SlotUserName(users_, currentUser_), newPassword);
}

uint8_t TKelmorClass::GetNodeSecurity(int32_t nodeID) const {
    const TNodeSlot* slot = nodes_.Find(nodeID);
    if (!slot) throw EKelmorNodeIDInvalidError();
    return slot->entry.security;
}

void TKelmorClass::SetNodeSecurity(int32_t nodeID, uint8_t level, bool readOnly) {
    CheckWritable();
    if (level < currentUser_) throw EKelmorAccessDenied();
    TNodeSlot* slot = nodes_.Find(nodeID);
    if (!slot || (slot->entry.security & kLevelBits) < currentUser_) throw EKelmorAccessDenied();
    slot->entry.security = static_cast<uint8_t>((level & kLevelBits) | (readOnly ? kReadOnlyBit : 0));
    modified_ = true;
}

bool TKelmorClass::CanModifyNode(int32_t nodeID) const {
    CheckWritable();
    const TNodeSlot* slot = nodes_.Find(nodeID);
    if (!slot) throw EKelmorNodeIDInvalidError();
    return (slot->entry.security & kReadOnlyBit) == 0 && (slot->entry.security & kLevelBits) >= currentUser_;
}

}  // namespace kelmor
