#include "gui/language_applier.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "gui/caption_walker.h"

namespace dravio::gui {

LanguageApplier::LanguageApplier(QObject* parent) : QObject(parent) {
    if (qApp) qApp->installEventFilter(this);
}

LanguageApplier::~LanguageApplier() {
    if (qApp) qApp->removeEventFilter(this);
}

void LanguageApplier::setCatalog(const support::Catalog& catalog) {
    catalog_ = catalog;
    for (auto* window : QApplication::topLevelWidgets()) applyCaptions(*window, catalog_);
    emit languageChanged(catalog_);
}

bool LanguageApplier::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow()) applyCaptions(*widget, catalog_);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace dravio::gui
