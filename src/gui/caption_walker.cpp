#include "gui/caption_walker.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QVariant>

#include "gui/caption_ids.h"

namespace dravio::gui {

namespace {
constexpr const char* kIdProperty = "dravioCaptionId";
constexpr const char* kFrenchProperty = "dravioFrenchCaption";

// The caption the control was built with, kept from its first translation.
QString frenchOf(QObject& object, const QString& current) {
    const QVariant kept = object.property(kFrenchProperty);
    if (kept.isValid()) return kept.toString();
    object.setProperty(kFrenchProperty, current);
    return current;
}

QString translated(const support::Catalog& catalog, int id, const QString& french) {
    return QString::fromStdString(catalog.GetResourceString(id, french.toStdString()));
}
}  // namespace

std::optional<int> captionIdOf(const QObject& object) {
    const QVariant id = object.property(kIdProperty);
    if (id.isValid()) return id.toInt();
    return std::nullopt;
}

QString translatedText(const support::Catalog& catalog, int id, const char* french) {
    return QString::fromStdString(catalog.GetResourceString(id, french));
}

int applyCaptions(QWidget& window, const support::Catalog& catalog, const CaptionIdLookup& lookup) {
    const CaptionIdLookup byName = lookup ? lookup : CaptionIdLookup(captionId);
    int applied = 0;
    const auto idFor = [&](const QObject& object) -> std::optional<int> {
        if (auto own = captionIdOf(object)) return own;
        return byName(object.objectName().toStdString());
    };
    const auto apply = [&](QObject& object, const QString& current, const auto& set) {
        if (const auto id = idFor(object)) {
            set(translated(catalog, *id, frenchOf(object, current)));
            ++applied;
        }
    };

    apply(window, window.windowTitle(), [&](const QString& t) { window.setWindowTitle(t); });
    for (auto* w : window.findChildren<QWidget*>()) {
        if (w->isWindow()) apply(*w, w->windowTitle(), [&](const QString& t) { w->setWindowTitle(t); });
    }
    for (auto* frame : window.findChildren<QGroupBox*>()) {
        apply(*frame, frame->title(), [&](const QString& t) { frame->setTitle(t); });
    }
    for (auto* label : window.findChildren<QLabel*>()) {
        apply(*label, label->text(), [&](const QString& t) { label->setText(t); });
    }
    // Command buttons, check boxes and option buttons.
    for (auto* button : window.findChildren<QAbstractButton*>()) {
        apply(*button, button->text(), [&](const QString& t) { button->setText(t); });
    }
    // Menus and their entries; a menu's own caption lives on its menuAction.
    for (auto* action : window.findChildren<QAction*>()) {
        apply(*action, action->text(), [&](const QString& t) { action->setText(t); });
    }
    for (auto* menu : window.findChildren<QMenu*>()) {
        apply(*menu, menu->title(), [&](const QString& t) { menu->setTitle(t); });
    }
    for (auto* tabs : window.findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            QWidget* page = tabs->widget(i);
            if (!page) continue;
            apply(*page, tabs->tabText(i), [&](const QString& t) { tabs->setTabText(i, t); });
        }
    }
    return applied;
}

}  // namespace dravio::gui
