// gui: keeps every window in the chosen language. Each window is translated when it
// is shown, and a new language re-applies the captions of every open window at once,
// so that no window needs its own wiring to the catalog.
#pragma once

#include <QObject>

#include "support/catalog.h"

namespace dravio::gui {

class LanguageApplier : public QObject {
    Q_OBJECT
public:
    explicit LanguageApplier(QObject* parent = nullptr);
    ~LanguageApplier() override;

    // The catalog in use from now on; every open window is translated again.
    void setCatalog(const support::Catalog& catalog);
    const support::Catalog& catalog() const { return catalog_; }

signals:
    void languageChanged(const support::Catalog& catalog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    support::Catalog catalog_;
};

}  // namespace dravio::gui
