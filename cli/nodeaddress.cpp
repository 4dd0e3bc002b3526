#include "cli/nodeaddress.h"

#include "cli/cliapp.h"
#include "cli/textcodec.h"
#include "engine/kelmorerrors.h"
#include "engine/tkelmor.h"
#include "engine/userblock.h"
#include "interchange/location.h"

namespace kelmor::cli {

namespace {

// The number after "#"; false when it does not fit a node ID.
bool NumberOf(const std::string& address, int64_t& number) {
    number = 0;
    for (size_t i = 1; i < address.size(); ++i) {
        number = number * 10 + (address[i] - '0');
        if (number > INT32_MAX) return false;
    }
    return true;
}

// Visible: the node and every ancestor have a security byte the user may see (as the
// tree shows them; a node hidden above is not reachable from the root).
bool VisibleToUser(const TKelmorClass& engine, int32_t node) {
    for (int32_t id = node; id != TKelmorClass::RootNode(); id = engine.GetParent(id)) {
        if (id < 0 || engine.GetNodeSecurity(id) < engine.CurrentUser()) return false;
    }
    return true;
}

}  // namespace

bool IsNumberAddress(const std::string& address) {
    if (address.size() < 2 || address[0] != '#') return false;
    for (size_t i = 1; i < address.size(); ++i)
        if (address[i] < '0' || address[i] > '9') return false;
    return true;
}

int32_t ResolveNode(TKelmorClass& engine, const std::string& address) {
    if (IsNumberAddress(address)) {
        int64_t number = 0;
        if (!NumberOf(address, number) || !engine.NodeExists(static_cast<int32_t>(number)))
            throw ECliRefusal("Node ID does not exist.");
        if (!VisibleToUser(engine, static_cast<int32_t>(number))) throw ECliRefusal("Access Denied.");
        return static_cast<int32_t>(number);
    }
    std::string path = NormaliseLocation(address);
    if (!path.empty() && path.back() == '\\') path.pop_back();  // "Shop\Fruit\" is "Shop\Fruit"
    const size_t lastSeparator = path.rfind('\\');
    if (path.empty()) return TKelmorClass::RootNode();
    // The engine's look-up gives a link's source for a path that ends at the link; the
    // last step is taken here, so that the link itself is named (and `rm` of a link never
    // removes its source). As the engine does, only the first child of a name counts.
    const int32_t parent = lastSeparator == std::string::npos ? TKelmorClass::RootNode()
                                                              : LocationNode(engine, path.substr(0, lastSeparator));
    const std::string last = UpperCaseAscii(lastSeparator == std::string::npos ? path : path.substr(lastSeparator + 1));
    if (parent >= 0) {
        TKelmorNodeRec rec;
        for (bool more = engine.FindFirstChild(rec, parent); more; more = engine.FindNextChild(rec)) {
            if (engine.LoadNode(rec.currentID) && UpperCaseAscii(engine.GetDescription()) == last) return rec.currentID;
        }
    }
    throw ECliRefusal("Unknown Branch Specified.");
}

uint16_t ResolveKey(const TKelmorClass& engine, const std::string& address) {
    if (IsNumberAddress(address)) {
        int64_t number = 0;
        if (!NumberOf(address, number) || number < 1 || number > engine.KeyCount()) throw EKelmorInvalidKeyIndexError();
        return static_cast<uint16_t>(number);
    }
    if (const uint16_t index = engine.FindKey(address)) return index;
    throw ECliRefusal("The node has no key named '" + Latin1ToUtf8(address) + "'.");
}

}  // namespace kelmor::cli
