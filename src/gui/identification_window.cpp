#include "gui/identification_window.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "diag/identification.h"
#include "gui/caption_walker.h"

namespace dravio::gui {

IdentificationWindow::IdentificationWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("frmIdentification");
    setCaptionId(this, 168);
    setWindowTitle("Identification de l'ECU");
    auto* layout = new QVBoxLayout(this);
    for (const char* name : diag::kIdentificationLabels) {
        auto* label = new QLabel(this);
        label->setObjectName(name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
    auto* log = setCaptionId(new QPushButton("Enregistrement", this), 158);
    log->setObjectName("cdLOG");
    connect(log, &QPushButton::clicked, this, &IdentificationWindow::logRequested);
    auto* close = setCaptionId(new QPushButton("Quitter", this), 104);
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
