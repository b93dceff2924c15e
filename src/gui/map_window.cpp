#include "gui/map_window.h"

#include "gui/caption_walker.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "gui/ctl_bar_graph.h"

namespace dravio::gui {

namespace {
constexpr double kTwips = display::kTwipsPerPixel;
}  // namespace

MapPicture::MapPicture(QWidget* parent) : QWidget(parent) {
    setObjectName("picMap");
    setMinimumSize(330, 330);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
}

void MapPicture::apply(const std::vector<display::MapShape>& changed) {
    for (const auto& s : changed) {
        if (s.shape >= 0 && s.shape < display::kMapCells) shapes_[static_cast<std::size_t>(s.shape)] = s;
    }
    update();
}

void MapPicture::clear() {
    shapes_ = {};
    update();
}

void MapPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const auto geometry = display::mapGeometry(static_cast<int>(width() * kTwips), static_cast<int>(height() * kTwips));
    painter.setPen(QColor(200, 200, 200));
    for (const auto& line : geometry.lines) {
        painter.drawLine(QPointF(line.from.x / kTwips, line.from.y / kTwips), QPointF(line.to.x / kTwips, line.to.y / kTwips));
    }
    painter.setPen(Qt::NoPen);
    for (const auto& s : shapes_) {
        if (!s.visible) continue;
        const auto rect = display::mapCellRect(geometry, s.row, s.column);
        painter.setBrush(colorFromBgr(s.colour));
        painter.drawRect(QRectF(rect.left / kTwips, rect.top / kTwips, rect.width / kTwips, rect.height / kTwips));
    }
}

MapWindow::MapWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), picture_(new MapPicture(this)), lbRPM_(new QLabel(this)), lbTPS_(new QLabel(this)) {
    setObjectName("frmCarto");
    setWindowTitle("Cartographie");
    setCaptionId(this, 2440);
    lbRPM_->setObjectName("lbRPM");
    lbTPS_->setObjectName("lbTPS");
    auto* frRPM = new QGroupBox("RPM", this);
    frRPM->setObjectName("frRPM");
    (new QHBoxLayout(frRPM))->addWidget(lbRPM_);
    auto* frTPS = new QGroupBox("TPS", this);
    frTPS->setObjectName("frTPS");
    (new QHBoxLayout(frTPS))->addWidget(lbTPS_);
    auto* labels = new QHBoxLayout;
    labels->addWidget(frRPM);
    labels->addWidget(frTPS);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture_, 1);
    layout->addLayout(labels);
    resize(460, 520);
}

void MapWindow::showResult(const display::MapResult& result) {
    lbRPM_->setText(QString::fromStdString(result.lbRPM));
    lbTPS_->setText(QString::fromStdString(result.lbTPS));
    if (result.status == display::MapStatus::Drawn) picture_->apply(result.changed);
}

void MapWindow::closeEvent(QCloseEvent* event) {
    picture_->clear();
    QWidget::closeEvent(event);
    emit closed();
}

}  // namespace dravio::gui
