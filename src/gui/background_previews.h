// TBackgroundPreviews: sources prepared as a run would prepare them, on threads of their
// own, each answer handed back on the window's thread.
#pragma once

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "engine/conversion_settings.h"
#include "engine/prepared_file.h"

namespace pictorand {

class TBackgroundPreviews : public QObject {
    Q_OBJECT

public:
    using TDone = std::function<void(const TPreparedFile& file)>;

    TBackgroundPreviews(int threads, QObject* parent);
    // Waits for the sources being prepared; their answers and those still waiting are dropped.
    ~TBackgroundPreviews() override;

    // Prepares the source with these settings and logo file; done gets the result unless
    // Cancel came in between.
    void Request(const TSourceEntry& source, const ConversionSettings& settings, const std::string& logoFile, TDone done);
    // Drops every request made so far.
    void Cancel();
    // Whether a request is still being prepared or waiting.
    bool Busy() const { return pending_ > 0; }

private:
    QThreadPool pool_;
    std::shared_ptr<std::atomic<int>> generation_ = std::make_shared<std::atomic<int>>(0);
    int pending_ = 0;
};

}  // namespace pictorand
