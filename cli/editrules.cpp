#include "cli/editrules.h"

#include <ostream>

#include "engine/kelmorerrors.h"
#include "engine/tkelmor.h"

namespace kelmor::cli {

namespace {
constexpr size_t kMaxCaption = 255;
}

void RequireWritable(const TKelmorClass& engine) {
    if (engine.IsReadOnly()) throw EKelmorReadOnly();
}

void RequireEditableKeys(TKelmorClass& engine, int32_t node) {
    if (node == TKelmorClass::RootNode()) throw ECliRefusal("The root has no keys.");
    if (engine.IsLink(node)) throw ECliRefusal("A link has no keys of its own: change them at its source.");
    if (!engine.CanModifyNode(node)) throw EKelmorNodeReadOnlyError();
}

std::string CaptionText(TCliContext& context, const std::string& text) {
    if (text.empty()) throw ECliRefusal("A description of one or more characters is required.");
    if (text.size() <= kMaxCaption) return text;
    context.err << "Descriptions of more than 255 characters are not supported.\n\nText has been truncated.\n";
    return text.substr(0, kMaxCaption);
}

}  // namespace kelmor::cli
