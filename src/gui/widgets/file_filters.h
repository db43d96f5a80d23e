// The name filters of the source and logo file dialogs, made from the format table.
#pragma once

#include <QStringList>

namespace pictorand {

// "Все поддерживаемые файлы" first, then one filter per source format; each pattern is
// followed by its lower-case form, since file names here are case-sensitive.
QStringList SourceFileFilters();
// "Все поддерживаемые файлы логотипа" first, then one filter per logo format; the
// upper-case patterns come first, then the same in lower case.
QStringList LogoFileFilters();

}  // namespace pictorand
