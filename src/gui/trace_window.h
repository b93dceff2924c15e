// gui: the trace window (frmTrace): the list ltTrace mirrors the trace's ten lines.
#pragma once

#include <QListWidget>
#include <QStringList>
#include <QWidget>

namespace dravio::gui {

class TraceWindow : public QWidget {
    Q_OBJECT
public:
    explicit TraceWindow(QWidget* parent = nullptr);

    QListWidget& ltTrace() { return *list_; }

public slots:
    void showLines(const QStringList& lines);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QListWidget* list_;
};

}  // namespace dravio::gui
