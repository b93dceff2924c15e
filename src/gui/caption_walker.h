// gui: applying a language to a window: every window title, frame, label, check box,
// option button, command button, tab and menu entry with a resource id gets
// GetResourceString(id, its French caption).
//
// A window gives a control its id where it creates it (setCaptionId); the French
// text the control had then is kept on the control, so that switching from one
// catalog to another never falls back to the previous language's text.
#pragma once

#include <QObject>
#include <QWidget>
#include <functional>
#include <optional>
#include <string_view>

#include "support/catalog.h"

namespace dravio::gui {

using CaptionIdLookup = std::function<std::optional<int>(std::string_view controlName)>;

// Marks `object` (a widget, a menu, an action, or a window for its title) as translated
// under `id`. Returns the object for chaining in window code.
template <typename T>
T* setCaptionId(T* object, int id) {
    object->setProperty("dravioCaptionId", id);
    return object;
}
std::optional<int> captionIdOf(const QObject& object);
// The same for a widget's tooltip.
template <typename T>
T* setToolTipId(T* widget, int id) {
    widget->setProperty("dravioToolTipId", id);
    return widget;
}

// Walks `window` and its children (menus included). Returns how many captions had an
// id. An object's own id (setCaptionId) wins; otherwise `lookup` (by default the
// program's table of control names, captionId) is asked.
int applyCaptions(QWidget& window, const support::Catalog& catalog, const CaptionIdLookup& lookup = {});

// The catalog's text of `id`, `french` when it has none.
QString translatedText(const support::Catalog& catalog, int id, const char* french);

// A caption the window changes with its state: `object` shows text `id` in the
// catalog's language followed by `suffix` (a path, a number), and keeps showing it in
// the next language applied.
void showCaption(QObject& object, int id, const char* french, const support::Catalog& catalog,
                 const QString& suffix = {});

}  // namespace dravio::gui
