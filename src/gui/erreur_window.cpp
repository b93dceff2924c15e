#include "gui/erreur_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "diag/erreur_decode.h"
#include "diag/onebyte_model.h"
#include "gui/view_render.h"

namespace dravio::gui {

namespace {

QLabel* label(QWidget* parent, const QString& name, bool sunken) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    if (sunken) {
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setMinimumWidth(60);
        l->setAlignment(Qt::AlignCenter);
    }
    return l;
}

// Rows `first` to `last` of ldef/rdef, title left and value right.
void rows(QGridLayout& grid, QWidget* parent, int first, int last) {
    for (int r = first; r <= last; ++r) {
        grid.addWidget(label(parent, QString("ldef%1").arg(r), false), r - first, 0);
        grid.addWidget(label(parent, QString("rdef%1").arg(r), true), r - first, 1);
    }
}

QPushButton* button(QWidget* parent, const QString& name) {
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    return b;
}

}  // namespace

ErreurWindow::ErreurWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmerreur");
    auto* layout = new QGridLayout(this);

    auto* left = new QVBoxLayout;
    auto* present = new QGroupBox(this);
    present->setObjectName("frpresent");
    auto* presentGrid = new QGridLayout(present);
    rows(*presentGrid, present, 0, 2);
    left->addWidget(present);
    auto* status = new QGridLayout;
    rows(*status, this, diag::kStatusRow, diag::kStatusRow);
    left->addLayout(status);
    auto* memory = new QGroupBox(this);
    memory->setObjectName("frmem");
    auto* memoryGrid = new QGridLayout(memory);
    rows(*memoryGrid, memory, 4, 6);
    left->addWidget(memory);
    auto* read = button(this, "cderreur");
    connect(read, &QPushButton::clicked, this, &ErreurWindow::readRequested);
    left->addWidget(read);
    layout->addLayout(left, 0, 0);

    auto* text = new QPlainTextEdit(this);
    text->setObjectName("Text1");
    text->setReadOnly(true);
    text->setMinimumSize(340, 260);
    layout->addWidget(text, 0, 1);

    auto* commands = new QGroupBox(this);
    commands->setObjectName("frcde");
    auto* commandGrid = new QGridLayout(commands);
    for (int b = 0; b < diag::kDiagButtons; ++b) {
        auto* c = button(commands, QString("cddiag%1").arg(b));
        connect(c, &QPushButton::clicked, this, [this, b] { emit commandRequested(b); });
        commandGrid->addWidget(c, b / 2, b % 2);
    }
    layout->addWidget(commands, 1, 0);

    auto* dialogue = new QGroupBox(this);
    dialogue->setObjectName("frdialogue");
    auto* dialogueGrid = new QGridLayout(dialogue);
    for (int i = 0; i < 4; ++i) {
        dialogueGrid->addWidget(label(dialogue, QString("lenvoie%1").arg(i), false), i, 0);
        dialogueGrid->addWidget(label(dialogue, QString("lrecu%1").arg(i), false), i, 1);
    }
    layout->addWidget(dialogue, 1, 1);

    auto* close = button(this, "cdarret");
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(close, 2, 1, Qt::AlignRight);
}

void ErreurWindow::apply(const std::map<std::string, base::ControlState>& changes) { renderChanges(*this, changes); }

void ErreurWindow::closeEvent(QCloseEvent* event) {
    // While a command runs the ECU is in its diagnostic mode: the window stays.
    if (auto* close = findChild<QPushButton*>("cdarret"); close != nullptr && !close->isEnabled()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    emit closed();
}

}  // namespace dravio::gui
