#include "gui/identification_window.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "diag/identification.h"

namespace dravio::gui {

IdentificationWindow::IdentificationWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("frmIdentification");
    setWindowTitle("Identification");
    auto* layout = new QVBoxLayout(this);
    for (const char* name : diag::kIdentificationLabels) {
        auto* label = new QLabel(this);
        label->setObjectName(name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
    auto* log = new QPushButton("Log", this);
    log->setObjectName("cdLOG");
    connect(log, &QPushButton::clicked, this, &IdentificationWindow::logRequested);
    auto* close = new QPushButton("Quitter", this);
    close->setObjectName("cdquitter");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(log);
    layout->addWidget(close);
}

void IdentificationWindow::showLines(const std::array<std::string, 8>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto* label = findChild<QLabel*>(diag::kIdentificationLabels[i])) {
            label->setText(QString::fromStdString(lines[i]));
        }
    }
}

}  // namespace dravio::gui
