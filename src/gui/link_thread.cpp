#include "gui/link_thread.h"

#include <future>

#include "gui/link_session.h"
#include "ports/ftdi_cable.h"
#include "ports/posix_serial_port.h"
#include "ports/sim_cable.h"

namespace dravio::gui {

LinkDevices realDevices(base::Clock& clock) {
    LinkDevices devices;
    devices.ftdi = std::make_unique<ports::FtdiCable>();
    devices.simulateur = std::make_unique<ports::SimCable>(clock);
    devices.elm = std::make_unique<ports::PosixSerialPort>();
    return devices;
}

// Reports the engine's indicator to the GUI thread.
class LinkThread::View final : public link::LinkView {
public:
    explicit View(LinkThread& owner) : owner_(owner) {}
    void shape1ColourChanged(std::uint32_t bgr) override {
        LinkThread* owner = &owner_;
        QMetaObject::invokeMethod(
            owner, [owner, bgr] { emit owner->shape1Changed(bgr); }, Qt::QueuedConnection);
    }

private:
    LinkThread& owner_;
};

LinkThread::LinkThread(DeviceFactory factory, QObject* parent) : QObject(parent), factory_(std::move(factory)) {}

LinkThread::~LinkThread() { stop(); }

void LinkThread::start() {
    if (running_) return;
    std::promise<void> ready;
    auto started = ready.get_future();
    thread_ = std::thread([this, &ready] { run(ready); });
    started.wait();
    running_ = true;
}

void LinkThread::stop() {
    if (!running_) return;
    running_ = false;
    // A measurement cycle or a box waiting for its answer holds the loop: end them.
    loop_->post([this] {
        if (context_->session) context_->session->abort();
    });
    loop_->quit();
    thread_.join();
    loop_ = nullptr;
}

void LinkThread::post(std::function<void(LinkContext&)> work) {
    if (!running_) return;
    // The context outlives every task: the loop, and so the tasks, end before it.
    loop_->post([this, work = std::move(work)] { work(*context_); });
}

void LinkThread::run(std::promise<void>& ready) {
    base::RealClock::tightenTimerSlack();
    base::RealClock clock;
    base::EventLoop loop(clock);
    link::Trace trace(clock);
    link::Link link(loop, trace);
    View view(*this);
    link.setView(&view);
    LinkDevices devices = factory_(clock);
    LinkContext context{clock, loop, trace, link, devices, nullptr, {}, nullptr};

    trace.setOnChange([this, &trace] {
        QStringList lines;
        for (const auto& line : trace.lines()) lines << QString::fromStdString(line);
        QMetaObject::invokeMethod(
            this, [this, lines] { emit traceChanged(lines); }, Qt::QueuedConnection);
    });

    context_ = &context;
    loop_ = &loop;
    ready.set_value();
    loop.run();

    trace.setOnChange({});
    context.session.reset();
    context.interfaceSelection.reset();
    trace.closeFile();
    context_ = nullptr;
}

}  // namespace dravio::gui
