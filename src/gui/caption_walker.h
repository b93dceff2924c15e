// gui: applying a language to a window: every frame, check box, option button,
// command button and menu entry with a resource id gets GetResourceString(id,
// its current caption).
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string_view>

#include "support/catalog.h"

namespace dravio::gui {

using CaptionIdLookup = std::function<std::optional<int>(std::string_view controlName)>;

// Walks `window` and its children (menus included). Returns how many captions
// had an id. `lookup` defaults to the program's table (captionId).
int applyCaptions(QWidget& window, const support::Catalog& catalog, const CaptionIdLookup& lookup = {});

}  // namespace dravio::gui
