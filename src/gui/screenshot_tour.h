// gui: an unattended walk through the windows that saves each as a PNG, for the
// documentation: the interface window, the main window, the options window, then quit.
#pragma once

#include <QObject>
#include <QString>

namespace dravio::gui {

class Application;

class ScreenshotTour : public QObject {
    Q_OBJECT
public:
    // Saves interface.png, main.png and options.png into `folder`.
    ScreenshotTour(Application& app, QString folder, QObject* parent = nullptr);

private:
    void grab(QWidget& window, const QString& name);

    Application& app_;
    QString folder_;
};

}  // namespace dravio::gui
