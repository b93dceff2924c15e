#include "gui/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace dravio::gui {

namespace {
// The write end of the pipe, for the signal handler: the one piece of state a
// handler can reach. Set and cleared by the QuitSignals object that owns the pipe.
std::atomic<int> handlerPipe{-1};

extern "C" void onQuitSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = handlerPipe.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const auto written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}
}  // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe for the quit signals");
    handlerPipe.store(fds_[1]);
    notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { readPipe(); });
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    handlerPipe.store(-1);
    notifier_.reset();
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void QuitSignals::readPipe() {
    unsigned char byte = 0;
    while (::read(fds_[0], &byte, 1) == 1) emit quitRequested(byte);
}

}  // namespace dravio::gui
