#include "gui/caption_walker.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QMenu>

#include "gui/caption_ids.h"

namespace dravio::gui {

namespace {
QString translated(const support::Catalog& catalog, int id, const QString& current) {
    return QString::fromStdString(catalog.GetResourceString(id, current.toStdString()));
}
}  // namespace

int applyCaptions(QWidget& window, const support::Catalog& catalog, const CaptionIdLookup& lookup) {
    const CaptionIdLookup idOf = lookup ? lookup : CaptionIdLookup(captionId);
    int applied = 0;
    const auto idFor = [&](const QObject& object) { return idOf(object.objectName().toStdString()); };

    for (auto* frame : window.findChildren<QGroupBox*>()) {
        if (const auto id = idFor(*frame)) {
            frame->setTitle(translated(catalog, *id, frame->title()));
            ++applied;
        }
    }
    // Command buttons, check boxes and option buttons.
    for (auto* button : window.findChildren<QAbstractButton*>()) {
        if (const auto id = idFor(*button)) {
            button->setText(translated(catalog, *id, button->text()));
            ++applied;
        }
    }
    // Menus and their entries; a menu's own caption lives on its menuAction.
    for (auto* action : window.findChildren<QAction*>()) {
        if (const auto id = idFor(*action)) {
            action->setText(translated(catalog, *id, action->text()));
            ++applied;
        }
    }
    for (auto* menu : window.findChildren<QMenu*>()) {
        if (const auto id = idFor(*menu)) {
            menu->setTitle(translated(catalog, *id, menu->title()));
            ++applied;
        }
    }
    return applied;
}

}  // namespace dravio::gui
