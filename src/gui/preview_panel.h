// TPreviewPanel: one source as the run will write it with the settings of the moment: the
// picture (turned, converted and stamped as the options say), its size in pixels and, for
// the formats that are encoded, the size of the file.
#pragma once

#include <QGroupBox>
#include <optional>
#include <string>

#include "engine/conversion_settings.h"
#include "engine/prepared_file.h"

class QLabel;

namespace pictorand {

class TBackgroundPreviews;

class TPreviewPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit TPreviewPanel(QWidget* parent = nullptr);

    // Prepares the source anew in the background; nothing shows an empty panel.
    void Show(const std::optional<TSourceEntry>& source, const ConversionSettings& settings, const std::string& logoFile);
    // Whether a preview is still being prepared.
    bool Preparing() const;

private:
    void Present(const TPreparedFile& file);

    QLabel* picture_;
    QLabel* caption_;
    TBackgroundPreviews* previews_;
};

// «1920 × 1280 пикс., файл около 412 КБ»: the sizes a preview tells.
QString PreviewCaption(const TPreparedFile& file);

}  // namespace pictorand
