#include "gui/responder_window.h"

#include "gui/caption_walker.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QStringList>


namespace dravio::gui {

namespace {
constexpr int kPollMs = 100;
constexpr int kMaxLines = 3000;
}  // namespace

ResponderWindow::ResponderWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      cbModele_(new QComboBox(this)),
      chElm_(new QCheckBox("ELM327", this)),
      cdDemarrer_(new QPushButton(this)),
      lbPort_(new QLabel(this)),
      ltSniff_(new QPlainTextEdit(this)) {
    setObjectName("frmrepond");
    setWindowTitle(QString::fromUtf8("Répondeur"));
    setCaptionId(this, 2481);
    setCaptionId(chElm_, 2482);
    cbModele_->setObjectName("cbModele");
    for (const auto& model : responderModels()) cbModele_->addItem(QString::fromStdString(model));
    chElm_->setObjectName("chElm");
    setToolTipId(chElm_, 2483)->setToolTip("Un adaptateur ELM327 devant l'ECU (commandes texte à 38400 bauds)");
    cdDemarrer_->setObjectName("cdDemarrer");
    lbPort_->setObjectName("lbPort");
    lbPort_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ltSniff_->setObjectName("ltSniff");
    ltSniff_->setReadOnly(true);
    ltSniff_->setMaximumBlockCount(kMaxLines);
    ltSniff_->setLineWrapMode(QPlainTextEdit::NoWrap);
    ltSniff_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* layout = new QGridLayout(this);
    layout->addWidget(setCaptionId(new QLabel(QString::fromUtf8("Modèle")), 2484), 0, 0);
    layout->addWidget(cbModele_, 0, 1);
    layout->addWidget(chElm_, 0, 2);
    layout->addWidget(cdDemarrer_, 0, 3);
    layout->addWidget(lbPort_, 1, 0, 1, 4);
    layout->addWidget(ltSniff_, 2, 0, 1, 4);
    layout->setColumnStretch(1, 1);
    resize(560, 420);

    connect(cdDemarrer_, &QPushButton::clicked, this, &ResponderWindow::startOrStop);
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &ResponderWindow::poll);
    showState();
}

ResponderWindow::~ResponderWindow() { runner_.stop(); }

void ResponderWindow::startOrStop() {
    if (runner_.running()) {
        runner_.stop();
        poll();
        poll_.stop();
    } else {
        std::string error;
        if (runner_.start(cbModele_->currentText().toStdString(), chElm_->isChecked(), error)) {
            ltSniff_->clear();
            poll_.start();
        } else {
            showCaption(*lbPort_, 2485, "Impossible de démarrer : ", catalog_, QString::fromStdString(error));
            return;
        }
    }
    showState();
}

void ResponderWindow::showState() {
    const bool running = runner_.running();
    if (running) {
        showCaption(*cdDemarrer_, 2486, "Arrêter", catalog_);
        showCaption(*lbPort_, 2488, "Port à ouvrir : ", catalog_, devicePath());
    } else {
        showCaption(*cdDemarrer_, 2487, "Démarrer", catalog_);
        showCaption(*lbPort_, 2489, "Arrêté", catalog_);
    }
    cbModele_->setEnabled(!running);
    chElm_->setEnabled(!running);
}

void ResponderWindow::setCatalog(const support::Catalog& catalog) {
    catalog_ = catalog;
    showState();
}

void ResponderWindow::poll() {
    const auto lines = runner_.takeLines();
    if (lines.empty()) return;
    QStringList text;
    for (const auto& line : lines) text << QString::fromStdString(line);
    ltSniff_->appendPlainText(text.join('\n'));
}

void ResponderWindow::closeEvent(QCloseEvent* event) {
    // A responder nobody can see is stopped rather than left running.
    runner_.stop();
    poll_.stop();
    showState();
    QWidget::closeEvent(event);
}

}  // namespace dravio::gui
