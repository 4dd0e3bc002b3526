// Naming nodes and keys on the command line: a node by a path of descriptions
// ("Root\Shop\Fruit", "Shop\Fruit", "Root") or by "#ID" ("#42", "#0" the root); a key of
// the loaded record by its name (the first key of that name, letter case ignored) or by
// "#N" (the N-th key, from 1). Addresses are Latin-1, as the engine's texts.
#pragma once

#include <cstdint>
#include <string>

namespace kelmor {
class TKelmorClass;
}

namespace kelmor::cli {

// The node the address names, as the logged-on user may see it. Throws ECliRefusal with
// the program's message: "Unknown Branch Specified." for a path that leads nowhere,
// "Node ID does not exist." for an unknown ID, "Access Denied." for a node the user may
// not see. A path that ends at a link names the link's source (as every path does).
int32_t ResolveNode(TKelmorClass& engine, const std::string& address);

// The index of the key of the loaded record; throws ECliRefusal when there is none.
uint16_t ResolveKey(const TKelmorClass& engine, const std::string& address);

// Whether the address is "#" and digits.
bool IsNumberAddress(const std::string& address);

}  // namespace kelmor::cli
