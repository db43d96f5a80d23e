// TFormAbaut, "О программе": the program's name and version, and links to write to
// the authors and to open the product's page.
#pragma once

#include <functional>

#include "gui/dialogs/option_dialog.h"

namespace pictorand {

inline constexpr std::string_view AuthorEmail = "pictorand@example.org";
inline constexpr std::string_view ProductSite = "https://pictorand.example.org";

class TFormAbaut : public TOptionDialog {
    Q_OBJECT

public:
    TFormAbaut(TRunHost& host, QWidget* parent = nullptr);

    // The addresses the two link labels hand to the desktop.
    static QString MailAddress();
    static QString SiteAddress();
    // Replaces the desktop's default handler for tests.
    std::function<void(const QString&)> OpenAddress;

private:
    void Open(const QString& address);
};

}  // namespace pictorand
