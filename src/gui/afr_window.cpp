#include "gui/afr_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/caption_walker.h"

namespace dravio::gui {

namespace {
QLabel* value(QWidget* parent, const QString& name) {
    auto* label = new QLabel("--", parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(90);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    label->setFont(font);
    return label;
}

QGroupBox* channel(QWidget* parent, int index) {
    auto* frame = new QGroupBox(index == 0 ? "Channel 1" : "Channel 2", parent);
    frame->setObjectName(QString("frChannel%1").arg(index + 1));
    setCaptionId(frame, index == 0 ? afr_text::Channel1 : afr_text::Channel2);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(setCaptionId(new QLabel("Volt", frame), afr_text::Volt), 0, 0);
    grid->addWidget(value(frame, QString("lbVolt%1").arg(index)), 0, 1);
    grid->addWidget(setCaptionId(new QLabel("AFR", frame), afr_text::Afr), 1, 0);
    grid->addWidget(value(frame, QString("lbAFR%1").arg(index)), 1, 1);
    return frame;
}
}  // namespace

AfrWindow::AfrWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmAFR");
    setWindowTitle("AFR");
    setCaptionId(this, afr_text::Title);
    auto* layout = new QVBoxLayout(this);
    auto* channels = new QHBoxLayout;
    channels->addWidget(channel(this, 0));
    channels->addWidget(channel(this, 1));
    layout->addLayout(channels);

    auto* commands = new QHBoxLayout;
    auto* chDLP = setCaptionId(new QCheckBox("Input AFR", this), afr_text::InputAfr);
    chDLP->setObjectName("chDLP");
    auto* chTest = setCaptionId(new QCheckBox("TEST", this), afr_text::Test);
    chTest->setObjectName("chTest");
    auto* cdAFR = setCaptionId(new QPushButton("Mesures", this), afr_text::Mesures);
    cdAFR->setObjectName("cdAFR");
    commands->addWidget(chDLP);
    commands->addWidget(chTest);
    commands->addStretch();
    commands->addWidget(cdAFR);
    layout->addLayout(commands);

    for (auto* box : {chDLP, chTest}) {
        connect(box, &QCheckBox::toggled, this, [this, box](bool checked) {
            if (!applying_) emit checkToggled(box->objectName(), checked);
        });
    }
    connect(cdAFR, &QPushButton::clicked, this, &AfrWindow::measureRequested);
}

void AfrWindow::apply(const std::map<std::string, base::ControlState>& changes) {
    applying_ = true;
    for (const auto& [name, state] : changes) {
        const QString objectName = QString::fromStdString(name);
        if (name == "frmAFR") {
            if (state.visible && *state.visible && !isVisible()) show();
            continue;
        }
        if (auto* label = findChild<QLabel*>(objectName); label != nullptr && state.text) {
            label->setText(QString::fromStdString(*state.text));
        }
        if (auto* box = findChild<QCheckBox*>(objectName); box != nullptr && state.checked) {
            box->setChecked(*state.checked);
        }
        if (auto* button = findChild<QPushButton*>(objectName); button != nullptr && state.enabled) {
            button->setEnabled(*state.enabled);
        }
    }
    applying_ = false;
}

void AfrWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}

}  // namespace dravio::gui
