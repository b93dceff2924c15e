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
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel("<b>Dravio</b>", this);
    name->setObjectName("lbNom");
    auto* version = new QLabel("Version" + versionText, this);
    version->setObjectName("lbVersion");
    auto* licence = new QLabel("Licence : voir le fichier README du projet.", this);
    licence->setObjectName("lbLicence");
    auto* link = new QLabel(QString("<a href=\"%1\">%2</a>").arg(projectPage.toString(), "Page du projet"), this);
    link->setObjectName("lbLien");
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [this](const QString& url) { emit linkActivated(QUrl(url)); });
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
