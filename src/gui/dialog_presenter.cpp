#include "gui/dialog_presenter.h"

#include <QDesktopServices>
#include <QMessageBox>

namespace dravio::gui {

void QtDialogPresenter::message(Icon icon, const QString& title, const QString& text, QWidget* parent) {
    const auto qtIcon = icon == Icon::Critical  ? QMessageBox::Critical
                        : icon == Icon::Warning ? QMessageBox::Warning
                                                : QMessageBox::Information;
    QMessageBox box(qtIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogPresenter::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

}  // namespace dravio::gui
