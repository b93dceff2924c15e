// gui: message boxes and outside programs behind an interface, so start-up and the
// windows can be driven by tests without a modal loop or a browser.
#pragma once

#include <QString>
#include <QUrl>

#include "base/view_state.h"

class QWidget;

namespace dravio::gui {

class DialogPresenter {
public:
    enum class Icon { Information, Warning, Critical };
    virtual ~DialogPresenter() = default;
    // Shows the message and returns once the user has closed it.
    virtual void message(Icon icon, const QString& title, const QString& text, QWidget* parent) = 0;
    // Opens a web page or a file with the desktop's program; false when none could.
    virtual bool openUrl(const QUrl& url) = 0;
    // A box a procedure shows, with its buttons; returns the user's answer. By
    // default the box is shown as a message and taken as accepted.
    virtual base::MessageAnswer ask(const base::MessageBox& box, QWidget* parent);
};

// The box's text as Qt shows it: carriage returns become line breaks.
QString messageText(const base::MessageBox& box);

// QMessageBox and QDesktopServices.
class QtDialogPresenter final : public DialogPresenter {
public:
    void message(Icon icon, const QString& title, const QString& text, QWidget* parent) override;
    bool openUrl(const QUrl& url) override;
    base::MessageAnswer ask(const base::MessageBox& box, QWidget* parent) override;
};

}  // namespace dravio::gui
