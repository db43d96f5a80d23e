#include "gui/source_list.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/background_previews.h"
#include "gui/bitmap_image.h"

namespace pictorand {

namespace {

// The settings a small picture is made with: the photo options of the run, fitted into the
// side, decoded at a reduced size where the format can, no logo and nothing encoded.
ConversionSettings ThumbnailSettings(ConversionSettings settings) {
    settings.Format.reset();
    settings.Size = SizeMode::FitPixels;
    settings.MaxSideText = std::to_string(TSourceList::ThumbnailSide);
    settings.LogoEnabled = false;
    settings.Resample.ShrinkOnLoad = true;
    return settings;
}

QString EntryName(const TSourceEntry& entry) {
    const QString name = QFileInfo(QString::fromStdString(entry.Path)).fileName();
    return entry.Subfolder.empty() ? name : QString::fromStdString(entry.Subfolder) + "/" + name;
}

}  // namespace

TSourceList::TSourceList(QWidget* parent) : QWidget(parent) {
    setObjectName("SourceListPanel");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    count_ = new QLabel(this);
    count_->setObjectName("SourceCount");
    list_ = new QListWidget(this);
    list_->setObjectName("SourceList");
    list_->setIconSize(QSize(ThumbnailSide, ThumbnailSide));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setUniformItemSizes(true);
    remove_ = new QPushButton(tr("Убрать"), this);
    remove_->setObjectName("SourceRemove");
    clear_ = new QPushButton(tr("Очистить"), this);
    clear_->setObjectName("SourceClear");
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(remove_);
    buttons->addWidget(clear_);
    buttons->addStretch(1);
    layout->addWidget(count_);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    thumbnails_ = new TBackgroundPreviews(2, this);
    connect(remove_, &QPushButton::clicked, this, &TSourceList::RemoveSelected);
    connect(clear_, &QPushButton::clicked, this, [this] {
        SetEntries({});
        emit EntriesChanged();
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this] { emit CurrentChanged(); });
    list_->installEventFilter(this);
    ShowCount();
}

void TSourceList::SetEntries(std::vector<TSourceEntry> entries) {
    entries_ = std::move(entries);
    thumbnails_->Cancel();
    const QSignalBlocker quiet(list_);
    list_->clear();
    const QIcon waiting = style()->standardIcon(QStyle::SP_FileIcon);
    for (const TSourceEntry& entry : entries_) {
        auto* item = new QListWidgetItem(waiting, EntryName(entry), list_);
        item->setToolTip(QString::fromStdString(entry.Path));
    }
    ShowCount();
    DrawThumbnails();
    emit CurrentChanged();
}

bool TSourceList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        RemoveSelected();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

std::optional<TSourceEntry> TSourceList::Current() const {
    if (entries_.empty()) return std::nullopt;
    const int row = list_->currentRow();
    return entries_[row >= 0 && row < static_cast<int>(entries_.size()) ? static_cast<std::size_t>(row) : 0];
}

bool TSourceList::DrawingThumbnails() const { return thumbnails_->Busy(); }

void TSourceList::RedrawThumbnails() {
    thumbnails_->Cancel();
    DrawThumbnails();
}

void TSourceList::RemoveSelected() {
    std::vector<int> rows;
    for (const QListWidgetItem* item : list_->selectedItems()) rows.push_back(list_->row(item));
    if (rows.empty()) return;
    std::sort(rows.rbegin(), rows.rend());
    {
        const QSignalBlocker quiet(list_);
        for (const int row : rows) {
            delete list_->takeItem(row);
            entries_.erase(entries_.begin() + row);
        }
    }
    ShowCount();
    emit EntriesChanged();
    emit CurrentChanged();
}

void TSourceList::ShowCount() {
    count_->setText(tr("Файлов: %1").arg(entries_.size()));
    remove_->setEnabled(!entries_.empty());
    clear_->setEnabled(!entries_.empty());
}

// Each line's picture is drawn on its own; a line removed meanwhile is found by its item.
void TSourceList::DrawThumbnails() {
    const ConversionSettings settings = ThumbnailSettings(PhotoSettings ? PhotoSettings() : ConversionSettings{});
    for (int row = 0; row < list_->count(); ++row) {
        const QPersistentModelIndex index = list_->model()->index(row, 0);
        thumbnails_->Request(entries_[static_cast<std::size_t>(row)], settings, {}, [this, index](const TPreparedFile& file) {
            if (!index.isValid()) return;
            QListWidgetItem* line = list_->item(index.row());
            if (!line) return;
            if (file.Target) {
                // Centred on a square, so that every name starts at the same place.
                QPixmap square(ThumbnailSide, ThumbnailSide);
                square.fill(Qt::transparent);
                const QImage picture = ToQImage(*file.Target);
                QPainter(&square).drawImage((ThumbnailSide - picture.width()) / 2, (ThumbnailSide - picture.height()) / 2, picture);
                line->setIcon(QIcon(square));
                line->setToolTip(line->toolTip() + "\n" + tr("%1 × %2 пикс.").arg(file.Width).arg(file.Height));
            } else {
                line->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
                line->setToolTip(line->toolTip() + "\n" + QString::fromStdString(file.Error));
            }
        });
    }
}

}  // namespace pictorand
