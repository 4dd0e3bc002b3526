// The rules the editing commands share with the database window: which nodes may have
// their keys and descriptions changed, and how a typed description or key name is taken.
#pragma once

#include <cstdint>
#include <string>

#include "cli/cliapp.h"

namespace kelmor {
class TKelmorClass;
}

namespace kelmor::cli {

// Raises "Database Read-Only" on a database opened read-only.
void RequireWritable(const TKelmorClass& engine);

// Refuses the root and links (whose keys are their source's) and nodes the user may
// not change ("Node Read-Only").
void RequireEditableKeys(TKelmorClass& engine, int32_t node);

// A description or key name as the in-place editor takes it: refused when empty, cut to
// 255 characters with the program's warning.
std::string CaptionText(TCliContext& context, const std::string& text);

}  // namespace kelmor::cli
