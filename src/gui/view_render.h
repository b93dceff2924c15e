// gui: a procedure's view changes drawn onto a window by control name: texts go
// to labels, buttons, frames and text boxes (the window's own name is its title),
// back colours to shapes, and "MousePointer" to the window's cursor.
#pragma once

#include <QWidget>
#include <map>
#include <string>

#include "base/view_state.h"

namespace dravio::gui {

void renderChanges(QWidget& window, const std::map<std::string, base::ControlState>& changes);

}  // namespace dravio::gui
