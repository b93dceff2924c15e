#include "gui/view_render.h"

#include <QAbstractButton>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

#include "diag/onebyte_model.h"
#include "gui/ctl_bar_graph.h"

namespace dravio::gui {

namespace {

void setText(QWidget& widget, const QString& text) {
    if (auto* box = qobject_cast<QGroupBox*>(&widget)) {
        box->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(&widget)) {
        label->setText(text);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(&widget)) {
        // The procedures end their lines with CR LF.
        QString plain = text;
        plain.remove('\r');
        edit->setPlainText(plain);
    }
}

void setBackColour(QWidget& widget, std::uint32_t bgr) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colorFromBgr(bgr));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
    widget.setProperty("bgr", bgr);
}

}  // namespace

void renderChanges(QWidget& window, const std::map<std::string, base::ControlState>& changes) {
    for (const auto& [name, state] : changes) {
        const QString objectName = QString::fromStdString(name);
        if (objectName == window.objectName()) {
            if (state.text) window.setWindowTitle(QString::fromStdString(*state.text));
            continue;
        }
        if (name == "MousePointer") {
            if (state.value && *state.value == diag::kPointerHourglass) {
                window.setCursor(Qt::WaitCursor);
            } else if (state.value) {
                window.unsetCursor();
            }
            continue;
        }
        auto* widget = window.findChild<QWidget*>(objectName);
        if (widget == nullptr) continue;
        if (state.text) setText(*widget, QString::fromStdString(*state.text));
        if (state.enabled) widget->setEnabled(*state.enabled);
        if (state.visible) widget->setVisible(*state.visible);
        if (state.backColour) setBackColour(*widget, *state.backColour);
    }
}

}  // namespace dravio::gui
