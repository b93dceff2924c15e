#include "gui/graph_window.h"

#include "gui/caption_walker.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <variant>

#include "gui/ctl_bar_graph.h"

namespace dravio::gui {

namespace {
constexpr int kScaleColumnWidth = 48;

QPen penFor(std::uint32_t colour, int width, display::PenStyle style) {
    QPen pen(colorFromBgr(colour));
    pen.setWidth(width);
    pen.setStyle(style == display::PenStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QPointF at(const display::Point& p) { return {p.x, p.y}; }
}  // namespace

GraphPicture::GraphPicture(QWidget* parent) : QWidget(parent) {
    setObjectName("Picture1");
    setMinimumSize(200, 120);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
}

void GraphPicture::showFrame(display::GraphFrame frame) {
    frame_ = std::move(frame);
    update();
}

void GraphPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const auto& command : frame_.commands) {
        if (const auto* line = std::get_if<display::LineCommand>(&command)) {
            painter.setPen(penFor(line->colour, line->width, line->style));
            painter.drawLine(at(line->from), at(line->to));
        } else if (const auto* poly = std::get_if<display::PolylineCommand>(&command)) {
            painter.setPen(penFor(poly->colour, poly->width, display::PenStyle::Solid));
            QPolygonF points;
            for (const auto& p : poly->points) points << at(p);
            painter.drawPolyline(points);
        }
    }
}

void GraphPicture::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit resized(size());
}

GraphWindow::GraphWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      picture_(new GraphPicture(this)),
      scaleColumn_(new QWidget(this)),
      lrmp_(new QLabel(this)),
      lRpmMoy_(new QLabel(this)),
      ldeux_(new QLabel(this)),
      ch1000_(new QCheckBox("Ralenti - Ctrl + R", this)),
      chtrace_(new QCheckBox("Graphe - Ctrl + G", this)),
      chLissage_(new QCheckBox("Smoothing", this)),
      chEcart_(new QCheckBox("Ecart", this)),
      chTPS_(new QCheckBox("TPS", this)),
      lPoints_(new QComboBox(this)) {
    setObjectName("frmgraph");
    setWindowTitle("Graphe");
    setCaptionId(this, 2460);

    auto* menuBar = new QMenuBar(this);
    auto* optionsMenu = menuBar->addMenu("Options");
    optionsMenu->setObjectName("mnOptions");
    setCaptionId(optionsMenu, 2461);
    const auto entry = [&](const char* name, const char* caption, const char* keys, int captionId) {
        auto* a = setCaptionId(optionsMenu->addAction(QString::fromUtf8(caption)), captionId);
        a->setObjectName(name);
        if (keys != nullptr) a->setShortcut(QKeySequence(keys));
        return a;
    };
    connect(entry("mnGraphe", "Graphe", "Ctrl+G", 2462), &QAction::triggered, this, [this] { toggleTrace(); });
    connect(entry("mnRalenti", "Ralenti", "Ctrl+R", 2463), &QAction::triggered, this, [this] { toggleIdle(); });
    connect(entry("mnMoyPlus", "Moyenne +", nullptr, 2464), &QAction::triggered, this, [this] { emit tempoStep(+5); });
    connect(entry("mnMoyMoins", "Moyenne -", nullptr, 2465), &QAction::triggered, this, [this] { emit tempoStep(-5); });
    trimPlus_ = entry("mnTrimPlus", "Trimmer + 1", nullptr, 2466);
    trimMinus_ = entry("mnTrimMoins", "Trimmer - 1", nullptr, 2467);
    connect(trimPlus_, &QAction::triggered, this, [this] { emit trimmerStep(+1); });
    connect(trimMinus_, &QAction::triggered, this, [this] { emit trimmerStep(-1); });
    setTrimmerEntries(false);

    scaleColumn_->setObjectName("scaleColumn");
    scaleColumn_->setFixedWidth(kScaleColumnWidth);
    for (int i = 0; i < display::kScaleLabels; ++i) {
        auto* label = new QLabel(scaleColumn_);
        label->setObjectName(QString("lbEchelle%1").arg(i));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->hide();
        lbEchelle_[static_cast<std::size_t>(i)] = label;
    }
    lrmp_->setObjectName("lrmp");
    lRpmMoy_->setObjectName("lRpmMoy");
    ldeux_->setObjectName("ldeux");
    for (auto* label : {lrmp_, lRpmMoy_, ldeux_}) {
        QFont font = label->font();
        font.setPointSize(12);
        font.setBold(true);
        label->setFont(font);
        label->setMinimumWidth(110);
    }
    ch1000_->setObjectName("ch1000");
    setCaptionId(ch1000_, 2468);
    setCaptionId(chtrace_, 2469);
    setCaptionId(chLissage_, 2470);
    setCaptionId(chEcart_, 2471);
    chtrace_->setObjectName("chtrace");
    chLissage_->setObjectName("chLissage");
    setToolTipId(chLissage_, 2472)->setToolTip("Smoothing the RPM as a criterion for setting");
    chEcart_->setObjectName("chEcart");
    setToolTipId(chEcart_, 2473)->setToolTip("(Max- Min) of RPM in the chart as a criterion for setting");
    chTPS_->setObjectName("chTPS");
    setToolTipId(chTPS_, 2474)->setToolTip("Show TPS value");
    lPoints_->setObjectName("lPoints");
    for (const auto count : display::kPointChoices) lPoints_->addItem(QString::number(count));

    auto* layout = new QGridLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(scaleColumn_, 0, 0);
    layout->addWidget(picture_, 0, 1);
    auto* values = new QVBoxLayout;
    values->addWidget(new QLabel("RPM"));
    values->addWidget(lrmp_);
    values->addWidget(setCaptionId(new QLabel("Moyenne"), 2475));
    values->addWidget(lRpmMoy_);
    values->addWidget(setCaptionId(new QLabel("Ecart"), 2476));
    values->addWidget(ldeux_);
    values->addStretch();
    layout->addLayout(values, 0, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(0, 1);

    auto* reglages = new QGroupBox(QString::fromUtf8("Réglages"), this);
    reglages->setObjectName("frReglages");
    setCaptionId(reglages, 2477);
    auto* boxes = new QHBoxLayout(reglages);
    for (auto* box : {chtrace_, ch1000_, chLissage_, chEcart_, chTPS_}) boxes->addWidget(box);
    auto* points = new QGroupBox("Nb de points", reglages);
    points->setObjectName("frPoints");
    setCaptionId(points, 2478);
    auto* pointsLayout = new QHBoxLayout(points);
    pointsLayout->addWidget(lPoints_);
    boxes->addWidget(points);
    auto* scale = new QGridLayout;
    const char* captions[] = {"+", "-", "+", "-"};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QPushButton(captions[i], reglages);
        button->setObjectName(QString("cdEchelle%1").arg(i));
        button->setFixedWidth(32);
        setToolTipId(button, i < 2 ? 2479 : 2480)->setToolTip(i < 2 ? "Haut de l'échelle" : "Bas de l'échelle");
        connect(button, &QPushButton::clicked, this, [this, i] { emit scaleClicked(i); });
        scale->addWidget(button, i < 2 ? 0 : 1, i % 2);
    }
    boxes->addLayout(scale);
    layout->addWidget(reglages, 1, 0, 1, 3);

    for (auto* box : {chtrace_, chLissage_, chEcart_, chTPS_}) {
        connect(box, &QCheckBox::toggled, this, [this, box](bool checked) {
            if (updating_) return;
            if (box == chtrace_) emit traceToggled(checked);
            emit optionsChanged(options());
        });
    }
    connect(ch1000_, &QCheckBox::clicked, this, [this](bool checked) {
        emit optionsChanged(options());
        emit idleClicked(checked);
    });
    connect(lPoints_, &QComboBox::activated, this, [this](int) { emit pointsChosen(lPoints_->currentText()); });
    connect(picture_, &GraphPicture::resized, this, [this] {
        placeLabels();
        emit surfaceChanged(surface());
    });
}

