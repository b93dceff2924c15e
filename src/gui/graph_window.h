// gui: the RPM graph window (frmgraph). Picture1 replays the drawing commands the
// link thread's display::RpmGraph computes each cycle; the check boxes, the points
// list and the scale buttons are sent back to it.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QWidget>
#include <array>

#include "display/rpm_graph.h"

namespace dravio::gui {

// Picture1: a white surface that replays a GraphFrame.
class GraphPicture : public QWidget {
    Q_OBJECT
public:
    explicit GraphPicture(QWidget* parent = nullptr);
    void showFrame(display::GraphFrame frame);
    const display::GraphFrame& frame() const { return frame_; }

signals:
    void resized(QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    display::GraphFrame frame_;
};

class GraphWindow : public QWidget {
    Q_OBJECT
public:
    explicit GraphWindow(QWidget* parent = nullptr);

    // One cycle's result (or a redraw): labels, frame, and the graph switching itself off.
    void showResult(const display::TraceResult& result);
    display::GraphOptions options() const;
    // Sets the curve box (chtrace) as the main window's box says.
    void setTraceChecked(bool checked);
    void toggleTrace() { setTraceChecked(!chtrace_->isChecked()); }
    void toggleIdle();
    void setPoints(int nbPoint);
    void setTrimmerEntries(bool visible);
    display::GraphSurface surface() const;
    GraphPicture& picture() { return *picture_; }

signals:
    void optionsChanged(const display::GraphOptions& options);
    void surfaceChanged(const display::GraphSurface& surface);
    void scaleClicked(int index);
    void pointsChosen(const QString& text);
    void idleClicked(bool checked);
    void traceToggled(bool checked);
    void tempoStep(int delta);
    void trimmerStep(int delta);
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void placeLabels();

    GraphPicture* picture_;
    QWidget* scaleColumn_;
    std::array<QLabel*, display::kScaleLabels> lbEchelle_{};
    QLabel* lrmp_;
    QLabel* lRpmMoy_;
    QLabel* ldeux_;
    QCheckBox* ch1000_;
    QCheckBox* chtrace_;
    QCheckBox* chLissage_;
    QCheckBox* chEcart_;
    QCheckBox* chTPS_;
    QComboBox* lPoints_;
    QAction* trimPlus_;
    QAction* trimMinus_;
    bool updating_ = false;
};

}  // namespace dravio::gui
