// ports: the FTDI K-line cable driven through libftdi1 (libusb), which detaches
// the kernel's serial driver while it holds the cable.
//
// libftdi has no "bytes waiting" query, so a reader thread pulls everything the
// chip sends into a bounded queue; queueStatus, read and waitForQueue work on
// that queue. Writes and breaks go straight to the chip from the caller's thread
// and never wait for the reader: K-line timings leave no room for that.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ports/ftdi_chip.h"
#include "ports/kline_cable.h"

namespace dravio::ports {

class FtdiCable final : public KLineCable {
public:
    FtdiCable();
    // A cable already open on `chip` (a scripted one in tests); the reader starts at once.
    FtdiCable(std::unique_ptr<FtdiChip> chip, std::string description);
    ~FtdiCable() override;
    FtdiCable(const FtdiCable&) = delete;
    FtdiCable& operator=(const FtdiCable&) = delete;

    // Every device with the FTDI vendor id, whatever its product id; the
    // description is the USB product string.
    int deviceCount(std::uint32_t& count) override;
    int deviceDescription(std::uint32_t index, std::string& description) override;
    int open(const std::string& description) override;
    int reset() override;
    int purge() override;
    int setBaudRate(std::uint32_t baud) override;
    int setDataCharacteristics8N1() override;
    int write(std::uint8_t byte) override;
    int queueStatus(std::uint32_t& count) override;
    int read(std::uint32_t count, std::vector<std::uint8_t>& out) override;
    int breakOn() override;
    int breakOff() override;
    int close() override;
    bool isOpen() const override { return chip_ != nullptr; }
    std::uint32_t waitForQueue(std::uint32_t count, base::Clock::TimePoint deadline) override;
    std::string lastError() const override { return lastError_; }
    // libusb reported the device gone (the reader thread found it unplugged).
    bool gone() const override;

private:
    class ReaderPause;

    int fail(int status, std::string why);
    int notOpen();
    void start(std::unique_ptr<FtdiChip> chip, std::string description);
    int setLine(bool breakActive);
    void readerLoop();
    // kCableIoError, with the reason, once the reader found the cable gone.
    int readerStatus();

    // Caller-thread state.
    std::unique_ptr<FtdiChip> chip_;
    std::string description_;
    bool breakActive_ = false;
    std::string lastError_;

    // The reader, and the control operations (purge, reset) that must not run
    // while it is inside the chip's read.
    std::thread reader_;
    std::atomic<bool> running_{false};
    std::mutex usbMutex_;
    std::condition_variable usbTurn_;
    std::atomic<int> controlWaiting_{0};

    // Received bytes, shared with the reader.
    mutable std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<std::uint8_t> queue_;
    bool lost_ = false;
    std::string readerError_;
};

}  // namespace dravio::ports