display::GraphOptions GraphWindow::options() const {
    display::GraphOptions o;
    o.chtrace = chtrace_->isChecked();
    o.ch1000 = ch1000_->isChecked();
    o.chLissage = chLissage_->isChecked();
    o.chEcart = chEcart_->isChecked();
    o.chTPS = chTPS_->isChecked();
    return o;
}

display::GraphSurface GraphWindow::surface() const {
    return {static_cast<double>(picture_->width()), static_cast<double>(picture_->height()),
            static_cast<double>(display::kTwipsPerPixel)};
}

void GraphWindow::setTraceChecked(bool checked) {
    if (chtrace_->isChecked() == checked) return;
    chtrace_->setChecked(checked);  // its toggled signal tells the main window and the graph core
}

void GraphWindow::toggleIdle() {
    ch1000_->setChecked(!ch1000_->isChecked());
    emit optionsChanged(options());
    emit idleClicked(ch1000_->isChecked());
}

void GraphWindow::setPoints(int nbPoint) {
    const int index = lPoints_->findText(QString::number(nbPoint));
    if (index >= 0) {
        lPoints_->setCurrentIndex(index);
    } else {
        lPoints_->setEditText(QString::number(nbPoint));
    }
}

void GraphWindow::setTrimmerEntries(bool visible) {
    trimPlus_->setVisible(visible);
    trimMinus_->setVisible(visible);
}

void GraphWindow::showResult(const display::TraceResult& result) {
    if (result.status == display::TraceStatus::GraphSwitchedOff) {
        updating_ = true;
        chtrace_->setChecked(false);
        updating_ = false;
        emit traceToggled(false);
        return;
    }
    if (result.lrmp) lrmp_->setText(QString::fromStdString(*result.lrmp));
    if (result.lRpmMoy) lRpmMoy_->setText(QString::fromStdString(*result.lRpmMoy));
    if (result.ldeux) ldeux_->setText(QString::fromStdString(*result.ldeux));
    if (result.frame.lrmpVisible) lrmp_->setVisible(*result.frame.lrmpVisible);
    for (std::size_t i = 0; i < lbEchelle_.size(); ++i) {
        const auto& label = result.frame.lbEchelle[i];
        lbEchelle_[i]->setText(QString::fromStdString(label.text));
        lbEchelle_[i]->setProperty("top", label.top);
        lbEchelle_[i]->setVisible(label.visible);
    }
    placeLabels();
    picture_->showFrame(result.frame);
}

void GraphWindow::placeLabels() {
    // Each scale label sits level with its grid line, beside Picture1.
    const int offset = picture_->y() - scaleColumn_->y();
    for (auto* label : lbEchelle_) {
        const int height = label->sizeHint().height();
        const int top = offset + static_cast<int>(label->property("top").toDouble()) - height / 2;
        label->setGeometry(0, std::clamp(top, 0, std::max(0, scaleColumn_->height() - height)),
                           kScaleColumnWidth - 4, height);
    }
}

void GraphWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}

}  // namespace dravio::gui
