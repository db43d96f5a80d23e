#include "cli/report_path.h"

#include <sys/stat.h>

#include <fstream>

#include <nlohmann/json.hpp>

#include "engine/text_catalogue.h"

namespace pictorand {

namespace {

// Whether the file starts with a line of a report: a JSON object with a source and an outcome.
bool HoldsReport(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string first;
    std::getline(in, first);
    const nlohmann::json line = nlohmann::json::parse(first, nullptr, false);
    return line.is_object() && line.contains("source") && line.contains("outcome");
}

}  // namespace

std::string RefusedReportPath(const std::string& path, const std::vector<TSourceEntry>& sources) {
    if (path == "-") return {};
    struct stat report {};
    if (stat(path.c_str(), &report) != 0) return {};
    if (S_ISDIR(report.st_mode)) return Say(TText::ReportIsFolder, {path});
    if (!S_ISREG(report.st_mode)) return {};
    for (const TSourceEntry& source : sources) {
        struct stat status {};
        if (stat(source.Path.c_str(), &status) == 0 && status.st_dev == report.st_dev && status.st_ino == report.st_ino)
            return Say(TText::ReportIsSource, {path});
    }
    if (report.st_size > 0 && !HoldsReport(path))
        return Say(TText::ReportNotOurs, {path});
    return {};
}

}  // namespace pictorand
