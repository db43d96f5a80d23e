// The interface font: Arial where it is installed, otherwise the metric-compatible
// Liberation Sans.
#pragma once

#include <QFont>

namespace pictorand {

QFont InterfaceFont(int pointSize = 8);
// A font given in pixels (the about box's title).
QFont InterfaceFontPixels(int pixelSize, const char* preferredFamily);

}  // namespace pictorand
