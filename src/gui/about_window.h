// gui: the about window: the program's name, its version text, the licence line
// a link to the project page and the update check on demand.
#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

namespace dravio::gui {

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    AboutWindow(const QString& versionText, const QUrl& projectPage, QWidget* parent = nullptr);

signals:
    void linkActivated(const QUrl& url);
    // "Rechercher les mises à jour": the update check, now.
    void updateRequested();
};

}  // namespace dravio::gui
