#include "gui/status_window.h"

#include "gui/caption_walker.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/ctl_bar_graph.h"

namespace dravio::gui {

namespace {
QLineEdit* textBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setText("N/A");
    box->setMinimumWidth(220);
    return box;
}

QFrame* lamp(QWidget* parent, const char* name) {
    auto* shape = new QFrame(parent);
    shape->setObjectName(name);
    shape->setFixedSize(18, 18);
    shape->setFrameShape(QFrame::Box);
    shape->setAutoFillBackground(true);
    return shape;
}

void row(QGridLayout& grid, int line, const QString& label, QWidget* text, QFrame* shape, int captionId) {
    grid.addWidget(setCaptionId(new QLabel(label), captionId), line, 0);
    if (text != nullptr) grid.addWidget(text, line, 1);
    if (shape != nullptr) grid.addWidget(shape, line, 2);
}
}  // namespace

StatusWindow::StatusWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmStatuts");
    setWindowTitle("Statuts");
    setCaptionId(this, 2420);
    auto* layout = new QVBoxLayout(this);

    auto* engine = setCaptionId(new QGroupBox("Moteur/Engine", this), 2421);
    engine->setObjectName("FrEngine");
    auto* engineGrid = new QGridLayout(engine);
    row(*engineGrid, 0, "Statut moteur", textBox(engine, "txStatutMotor"), nullptr, 2424);
    row(*engineGrid, 1, "Mode motor", textBox(engine, "txModeMotor"), nullptr, 2425);
    layout->addWidget(engine);

    auto* chassis = setCaptionId(new QGroupBox("Chassis", this), 2422);
    chassis->setObjectName("FrChassis");
    auto* chassisGrid = new QGridLayout(chassis);
    row(*chassisGrid, 0, "Stand", textBox(chassis, "txBequille"), lamp(chassis, "ShBequille"), 2426);
    row(*chassisGrid, 1, "Clutch handle", textBox(chassis, "txEmbrayage"), lamp(chassis, "shEmbrayage"), 2427);
    row(*chassisGrid, 2, "TPS", textBox(chassis, "txTPS"), nullptr, 2428);
    row(*chassisGrid, 3, "Neutral", nullptr, lamp(chassis, "shNeutral"), 2429);
    row(*chassisGrid, 4, "Run/Stop", textBox(chassis, "txRunStop"), lamp(chassis, "ShRunStop"), 2430);
    row(*chassisGrid, 5, QString::fromUtf8("Démarrage"), textBox(chassis, "txDemarrage"), lamp(chassis, "ShDemarrage"), 2431);
    layout->addWidget(chassis);

    auto* injection = setCaptionId(new QGroupBox("Injection", this), 2423);
    injection->setObjectName("frInjection");
    auto* injectionGrid = new QGridLayout(injection);
    row(*injectionGrid, 0, "Sonde lambda", textBox(injection, "txRichesse"), nullptr, 2432);
    layout->addWidget(injection);
}

void StatusWindow::apply(const std::map<std::string, base::ControlState>& changes) {
    for (const auto& [name, state] : changes) {
        const QString objectName = QString::fromStdString(name);
        if (state.text) {
            if (auto* box = findChild<QLineEdit*>(objectName)) box->setText(QString::fromStdString(*state.text));
        }
        if (state.backColour) {
            if (auto* shape = findChild<QFrame*>(objectName)) {
                QPalette palette = shape->palette();
                palette.setColor(QPalette::Window, colorFromBgr(*state.backColour));
                shape->setPalette(palette);
                shape->setProperty("bgr", *state.backColour);
            }
        }
    }
}

void StatusWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}

}  // namespace dravio::gui
