#include "gui/widgets/ui_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace pictorand {

namespace {
QString Family(const QString& preferred) {
    const QStringList families = QFontDatabase::families();
    for (const QString& candidate : {preferred, QString("Arial"), QString("Liberation Sans")}) {
        if (families.contains(candidate)) return candidate;
    }
    return QFont().family();
}
}  // namespace

QFont InterfaceFont(int pointSize) {
    QFont font(Family("Arial"));
    font.setPointSize(pointSize);
    return font;
}

QFont InterfaceFontPixels(int pixelSize, const char* preferredFamily) {
    QFont font(Family(preferredFamily));
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace pictorand
