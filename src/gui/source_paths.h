// PicturesAmong: the sources that paths given to the window stand for (command-line
// arguments, files and folders dropped on it).
#pragma once

#include <QStringList>

namespace pictorand {

// Each file as given, in the given order; each folder as the files directly inside it
// whose extension a reader takes, sorted by name. Paths that are neither are left out.
// Answers absolute paths.
QStringList PicturesAmong(const QStringList& paths);

}  // namespace pictorand
