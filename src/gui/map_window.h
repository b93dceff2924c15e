// gui: the operating-point map window (frmCarto, "Cartographie"): the 32 x 32 grid
// of engine speed by throttle, the visited cells the link thread's
// display::OperatingMap reports, and the two blue markers.
#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

#include "display/operating_map.h"

namespace dravio::gui {

class MapPicture : public QWidget {
    Q_OBJECT
public:
    explicit MapPicture(QWidget* parent = nullptr);
    void apply(const std::vector<display::MapShape>& changed);
    void clear();
    const display::MapShape& shape(int index) const { return shapes_[static_cast<std::size_t>(index)]; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<display::MapShape, display::kMapCells> shapes_{};
};

class MapWindow : public QWidget {
    Q_OBJECT
public:
    explicit MapWindow(QWidget* parent = nullptr);

    void showResult(const display::MapResult& result);
    MapPicture& picture() { return *picture_; }

signals:
    // Closing forgets the visited cells.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MapPicture* picture_;
    QLabel* lbRPM_;
    QLabel* lbTPS_;
};

}  // namespace dravio::gui
