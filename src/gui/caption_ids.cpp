#include "gui/caption_ids.h"

#include <array>
#include <utility>

namespace dravio::gui {

namespace {
// Control name -> id. Only controls whose caption has a known id belong here;
// none of the main, interface, options and trace windows' controls has one yet
// (their texts with ids are set by the code through text_id), so the list is
// empty until windows with numbered captions arrive.
constexpr std::array<std::pair<std::string_view, int>, 0> kCaptionIds{};
}  // namespace

std::optional<int> captionId(std::string_view controlName) {
    for (const auto& [name, id] : kCaptionIds) {
        if (name == controlName) return id;
    }
    return std::nullopt;
}

}  // namespace dravio::gui
