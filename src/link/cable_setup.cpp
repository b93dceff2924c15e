#include "link/cable_setup.h"

namespace dravio::link {

bool InitComFTDI(ports::KLineCable* cable, std::uint32_t baud) {
    if (cable == nullptr) return false;
    if (cable->reset() != ports::kCableOk) return false;
    if (cable->purge() != ports::kCableOk) return false;
    if (cable->setBaudRate(baud) != ports::kCableOk) return false;
    return cable->setDataCharacteristics8N1() == ports::kCableOk;
}

}  // namespace dravio::link
