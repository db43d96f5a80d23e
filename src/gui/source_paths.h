// SourcesAmong: the sources that paths given to the window stand for (command-line
// arguments, files chosen or dropped on it, folders).
#pragma once

#include <QStringList>
#include <vector>

#include "engine/prepared_file.h"

namespace pictorand {

// Each file as given, in the given order; each folder as the files inside it that hold
// pictures, sorted by name, with its subfolders' mirrored below the output folder when
// asked (never the output folder's own); what cannot be read at all is kept with the
// reason, for the run to report. Paths that are neither are left out. Paths are absolute.
std::vector<TSourceEntry> SourcesAmong(const QStringList& paths, bool subfolders, const QString& outputFolder);

}  // namespace pictorand
