// gui: the link thread. One std::thread owns the real clock, the event loop, the
// trace, the exchange engine and the cables; nothing else touches them. The
// windows hand it work with post()/request() and hear back through queued calls
// on the GUI thread (request callbacks, traceChanged, shape1Changed).
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/event_loop.h"
#include "link/interface_selection.h"
#include "link/link.h"
#include "link/trace.h"
#include "ports/kline_cable.h"
#include "ports/serial_port.h"

namespace dravio::gui {

class LinkSession;

// The ports the link can use: the FTDI cable, the simulated cable and the
// ELM327's serial port.
struct LinkDevices {
    std::unique_ptr<ports::KLineCable> ftdi;
    std::unique_ptr<ports::KLineCable> simulateur;
    std::unique_ptr<ports::SerialPort> elm;
};
// Builds the devices on the link thread, on that thread's clock.
using DeviceFactory = std::function<LinkDevices(base::Clock&)>;
// libftdi's cable, a simulated cable on the real clock, the POSIX serial port.
LinkDevices realDevices(base::Clock& clock);

// Everything that lives on the link thread, handed to posted work.
struct LinkContext {
    base::Clock& clock;
    base::EventLoop& loop;
    link::Trace& trace;
    link::Link& link;
    LinkDevices& devices;
    // The interface window's logic while that window is open.
    std::unique_ptr<link::InterfaceSelection> interfaceSelection;
    // Interface keys the selection asked to store, handed to the GUI thread.
    std::vector<std::pair<std::string, std::string>> interfaceWrites;
    // The main window's procedures, once the interface is chosen.
    std::shared_ptr<LinkSession> session;
};

class LinkThread : public QObject {
    Q_OBJECT
public:
    explicit LinkThread(DeviceFactory factory = realDevices, QObject* parent = nullptr);
    ~LinkThread() override;
    LinkThread(const LinkThread&) = delete;
    LinkThread& operator=(const LinkThread&) = delete;

    // Starts the thread and returns once its objects exist.
    void start();
    // Quits the loop and joins; work not yet run is dropped.
    void stop();
    bool running() const { return running_; }

    // Queues `work` on the link thread. Ignored once stopped.
    void post(std::function<void(LinkContext&)> work);

    // Runs `work` on the link thread, then `done(result)` on the GUI thread,
    // unless `receiver` is gone by then.
    template <class Work, class Done>
    void request(QObject* receiver, Work work, Done done) {
        QPointer<QObject> guard(receiver);
        post([this, guard, work = std::move(work), done = std::move(done)](LinkContext& context) mutable {
            auto result = work(context);
            QMetaObject::invokeMethod(
                this,
                [guard, done = std::move(done), result = std::move(result)]() mutable {
                    if (guard) done(std::move(result));
                },
                Qt::QueuedConnection);
        });
    }

signals:
    void traceChanged(const QStringList& lines);
    void shape1Changed(quint32 bgr);

private:
    class View;
    void run(std::promise<void>& ready);

    DeviceFactory factory_;
    std::thread thread_;
    base::EventLoop* loop_ = nullptr;     // valid while running_
    LinkContext* context_ = nullptr;     // touched only on the link thread
    bool running_ = false;
};

}  // namespace dravio::gui
