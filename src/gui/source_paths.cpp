#include "gui/source_paths.h"

#include <QFileInfo>

#include "engine/source_folders.h"

namespace pictorand {

std::vector<TSourceEntry> SourcesAmong(const QStringList& paths, bool subfolders, const QString& outputFolder) {
    std::vector<TSourceEntry> sources;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isFile()) {
            sources.push_back({.Path = info.absoluteFilePath().toStdString()});
        } else if (info.isDir()) {
            for (TSourceEntry& entry : ExpandSources({info.absoluteFilePath().toStdString()}, subfolders, outputFolder.toStdString()))
                if (!entry.Ignored) sources.push_back(std::move(entry));
        }
    }
    return sources;
}

}  // namespace pictorand
