// link: the exchange engine, the single door through which every request reaches
// the ECU. It owns the state of the link (DialogueActif, TypeInterface, the
// address pairs, the answer time-out) and runs on the link thread's event loop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/event_loop.h"
#include "proto/framing.h"
#include "proto/models.h"
#include "link/trace.h"
#include "ports/kline_cable.h"

namespace dravio::link {

// Back colours of the link indicator Shape1 (blue-green-red values).
inline constexpr std::uint32_t kShape1Red = 0x0000FF;
inline constexpr std::uint32_t kShape1Green = 0x00FF00;

// The interface index of the ELM327 adapter; every other value uses the cable.
inline constexpr std::int16_t kInterfaceElm327 = 3;

// What the main window shows of the link. The engine reports, the window draws.
class LinkView {
public:
    virtual ~LinkView() = default;
    virtual void shape1ColourChanged(std::uint32_t /*bgr*/) {}
    virtual void restoreDefaultPointer() {}
};

class Link {
public:
    // The ELM327 exchange: request text and time-out in, the adapter's raw answer out.
    using ElmExchange = std::function<std::string(std::string_view requete, std::int16_t delaiMs)>;

    Link(base::EventLoop& loop, Trace& trace);
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Sends one request and returns the answer without its echo, at most
    // `longueurReponse` bytes as hex text; "" when nothing came in `delaiMs`
    // or when another exchange is already running.
    std::string EnvoieRequete(std::string_view requete, std::string_view reponseDemo,
                              std::int16_t longueurReponse, std::int16_t delaiMs);

    // Waits `secondes` precisely without letting events run; at once when the
    // device is gone, since no timing matters on a line that is not there.
    void Attente(double secondes);

    // Why the cable or adapter went away ("" while it is there). Set once, when the
    // port first reports it; every exchange then returns "" at once.
    const std::string& deviceLost() const { return deviceLost_; }
    void reportDeviceLost(const std::string& why);
    // The devices were opened again.
    void clearDeviceLost() { deviceLost_.clear(); }
    // Called once, on the link thread, when the device goes away.
    void setOnDeviceLost(std::function<void(const std::string&)> onLost) { onDeviceLost_ = std::move(onLost); }

    // The catalog's texts for the trace lines the link writes itself.
    using Texts = std::function<std::string(int id, const std::string& french)>;
    void setTexts(Texts texts) { texts_ = std::move(texts); }
    std::string text(int id, const std::string& french) const { return texts_ ? texts_(id, french) : french; }

    void setCable(ports::KLineCable* cable) { cable_ = cable; }
    ports::KLineCable* cable() const { return cable_; }
    void setView(LinkView* view) { view_ = view; }
    void setElmExchange(ElmExchange elm) { elm_ = std::move(elm); }

    base::EventLoop& loop() const { return loop_; }
    Trace& trace() const { return trace_; }
    base::Timer& Timer1() { return Timer1_; }
    base::Timer& Timer_present() { return Timer_present_; }

    bool DialogueActif() const { return DialogueActif_; }
    std::uint32_t Shape1() const { return Shape1_; }
    // The link indicator, also set by the procedures that take the link up or down.
    void setShape1(std::uint32_t colour);
    // Every byte received by the last line exchange, echo included, as hex text.
    const std::string& lastReceived() const { return lastReceived_; }

    // Link state set by the interface choice, the settings and the procedures.
    std::int16_t TypeInterface = 0;
    bool ModeDemo = false;
    proto::Model TypeECU = proto::Model::MM16;
    std::string EnteteRequete{proto::kEnteteRequeteDefaut};
    std::string EnteteReponse{proto::kEnteteReponseDefaut};
    bool TraceActive = false;
    std::int16_t TimeOutReponse = 0;

    // How long the wait loop sleeps at most between two looks at queued events.
    static constexpr auto kEventSlice = std::chrono::milliseconds(5);

private:
    // True when the device is gone, noticing it from the cable when it just went.
    bool lost();
    std::string exchangeOnLine(const std::string& line, std::int16_t longueurReponse, std::int16_t delaiMs);

    base::EventLoop& loop_;
    Trace& trace_;
    ports::KLineCable* cable_ = nullptr;
    LinkView* view_ = nullptr;
    ElmExchange elm_;
    base::Timer Timer1_;
    base::Timer Timer_present_;
    bool DialogueActif_ = false;
    std::uint32_t Shape1_ = kShape1Red;
    std::string lastReceived_;
    std::string deviceLost_;
    std::function<void(const std::string&)> onDeviceLost_;
    Texts texts_;
    static constexpr int kMaxPendingFrames = 20;
    static constexpr auto kPendingTimeout = std::chrono::milliseconds(5000);
};

}  // namespace dravio::link
