// session: everything that lives on the link's thread, for the windows and the
// command line alike: the trace, the exchange engine, the device factory and
// the devices it opened, the interface window's logic while it is open, and
// the session once the interface is chosen.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/event_loop.h"
#include "base/realtime.h"
#include "link/link.h"
#include "link/trace.h"
#include "session/devices.h"
#include "session/interface_selection.h"
#include "session/session.h"

namespace dravio::session {

class LinkHost {
public:
    LinkHost(base::Clock& clock, base::EventLoop& loop, std::unique_ptr<DeviceFactory> factory);
    ~LinkHost();
    LinkHost(const LinkHost&) = delete;
    LinkHost& operator=(const LinkHost&) = delete;

    base::Clock& clock;
    base::EventLoop& loop;
    link::Trace trace;
    link::Link link;
    std::unique_ptr<DeviceFactory> factory;
    Devices devices;
    std::unique_ptr<InterfaceSelection> interfaceSelection;
    // Interface keys the selection asked to store, for the settings' owner.
    std::vector<std::pair<std::string, std::string>> interfaceWrites;
    std::shared_ptr<Session> session;

    // The scheduling the link thread obtained, said in the trace at each session start.
    std::optional<base::ThreadScheduling> scheduling;
    // Called on the link thread itself: a real-time class where the system allows it.
    void raiseScheduling() { scheduling = base::raiseThreadScheduling(); }

    // Opens the devices of `choice` for `model`; false with `error` set when it cannot.
    bool openDevices(const InterfaceChoice& choice, proto::Model model, std::string& error, OpenOptions options = {});
    // A new session on the devices; the old one goes first.
    Session& startSession(SessionSetup setup, SessionOutputs outputs);
    // The one way to close: stops a running cycle, ends a KWP2000 link (the stop
    // requests always, or only while the link is up) and closes the devices.
    void close(bool stopRequestsOnlyWhenUp);
};

}  // namespace dravio::session
