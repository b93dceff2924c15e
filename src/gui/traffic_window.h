// gui: the raw-traffic console (frmTrafic, "Trafic K-line"): every byte on the
// K-line both ways, with its time, direction and baud rate, newest at the bottom.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <QShowEvent>
#include <QWidget>

namespace dravio::gui {

class TrafficWindow : public QWidget {
    Q_OBJECT
public:
    // The console keeps this many lines; older ones scroll away for good.
    static constexpr int kMaxLines = 3000;

    explicit TrafficWindow(QWidget* parent = nullptr);

    void appendLines(const QStringList& lines);
    int lineCount() const;
    QPlainTextEdit& list() { return *list_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* list_;
    bool shownOnce_ = false;
};

}  // namespace dravio::gui
