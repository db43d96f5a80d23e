// Access to the shared test-image corpus beside the repository; tests that need it skip
// with a message when it is absent.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace pictorand::testing {

inline std::filesystem::path CorpusRoot() {
    return std::filesystem::path(PICTORAND_SOURCE_DIR) / ".." / "shared" / "corpus";
}

// The regular files of one corpus folder, sorted by name.
inline std::vector<std::filesystem::path> CorpusFiles(const std::filesystem::path& folder, const std::string& extension) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == extension) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Counts the corpus files a test compared and those it skipped, with the reason for
// each, and reports both when the test ends, so that a shrinking comparison shows.
class TCorpusTally {
public:
    ~TCorpusTally() {
        std::cout << "[ corpus   ] " << compared_ << " compared, " << skipped_.size() << " skipped\n";
        for (const std::string& line : skipped_) std::cout << "[ skipped  ] " << line << "\n";
        ::testing::Test::RecordProperty("corpus_compared", compared_);
        ::testing::Test::RecordProperty("corpus_skipped", static_cast<int>(skipped_.size()));
    }
    void Compared() { ++compared_; }
    void Skipped(const std::string& name, const std::string& reason) { skipped_.push_back(name + ": " + reason); }
    int ComparedCount() const { return compared_; }

private:
    int compared_ = 0;
    std::vector<std::string> skipped_;
};

}  // namespace pictorand::testing

#define PICTORAND_REQUIRE_CORPUS(folderVariable, relative)                                      \
    const std::filesystem::path folderVariable = ::pictorand::testing::CorpusRoot() / (relative); \
    if (!std::filesystem::is_directory(folderVariable))                                          \
    GTEST_SKIP() << "test corpus not found at " << folderVariable.string()
