// A single modal dialog that edits every conversion setting; it stands in for the
// separate format, name, size and logo dialogs.
#pragma once

#include <QDialog>

#include "app/conversion_settings.h"

namespace pictorand {

class TOptionsDialog : public QDialog {
    Q_OBJECT

public:
    TOptionsDialog(const QString& title, ConversionSettings& settings, QWidget* parent = nullptr);
};

}  // namespace pictorand
