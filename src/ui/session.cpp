#include "ui/session.h"

#include <QScopeGuard>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <pthread.h>
#include <unistd.h>

namespace ui {

namespace {
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

volatile std::sig_atomic_t signalled = 0;
// Written by the handler, read by the event loop: a signal wakes a loop that sleeps.
int wakeFds[2] = {-1, -1};

extern "C" void noteSignal(int signo) {
    const int saved = errno;
    signalled = signo;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFds[1], &byte, 1);
    errno = saved;
}

struct Session {
    std::function<void()> end;
    std::unique_ptr<QSocketNotifier> wake;
    bool ending = false;
};
Session& session() {
    static Session s;
    return s;
}

void drainWakes() {
    char bytes[64];
    while (::read(wakeFds[0], bytes, sizeof bytes) > 0) {
    }
}

void maskSignals(int how) {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kSignals)
        sigaddset(&set, sig);
    pthread_sigmask(how, &set, nullptr);
}

void handleSignals(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : kSignals)
        sigaction(sig, &action, nullptr);
}
} // namespace

void holdSessionSignals() {
    maskSignals(SIG_BLOCK);
}

void endSessionOnSignals(std::function<void()> end) {
    Session& s = session();
    // Let go last, also when the program was started with them held: a signal that waited is
    // then handled at once.
    const auto release = qScopeGuard([] { maskSignals(SIG_UNBLOCK); });
    // Without a way to wake the loop the signals keep their usual effect.
    if (wakeFds[0] < 0 && ::pipe2(wakeFds, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    s.end = std::move(end);
    s.ending = false;
    s.wake = std::make_unique<QSocketNotifier>(wakeFds[0], QSocketNotifier::Read);
    QObject::connect(s.wake.get(), &QSocketNotifier::activated, [] {
        drainWakes();
        endSessionIfSignalled();
    });
    handleSignals(noteSignal);
}

void stopEndingSessionOnSignals() {
    handleSignals(SIG_DFL);
    Session& s = session();
    s.wake.reset();
    s.end = {};
    s.ending = false;
    signalled = 0;
    if (wakeFds[0] >= 0)
        drainWakes();
}

bool sessionEnding() {
    return signalled != 0;
}

void endSessionIfSignalled() {
    Session& s = session();
    if (signalled == 0 || s.ending || !s.end)
        return;
    s.ending = true;
    s.end();
}

} // namespace ui
