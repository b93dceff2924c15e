#include "gui/trimmer15_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/view_render.h"

namespace dravio::gui {

namespace {

QPushButton* button(QWidget* parent, const char* name) {
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    return b;
}

}  // namespace

Trimmer15Window::Trimmer15Window(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmTrimmer15");
    auto* layout = new QVBoxLayout(this);

    auto* mesures = button(this, "cdMesures");
    connect(mesures, &QPushButton::clicked, this, &Trimmer15Window::mesuresClicked);
    layout->addWidget(mesures);

    auto* values = new QGridLayout;
    const std::pair<const char*, const char*> rows[] = {
        {"lRPM", "lbRPM"}, {"lTPS", "lbTPS"}, {"lVolt", "lbVolt"}, {"lTrim", "lbTrim"}};
    int line = 0;
    for (const auto& [title, value] : rows) {
        auto* t = new QLabel(this);
        t->setObjectName(title);
        auto* v = new QLabel(this);
        v->setObjectName(value);
        v->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        v->setMinimumWidth(90);
        values->addWidget(t, line, 0);
        values->addWidget(v, line, 1);
        ++line;
    }
    layout->addLayout(values);

    auto* statusRow = new QHBoxLayout;
    auto* shape = new QFrame(this);
    shape->setObjectName("shStatut");
    shape->setFixedSize(24, 24);
    shape->setFrameShape(QFrame::Box);
    shape->setAutoFillBackground(true);
    statusRow->addWidget(shape);
    auto* status = new QLabel(this);
    status->setObjectName("lbTrimStaut");
    status->setWordWrap(true);
    status->setMinimumWidth(260);
    statusRow->addWidget(status, 1);
    layout->addLayout(statusRow);

    auto* exec = new QGroupBox(this);
    exec->setObjectName("frExec");
    auto* execRow = new QHBoxLayout(exec);
    auto* start = button(exec, "cdAA");
    connect(start, &QPushButton::clicked, this, &Trimmer15Window::startClicked);
    auto* save = button(exec, "cdSave");
    connect(save, &QPushButton::clicked, this, &Trimmer15Window::saveClicked);
    execRow->addWidget(start);
    execRow->addWidget(save);
    layout->addWidget(exec);

    auto* trim = new QGroupBox(this);
    trim->setObjectName("frTrimPlus");
    auto* trimRow = new QHBoxLayout(trim);
    for (int i = 0; i < 2; ++i) {
        auto* step = button(trim, i == 0 ? "cdTrim0" : "cdTrim1");
        connect(step, &QPushButton::clicked, this, [this, i] { emit stepClicked(i); });
        trimRow->addWidget(step);
    }
    layout->addWidget(trim);

    // The procedure's progress log; kept, never shown.
    auto* log = new QPlainTextEdit(this);
    log->setObjectName("Text1");
    log->setReadOnly(true);
    log->hide();
    layout->addWidget(log);

    auto* fin = button(this, "cdFin");
    connect(fin, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(fin);
}

void Trimmer15Window::apply(const std::map<std::string, base::ControlState>& changes) { renderChanges(*this, changes); }

void Trimmer15Window::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}

}  // namespace dravio::gui
