// gui: message boxes and outside programs behind an interface, so start-up and the
// windows can be driven by tests without a modal loop or a browser.
#pragma once

#include <QString>
#include <QUrl>

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
};

// QMessageBox and QDesktopServices.
class QtDialogPresenter final : public DialogPresenter {
public:
    void message(Icon icon, const QString& title, const QString& text, QWidget* parent) override;
    bool openUrl(const QUrl& url) override;
};

}  // namespace dravio::gui
