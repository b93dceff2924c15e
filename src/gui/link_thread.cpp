#include "gui/link_thread.h"

namespace dravio::gui {

std::unique_ptr<session::DeviceFactory> realDevices(base::Clock&) { return session::realDeviceFactory(); }

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

LinkThread::LinkThread(DeviceFactoryMaker factory, QObject* parent)
    : QObject(parent), factory_(std::move(factory)), view_(std::make_unique<View>(*this)) {}

LinkThread::~LinkThread() { stop(); }

void LinkThread::start() {
    worker_.start(
        [this](base::Clock& clock, base::EventLoop& loop) {
            host_ = new LinkHost(clock, loop, factory_(clock));
            host_->raiseScheduling();
            host_->link.setView(view_.get());
            host_->trace.setOnChange([this] {
                QStringList lines;
                for (const auto& line : host_->trace.lines()) lines << QString::fromStdString(line);
                QMetaObject::invokeMethod(
                    this, [this, lines] { emit traceChanged(lines); }, Qt::QueuedConnection);
            });
        },
        [this] {
            host_->trace.setOnChange({});
            host_->trace.closeFile();
            delete host_;
            host_ = nullptr;
        });
}

void LinkThread::stop() {
    // A measurement cycle or a box waiting for its answer holds the loop: end them.
    worker_.stop([this] {
        if (host_->session) host_->session->abort();
    });
}

void LinkThread::post(std::function<void(LinkHost&)> work) {
    // The host outlives every task: the loop, and so the tasks, end before it.
    worker_.post([this, work = std::move(work)] { work(*host_); });
}

}  // namespace dravio::gui
