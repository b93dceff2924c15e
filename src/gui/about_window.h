// gui: the about window: the program's name, its version text, the licence line
// and a link to the project page.
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
};

}  // namespace dravio::gui
