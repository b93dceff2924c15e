// gui: the link thread. A base::Worker owns the real clock, the event loop and
// the session's LinkHost (trace, exchange engine, devices, session); nothing
// else touches them. The windows hand it work with post()/request() and hear
// back through queued calls on the GUI thread (request callbacks,
// traceChanged, shape1Changed).
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

#include "base/worker.h"
#include "session/devices.h"
#include "session/link_host.h"

namespace dravio::gui {

using session::LinkHost;
// Makes the device factory on the link thread, on that thread's clock.
using DeviceFactoryMaker = std::function<std::unique_ptr<session::DeviceFactory>(base::Clock&)>;
std::unique_ptr<session::DeviceFactory> realDevices(base::Clock& clock);

class LinkThread : public QObject {
    Q_OBJECT
public:
    explicit LinkThread(DeviceFactoryMaker factory = realDevices, QObject* parent = nullptr);
    ~LinkThread() override;
    LinkThread(const LinkThread&) = delete;
    LinkThread& operator=(const LinkThread&) = delete;

    // Starts the thread and returns once its objects exist.
    void start();
    // Quits the loop and joins; work not yet run is dropped.
    void stop();
    bool running() const { return worker_.running(); }

    // Queues `work` on the link thread. Ignored once stopped.
    void post(std::function<void(LinkHost&)> work);

    // Runs `work` on the link thread, then `done(result)` on the GUI thread,
    // unless `receiver` is gone by then.
    template <class Work, class Done>
    void request(QObject* receiver, Work work, Done done) {
        QPointer<QObject> guard(receiver);
        post([this, guard, work = std::move(work), done = std::move(done)](LinkHost& host) mutable {
            auto result = work(host);
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

    DeviceFactoryMaker factory_;
    base::Worker worker_;
    std::unique_ptr<View> view_;
    LinkHost* host_ = nullptr;  // touched only on the link thread
};

}  // namespace dravio::gui
