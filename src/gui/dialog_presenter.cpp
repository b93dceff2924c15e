#include "gui/dialog_presenter.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

#include "gui/caption_walker.h"

namespace dravio::gui {

namespace {
// Qt names its standard buttons in English; they take the program's language
// when the box is shown.
void nameButtons(QMessageBox& box) {
    constexpr struct {
        QMessageBox::StandardButton button;
        const char* french;
        int id;
    } kButtons[] = {{QMessageBox::Cancel, "Annuler", 2490}, {QMessageBox::Yes, "Oui", 2491}, {QMessageBox::No, "Non", 2492}};
    for (const auto& b : kButtons) {
        if (auto* button = box.button(b.button)) setCaptionId(button, b.id)->setText(QString::fromUtf8(b.french));
    }
}
}  // namespace

void QtDialogPresenter::message(Icon icon, const QString& title, const QString& text, QWidget* parent) {
    const auto qtIcon = icon == Icon::Critical  ? QMessageBox::Critical
                        : icon == Icon::Warning ? QMessageBox::Warning
                                                : QMessageBox::Information;
    QMessageBox box(qtIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

QString messageText(const base::MessageBox& box) {
    QString text = QString::fromStdString(box.text);
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    return text;
}

namespace {
DialogPresenter::Icon iconOf(const base::MessageBox& box) {
    switch (box.icon) {
        case base::MessageBox::Icon::Critical: return DialogPresenter::Icon::Critical;
        case base::MessageBox::Icon::Exclamation: return DialogPresenter::Icon::Warning;
        default: return DialogPresenter::Icon::Information;
    }
}
}  // namespace

base::MessageAnswer DialogPresenter::ask(const base::MessageBox& box, QWidget* parent) {
    message(iconOf(box), QString::fromStdString(box.title), messageText(box), parent);
    return box.buttons == base::MessageBox::Buttons::YesNo ? base::MessageAnswer::Yes : base::MessageAnswer::Ok;
}

base::MessageAnswer QtDialogPresenter::ask(const base::MessageBox& box, QWidget* parent) {
    const auto icon = box.icon == base::MessageBox::Icon::Critical      ? QMessageBox::Critical
                      : box.icon == base::MessageBox::Icon::Exclamation ? QMessageBox::Warning
                      : box.icon == base::MessageBox::Icon::Question    ? QMessageBox::Question
                                                                        : QMessageBox::Information;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if (box.buttons == base::MessageBox::Buttons::OkCancel) buttons = QMessageBox::Ok | QMessageBox::Cancel;
    if (box.buttons == base::MessageBox::Buttons::YesNo) buttons = QMessageBox::Yes | QMessageBox::No;
    QMessageBox dialog(icon, QString::fromStdString(box.title), messageText(box), buttons, parent);
    nameButtons(dialog);
    switch (dialog.exec()) {
        case QMessageBox::Ok: return base::MessageAnswer::Ok;
        case QMessageBox::Yes: return base::MessageAnswer::Yes;
        case QMessageBox::No: return base::MessageAnswer::No;
        default: return base::MessageAnswer::Cancel;
    }
}

bool QtDialogPresenter::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

}  // namespace dravio::gui
