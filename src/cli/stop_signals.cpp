#include "cli/stop_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <mutex>
#include <thread>

namespace pictorand {

namespace {

constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> received{0};
// The handler wakes the watchdog through this pipe, the one thing it may safely do.
int wake[2] = {-1, -1};

extern "C" void OnStopSignal(int signal) {
    int none = 0;
    received.compare_exchange_strong(none, signal);
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = write(wake[1], &byte, 1);
}

struct TWatchdogState {
    std::mutex Mutex;
    bool Running = false;
    bool Ended = false;
    std::jthread Thread;
};

TWatchdogState state;

}  // namespace

TStopSignals::TStopSignals(std::chrono::milliseconds grace, std::function<void(int)> takeOver) {
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) wake[0] = wake[1] = -1;
    // The watchdog never takes the signals itself, so that a blocking read of the main
    // thread (a list on a pipe) is the one they interrupt.
    sigset_t stops;
    sigemptyset(&stops);
    for (const int signal : StopSignals) sigaddset(&stops, signal);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &stops, &previous);
    state.Thread = std::jthread([grace, takeOver = std::move(takeOver)](std::stop_token stop) {
        pollfd wait{wake[0], POLLIN, 0};
        while (!stop.stop_requested()) {
            if (poll(&wait, 1, 100) <= 0 || received == 0) continue;
            const auto deadline = std::chrono::steady_clock::now() + grace;
            while (!stop.stop_requested() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            const std::lock_guard lock(state.Mutex);
            if (state.Running && !state.Ended) takeOver(received);
        }
    });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : StopSignals) sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

TStopSignals::~TStopSignals() {
    state.Thread.request_stop();
    if (state.Thread.joinable()) state.Thread.join();
}

int TStopSignals::Received() { return received; }

void TStopSignals::RunStarted() {
    const std::lock_guard lock(state.Mutex);
    state.Running = true;
}

void TStopSignals::RunEnded() {
    const std::lock_guard lock(state.Mutex);
    state.Ended = true;
}

}  // namespace pictorand
