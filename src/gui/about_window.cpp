#include "gui/about_window.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/caption_walker.h"

namespace dravio::gui {

namespace {
constexpr int kCdUpdate = 3700;
}  // namespace

AboutWindow::AboutWindow(const QString& versionText, const QUrl& projectPage, QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("A propos");
    setCaptionId(this, 2450);
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel("<b>Dravio</b>", this);
    name->setObjectName("lbNom");
    auto* version = new QLabel("Version" + versionText, this);
    version->setObjectName("lbVersion");
    auto* licence = setCaptionId(new QLabel("Licence : voir le fichier README du projet.", this), 2451);
    licence->setObjectName("lbLicence");
    auto* link = setCaptionId(new QPushButton("Page du projet", this), 2452);
    link->setObjectName("lbLien");
    link->setFlat(true);
    link->setCursor(Qt::PointingHandCursor);
    link->setToolTip(projectPage.toString());
    connect(link, &QPushButton::clicked, this, [this, projectPage] { emit linkActivated(projectPage); });
    auto* update = setCaptionId(new QPushButton("Rechercher les mises à jour", this), kCdUpdate);
    update->setObjectName("cdUpdate");
    connect(update, &QPushButton::clicked, this, &AboutWindow::updateRequested);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("cdOK");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    for (auto* widget : std::initializer_list<QWidget*>{name, version, licence, link, update, ok})
        layout->addWidget(widget);
}

}  // namespace dravio::gui
