#include "gui/background_previews.h"

#include "engine/batch_run.h"
#include "engine/recording_host.h"

namespace pictorand {

TBackgroundPreviews::TBackgroundPreviews(int threads, QObject* parent) : QObject(parent) { pool_.setMaxThreadCount(threads); }

TBackgroundPreviews::~TBackgroundPreviews() {
    Cancel();
    pool_.clear();
    pool_.waitForDone();
}

void TBackgroundPreviews::Request(const TSourceEntry& source, const ConversionSettings& settings, const std::string& logoFile, TDone done) {
    const int generation = *generation_;
    ++pending_;
    pool_.start([this, source, settings, logoFile, done = std::move(done), generation, current = generation_] {
        auto file = std::make_shared<TPreparedFile>();
        if (*current == generation) {
            TRecordingHost quiet;
            const TFixedSettings fixed(settings);
            TBatchRun run(quiet, fixed);
            run.LogoFileName = [logoFile] { return logoFile; };
            try {
                *file = run.Preview(source);
            } catch (const std::exception& error) {
                file->Failure = TFileFailure::Load;
                file->Error = error.what();
            }
        }
        // Back on the window's thread; dropped with this object.
        QMetaObject::invokeMethod(
            this,
            [this, file, done, generation, current] {
                --pending_;
                if (*current == generation) done(*file);
            },
            Qt::QueuedConnection);
    });
}

void TBackgroundPreviews::Cancel() { ++*generation_; }

}  // namespace pictorand
