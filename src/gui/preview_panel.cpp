#include "gui/preview_panel.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "gui/background_previews.h"
#include "gui/bitmap_image.h"

namespace pictorand {

namespace {

constexpr int PictureWidth = 220, PictureHeight = 165;

QString FileSize(std::size_t bytes) {
    if (bytes < 1024) return QObject::tr("%1 байт").arg(bytes);
    if (bytes < 1024 * 1024) return QObject::tr("%1 КБ").arg((bytes + 512) / 1024);
    return QObject::tr("%1 МБ").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

}  // namespace

QString PreviewCaption(const TPreparedFile& file) {
    if (file.Failure != TFileFailure::None || !file.Target) return QString::fromStdString(file.Error);
    QString text = QObject::tr("%1 × %2 пикс.").arg(file.OutputWidth).arg(file.OutputHeight);
    if (file.Encoded && !file.Encoded->Failure) text += ", " + QObject::tr("файл около %1").arg(FileSize(file.Encoded->Bytes.size()));
    return text;
}

TPreviewPanel::TPreviewPanel(QWidget* parent) : QGroupBox(tr("Предпросмотр"), parent) {
    setObjectName("PreviewPanel");
    auto* layout = new QVBoxLayout(this);
    picture_ = new QLabel(this);
    picture_->setObjectName("PreviewPicture");
    picture_->setFixedSize(PictureWidth, PictureHeight);
    picture_->setAlignment(Qt::AlignCenter);
    caption_ = new QLabel(this);
    caption_->setObjectName("PreviewCaption");
    caption_->setWordWrap(true);
    caption_->setFixedWidth(PictureWidth);
    layout->addWidget(picture_, 0, Qt::AlignHCenter);
    layout->addWidget(caption_);
    layout->addStretch(1);
    previews_ = new TBackgroundPreviews(1, this);
}

void TPreviewPanel::Show(const std::optional<TSourceEntry>& source, const ConversionSettings& settings, const std::string& logoFile) {
    previews_->Cancel();
    if (!source) {
        picture_->clear();
        caption_->clear();
        return;
    }
    caption_->setText(tr("Готовится…"));
    previews_->Request(*source, settings, logoFile, [this](const TPreparedFile& file) { Present(file); });
}

bool TPreviewPanel::Preparing() const { return previews_->Busy(); }

void TPreviewPanel::Present(const TPreparedFile& file) {
    caption_->setText(PreviewCaption(file));
    if (!file.Target) {
        picture_->clear();
        return;
    }
    // Shown whole within the panel, never larger than it will be written.
    const QPixmap picture = QPixmap::fromImage(ToQImage(*file.Target));
    picture_->setPixmap(picture.width() > PictureWidth || picture.height() > PictureHeight
                            ? picture.scaled(PictureWidth, PictureHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                            : picture);
}

}  // namespace pictorand
