#include "gui/dialogs/form_abaut.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/widgets/ui_font.h"

namespace pictorand {

namespace {

QLabel* Centred(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// A label that hands its address to the desktop when clicked.
QLabel* Link(QWidget* parent, const char* name, const QString& text, std::function<void()> open) {
    QLabel* label = Centred(parent, name, "<a href=\"#\">" + text.toHtmlEscaped() + "</a>");
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QObject::connect(label, &QLabel::linkActivated, label, [open = std::move(open)](const QString&) { open(); });
    return label;
}

}  // namespace

QString TFormAbaut::MailAddress() { return "mailto:" + Utf8(AuthorEmail) + "?subject=Pictorand v4.1"; }
QString TFormAbaut::SiteAddress() { return Utf8(ProductSite); }

TFormAbaut::TFormAbaut(TRunHost& host, QWidget* parent) : TOptionDialog("FormAbaut", tr("О программе"), host, parent) {
    auto* layout = new QVBoxLayout(this);
    QLabel* title = Centred(this, "Label1", Utf8(ApplicationTitle));
    title->setFont(InterfaceFontPixels(13, "MS Sans Serif"));
    layout->addWidget(title);
    layout->addWidget(Centred(this, "Label2", tr("Автор программы: %1").arg(tr("команда Pictorand"))));
    layout->addWidget(Link(this, "Label3", QString::fromUtf8("email: ") + Utf8(AuthorEmail), [this] { Open(MailAddress()); }));
    layout->addWidget(Link(this, "Label4", tr("Сайт программы: %1").arg(Utf8(ProductSite)), [this] { Open(SiteAddress()); }));
    auto* close = new QPushButton(tr("Закрыть"), this);
    close->setObjectName("BitBtnCloseAbaut");
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    layout->addWidget(close, 0, Qt::AlignCenter);
    FixSize();
}

void TFormAbaut::Open(const QString& address) {
    // A failure of the desktop to open the address is not reported.
    if (OpenAddress) {
        OpenAddress(address);
    } else {
        QDesktopServices::openUrl(QUrl(address));
    }
}

}  // namespace pictorand
