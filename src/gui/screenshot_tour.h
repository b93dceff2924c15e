// gui: an unattended walk through the windows that saves each as a PNG, for the
// documentation. The start tour: the interface window, the main window, the options
// window, then quit. The measuring tour (settings prepared for the simulator):
// initialise, measure, then the main window, the graph, map, status, traffic,
// AFR (when a source is configured) and responder windows, then quit. The
// diagnostics tour (a 59M/5AM): initialise, then the identification window and the
// fault and test window running a test, each saved with the language's name
// ("identification-English.png"), then quit. The convert tour: the conversion and
// replay windows. The one-byte tour (a 15M in demonstration mode): the fault window
// after a reading and a test, then the 15M trimmer window measuring.
#pragma once

#include <QObject>
#include <QString>

namespace dravio::gui {

class Application;

class ScreenshotTour : public QObject {
    Q_OBJECT
public:
    enum class Kind { Start, Measuring, Diagnostics, OneByte, Convert };

    // Saves the tour's PNGs into `folder`.
    ScreenshotTour(Application& app, QString folder, Kind kind = Kind::Start, QObject* parent = nullptr);

private:
    void grab(QWidget& window, const QString& name);
    void startTour();
    void measuringTour();
    void grabMeasuring();
    void diagnosticsTour();
    // The conversion window with a file's titles read, then the replay window
    // playing that file into the graph (screenshot_convert_tour.cpp).
    void convertTour();
    // A 15M in demonstration mode: the fault window after a reading and a test, then
    // the 15M trimmer window measuring.
    void oneByteTour();
    void grabOneByte();

    Application& app_;
    QString folder_;
};

}  // namespace dravio::gui
