#include "gui/widgets/file_filters.h"

#include <QCoreApplication>

#include "formats/format_table.h"

namespace pictorand {

namespace {

QString Translated(const char* text) { return QCoreApplication::translate("pictorand::FileFilters", text); }

QString Pattern(std::string_view extension) {
    return "*." + QString::fromUtf8(extension.data(), static_cast<qsizetype>(extension.size())).toUpper();
}

QStringList Patterns(const std::vector<std::string_view>& extensions) {
    QStringList patterns;
    for (std::string_view e : extensions) patterns << Pattern(e);
    return patterns;
}

// "JPG, JPEG": the extensions as a caption names them.
QString Names(const TFormatDescriptor& row) {
    QStringList names;
    for (std::string_view e : ExtensionsOf(row)) names << Pattern(e).mid(2);
    return names.join(", ");
}

QString SourceFilter(const QString& caption, const QStringList& patterns) {
    QStringList both;
    for (const QString& p : patterns) both << p << p.toLower();
    return caption + " (" + both.join(' ') + ")";
}

QString LogoFilter(const QString& caption, const QStringList& patterns) {
    const QString list = patterns.join(' ');
    return caption + " (" + list + " " + list.toLower() + ")";
}

}  // namespace

QStringList SourceFileFilters() {
    QStringList filters{SourceFilter(Translated(QT_TRANSLATE_NOOP("pictorand::FileFilters", "Все поддерживаемые файлы")), Patterns(AllSourceExtensions()))};
    for (const TFormatDescriptor* row : SourceFormats())
        filters << SourceFilter(Translated(QT_TRANSLATE_NOOP("pictorand::FileFilters", "Файлы %1")).arg(Names(*row)), Patterns(ExtensionsOf(*row)));
    return filters;
}

QStringList LogoFileFilters() {
    QStringList all;
    for (const TFormatDescriptor* row : LogoFormats()) all << Patterns(ExtensionsOf(*row));
    QStringList filters{LogoFilter(Translated(QT_TRANSLATE_NOOP("pictorand::FileFilters", "Все поддерживаемые файлы логотипа")), all)};
    for (const TFormatDescriptor* row : LogoFormats())
        filters << LogoFilter(Translated(QT_TRANSLATE_NOOP("pictorand::FileFilters", "Файлы логотипа %1")).arg(Names(*row)), Patterns(ExtensionsOf(*row)));
    return filters;
}

}  // namespace pictorand
