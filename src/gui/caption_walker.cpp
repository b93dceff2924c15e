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

QString suffixOf(const QObject& object) { return object.property("dravioCaptionSuffix").toString(); }

void setCaptionText(QObject& object, const QString& text) {
    if (auto* box = qobject_cast<QGroupBox*>(&object)) {
        box->setTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(&object)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(&object)) {
        button->setText(text);
    } else if (auto* action = qobject_cast<QAction*>(&object)) {
        action->setText(text);
    } else if (auto* menu = qobject_cast<QMenu*>(&object)) {
        menu->setTitle(text);
    } else if (auto* widget = qobject_cast<QWidget*>(&object)) {
        widget->setWindowTitle(text);
    }
}
}  // namespace

void showCaption(QObject& object, int id, const char* french, const support::Catalog& catalog,
                 const QString& suffix) {
    object.setProperty(kIdProperty, id);
    object.setProperty(kFrenchProperty, QString::fromUtf8(french));
    object.setProperty("dravioCaptionSuffix", suffix);
    setCaptionText(object, translated(catalog, id, QString::fromUtf8(french)) + suffix);
}

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
            const QString suffix = suffixOf(object);
            const QString shown = suffix.isEmpty() || !current.endsWith(suffix) ? current : current.chopped(suffix.size());
            set(translated(catalog, *id, frenchOf(object, shown)) + suffix);
            ++applied;
        }
    };

    apply(window, window.windowTitle(), [&](const QString& t) { window.setWindowTitle(t); });
    for (auto* w : window.findChildren<QWidget*>()) {
        // A menu is a window too, but its caption is its title below.
        if (w->isWindow() && !qobject_cast<QMenu*>(w)) {
            apply(*w, w->windowTitle(), [&](const QString& t) { w->setWindowTitle(t); });
        }
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
    for (auto* widget : window.findChildren<QWidget*>()) {
        const QVariant id = widget->property("dravioToolTipId");
        if (!id.isValid()) continue;
        QVariant french = widget->property("dravioFrenchToolTip");
        if (!french.isValid()) {
            french = widget->toolTip();
            widget->setProperty("dravioFrenchToolTip", french);
        }
        widget->setToolTip(translated(catalog, id.toInt(), french.toString()));
        ++applied;
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
