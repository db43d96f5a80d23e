// Ctrl-C, SIGTERM and SIGHUP stop a run. The run is asked first, and stops between files;
// a file that keeps it busy longer (a huge picture being decoded) is not waited for: the
// watchdog then ends the process itself with the run's summary. SIGPIPE is ignored, so
// that a reader that goes away is a write error of the report.
#pragma once

#include <chrono>
#include <functional>

namespace pictorand {

class TStopSignals {
public:
    // Installs the handlers. takeOver runs on the watchdog's own thread once a stop signal
    // came, the run has started and has not ended within grace; it must not return.
    TStopSignals(std::chrono::milliseconds grace, std::function<void(int signal)> takeOver);
    ~TStopSignals();
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

    // The first stop signal that came, or 0.
    static int Received();
    // Between these two calls the watchdog may take over.
    void RunStarted();
    void RunEnded();
};

}  // namespace pictorand
