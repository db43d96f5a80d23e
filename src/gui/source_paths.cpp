#include "gui/source_paths.h"

#include <QDir>
#include <QFileInfo>

#include "formats/format_table.h"

namespace pictorand {

QStringList PicturesAmong(const QStringList& paths) {
    QStringList pictures;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isFile()) {
            pictures << info.absoluteFilePath();
        } else if (info.isDir()) {
            const QFileInfoList inside = QDir(path).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
            for (const QFileInfo& file : inside)
                if (FindReadableFormat(("." + file.suffix()).toStdString())) pictures << file.absoluteFilePath();
        }
    }
    return pictures;
}

}  // namespace pictorand
