// gui: an unattended walk through the windows that saves each as a PNG, for the
// documentation. The start tour: the interface window, the main window, the options
// window, then quit. The measuring tour (settings prepared for the simulator):
// initialise, measure, then the main window, the graph, map, status, traffic and
// responder windows, then quit. The diagnostics tour (a 15M in demonstration mode):
// initialise, the fault window after a reading and a test, then the 15M trimmer
// window measuring, then quit.
#pragma once

#include <QObject>
#include <QString>

namespace dravio::gui {

class Application;

class ScreenshotTour : public QObject {
    Q_OBJECT
public:
    enum class Kind { Start, Measuring, Diagnostics };

    // Saves the tour's PNGs into `folder`.
    ScreenshotTour(Application& app, QString folder, Kind kind = Kind::Start, QObject* parent = nullptr);

private:
    void grab(QWidget& window, const QString& name);
    void startTour();
    void measuringTour();
    void grabMeasuring();
    void diagnosticsTour();
    void grabDiagnostics();

    Application& app_;
    QString folder_;
};

}  // namespace dravio::gui
