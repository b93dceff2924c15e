#include "session/link_host.h"

#include "session/shutdown.h"

namespace dravio::session {

LinkHost::LinkHost(base::Clock& clock_, base::EventLoop& loop_, std::unique_ptr<DeviceFactory> factory_)
    : clock(clock_), loop(loop_), trace(clock_), link(loop_, trace), factory(std::move(factory_)) {}

LinkHost::~LinkHost() {
    session.reset();
    interfaceSelection.reset();
    link.setCable(nullptr);
}

bool LinkHost::openDevices(const InterfaceChoice& choice, proto::Model model, std::string& error,
                           OpenOptions options) {
    session.reset();
    link.setCable(nullptr);
    devices.close();
    error.clear();
    devices = Devices::open(choice, model, clock, *factory, error, options);
    link.clearDeviceLost();
    link.ModeDemo = choice.kind == InterfaceKind::Demo;
    return error.empty();
}

Session& LinkHost::startSession(SessionSetup setup, SessionOutputs outputs) {
    session.reset();
    // The simulator plays the session's model: a new model needs its own twin.
    if (devices.simulatedEcu() != nullptr && devices.choice().detail.empty() && devices.simulatedModel() != setup.model) {
        const InterfaceChoice choice = devices.choice();
        std::string error;
        openDevices(choice, setup.model, error);
    }
    if (scheduling) {
        const auto& catalog = setup.catalog;
        trace.EcritTrace(catalog.GetResourceString(2518, "Ordonnancement : ") + scheduling->policy() +
                             (scheduling->memoryLocked ? catalog.GetResourceString(2519, ", mémoire verrouillée") : "") +
                             (scheduling->cpuLatency ? catalog.GetResourceString(2531, ", latence CPU minimale") : ""),
                         true);
    }
    session = std::make_shared<Session>(loop, link, devices, std::move(setup), std::move(outputs));
    return *session;
}

void LinkHost::close(bool stopRequestsOnlyWhenUp) {
    if (session) {
        session->close(stopRequestsOnlyWhenUp);
    } else {
        closeLink(link, devices, !stopRequestsOnlyWhenUp);
    }
    trace.closeFile();
}

}  // namespace dravio::session
