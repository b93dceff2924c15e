// gui: SIGTERM and SIGINT (Ctrl+C) turned into a Qt signal on the GUI thread, so
// they quit the way the quit button does. The handler only writes one byte to a
// pipe; a QSocketNotifier reads it in the event loop.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace dravio::gui {

class QuitSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; only one object may exist at a time (the handler
    // needs the pipe's write end, which this object owns).
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

signals:
    void quitRequested(int signalNumber);

private:
    void readPipe();

    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace dravio::gui
