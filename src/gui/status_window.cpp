#include "gui/status_window.h"

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

void row(QGridLayout& grid, int line, const QString& label, QWidget* text, QFrame* shape) {
    grid.addWidget(new QLabel(label), line, 0);
    if (text != nullptr) grid.addWidget(text, line, 1);
    if (shape != nullptr) grid.addWidget(shape, line, 2);
}
}  // namespace

StatusWindow::StatusWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmStatuts");
    setWindowTitle("Statuts");
    auto* layout = new QVBoxLayout(this);

    auto* engine = new QGroupBox("Moteur/Engine", this);
    engine->setObjectName("FrEngine");
    auto* engineGrid = new QGridLayout(engine);
    row(*engineGrid, 0, "Statut moteur", textBox(engine, "txStatutMotor"), nullptr);
    row(*engineGrid, 1, "Mode motor", textBox(engine, "txModeMotor"), nullptr);
    layout->addWidget(engine);

    auto* chassis = new QGroupBox("Chassis", this);
    chassis->setObjectName("FrChassis");
    auto* chassisGrid = new QGridLayout(chassis);
    row(*chassisGrid, 0, "Stand", textBox(chassis, "txBequille"), lamp(chassis, "ShBequille"));
    row(*chassisGrid, 1, "Clutch handle", textBox(chassis, "txEmbrayage"), lamp(chassis, "shEmbrayage"));
    row(*chassisGrid, 2, "TPS", textBox(chassis, "txTPS"), nullptr);
    row(*chassisGrid, 3, "Neutral", nullptr, lamp(chassis, "shNeutral"));
    row(*chassisGrid, 4, "Run/Stop", textBox(chassis, "txRunStop"), lamp(chassis, "ShRunStop"));
    row(*chassisGrid, 5, QString::fromUtf8("Démarrage"), textBox(chassis, "txDemarrage"), lamp(chassis, "ShDemarrage"));
    layout->addWidget(chassis);

    auto* injection = new QGroupBox("Injection", this);
    injection->setObjectName("frInjection");
    auto* injectionGrid = new QGridLayout(injection);
    row(*injectionGrid, 0, "Sonde lambda", textBox(injection, "txRichesse"), nullptr);
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
