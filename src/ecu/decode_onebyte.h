// ecu: live values of the one-byte models ("MM16", "MM15", "15RC" and "P8"):
// one command byte per request, one data byte per answer.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "ecu/mesures.h"
#include "proto/models.h"

namespace dravio::ecu {

// Throttle sensor supply (TPS/mVolt) and the step count it gives (TPS/Steep).
struct TpsRatio {
    int mVolt = 4720;
    int Steep = 245;
};

// The requests of one cycle in their order; channels that are off are left out.
std::vector<MeasureRequest> oneByteRequests(const MeasureChannels& channels);

class OneByteDecoder {
public:
    // The P8 has its own constants; the other one-byte models share theirs.
    explicit OneByteDecoder(proto::Model model, TpsRatio tps = {});

    // Sets the values whose answers are present; a present but empty or garbled
    // answer reads as byte 0.
    TpsDisplay decode(std::span<const MeasureAnswer> answers, Mesures& m);

    // The last valid high byte of the engine-speed period: an answer of 255
    // (no period) reuses it.
    std::uint8_t PrecedentHaut() const { return PrecedentHaut_; }

private:
    void decodeRegime(std::span<const MeasureAnswer> answers, Mesures& m);
    void decodeThrottle(std::uint8_t b, Mesures& m, TpsDisplay& display) const;

    bool p8_;
    TpsRatio tps_;
    std::uint8_t PrecedentHaut_ = 0;
};

}  // namespace dravio::ecu
