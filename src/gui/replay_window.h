// gui: the replay window ("Rejouer un enregistrement"): opens a recording and
// plays it at its recorded pace (x1, x4 or x16) with pause and a position
// slider. The rows due are handed out by rowsDue(); the application shows them
// through the main window, the graph and the map. No link is needed.
#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "convert/recording.h"
#include "convert/replay_player.h"
#include "support/catalog.h"

namespace dravio::gui {

class ReplayWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReplayWindow(const support::Catalog& catalog, QWidget* parent = nullptr);

    // The dialog that picks the recording; an empty answer abandons. Tests replace it.
    void setOpenChooser(std::function<QString(QWidget*, const QString& title)> chooser) {
        openChooser_ = std::move(chooser);
    }
    // Loads `file`; false (and the reason shown) when it cannot be read.
    bool load(const QString& file);
    void play();
    void pause();
    // 1, 4 or 16.
    void setSpeed(int factor);
    bool playing() const { return timer_.isActive(); }
    const convert::Recording* recording() const { return recording_ ? &*recording_ : nullptr; }

signals:
    // The rows that became due, in order.
    void rowsDue(const std::vector<convert::LiveValues>& rows);
    // The last row was handed out.
    void finished();

private:
    QString text(int id, const char* french) const;
    void tick();
    void schedule();
    void showPosition();

    const support::Catalog& catalog_;
    std::function<QString(QWidget*, const QString&)> openChooser_;
    std::optional<convert::Recording> recording_;
    std::optional<convert::ReplayPlayer> player_;
    QTimer timer_;
    QElapsedTimer wall_;
    QLabel* lbFile_;
    QLabel* lbPosition_;
    QPushButton* cdPlay_;
    QPushButton* cdPause_;
    QSlider* sldPosition_;
    std::array<QRadioButton*, 3> opSpeed_{};
    bool moving_ = false;
};

}  // namespace dravio::gui
