// Qt's own texts (button captions, the file dialog, edit menus) in Russian, as the
// interface is Russian by design whatever the locale.
#pragma once

class QCoreApplication;

namespace pictorand {

// Installs Qt's Russian translations from Qt's translations folder; answers whether they
// were found.
bool InstallRussianTranslations(QCoreApplication& application);

}  // namespace pictorand
