#include "ports/daq_board.h"

namespace dravio::ports {
namespace {

// No vendor library in this build: every reading fails, so the AFR window
// says "Measurement failed" and stops asking.
class MissingDaqBoard final : public DaqBoard {
public:
    int cbAIn(int, int, int, std::uint16_t& count) override {
        count = 0;
        return kDaqBadBoard;
    }
    int cbToEngUnits(int, int, std::uint16_t, float& volts) override {
        volts = 0;
        return kDaqBadBoard;
    }
    std::string describe() const override {
        return "USB-1208: this build has no Measurement Computing library; the board cannot be read";
    }
};

}  // namespace

std::unique_ptr<DaqBoard> openDaqBoard() { return std::make_unique<MissingDaqBoard>(); }

float rangeHalfSpan(int range) {
    switch (range) {
        case kBip5Volts:
            return 5.0f;
        case kBip10Volts:
            return 10.0f;
        case kBip2Pt5Volts:
            return 2.5f;
        case kBip1Volts:
            return 1.0f;
        case kBip20Volts:
            return 20.0f;
        default:
            return 0.0f;
    }
}

}  // namespace dravio::ports
