#include "gui/trace_window.h"

#include "gui/caption_walker.h"

namespace dravio::gui {

TraceWindow::TraceWindow(QWidget* parent) : QWidget(parent, Qt::Window), list_(new QListWidget(this)) {
    setObjectName("frmTrace");
    setWindowTitle("Trace");
    setCaptionId(this, 2410);
    list_->setObjectName("ltTrace");
    resize(480, 200);
}

void TraceWindow::showLines(const QStringList& lines) {
    list_->clear();
    list_->addItems(lines);
    list_->scrollToBottom();
}

void TraceWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The list keeps 90 % of the height; the rest is the window's bottom margin.
    list_->setGeometry(0, 0, width(), height() * 9 / 10);
}

}  // namespace dravio::gui
