#include "gui/traffic_window.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/caption_walker.h"

namespace dravio::gui {

TrafficWindow::TrafficWindow(QWidget* parent) : QWidget(parent, Qt::Window), list_(new QPlainTextEdit(this)) {
    setObjectName("frmTrafic");
    setWindowTitle("Trafic K-line");
    setCaptionId(this, 2400);
    list_->setObjectName("ltTrafic");
    list_->setReadOnly(true);
    list_->setMaximumBlockCount(kMaxLines);
    list_->setLineWrapMode(QPlainTextEdit::NoWrap);
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* clear = new QPushButton("Effacer", this);
    clear->setObjectName("cdEffacer");
    setCaptionId(clear, 2401);
    connect(clear, &QPushButton::clicked, list_, &QPlainTextEdit::clear);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clear);
    layout->addLayout(buttons);
    resize(560, 420);
}

void TrafficWindow::appendLines(const QStringList& lines) {
    if (lines.isEmpty()) return;
    // Only follow the newest line when the user has not scrolled up to read.
    auto* bar = list_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    list_->appendPlainText(lines.join('\n'));
    if (atEnd) bar->setValue(bar->maximum());
}

void TrafficWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // The rider reads from the first exchange, from the first column.
    list_->horizontalScrollBar()->setValue(0);
    list_->verticalScrollBar()->setValue(0);
}

int TrafficWindow::lineCount() const { return list_->document()->isEmpty() ? 0 : list_->blockCount(); }

}  // namespace dravio::gui
