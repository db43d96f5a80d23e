// TSourceList: the sources of the next run, one line each with its name and a small picture
// of it drawn in the background, a count above, and «Убрать» and «Очистить» below.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "engine/conversion_settings.h"
#include "engine/prepared_file.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace pictorand {

class TBackgroundPreviews;

class TSourceList : public QWidget {
    Q_OBJECT

public:
    // The side of a small picture, in pixels.
    static constexpr int ThumbnailSide = 48;

    explicit TSourceList(QWidget* parent = nullptr);

    // The settings whose photo options (orientation, colour) the small pictures follow.
    std::function<ConversionSettings()> PhotoSettings;

    void SetEntries(std::vector<TSourceEntry> entries);
    const std::vector<TSourceEntry>& Entries() const { return entries_; }
    // The selected source, else the first; nothing when the list is empty.
    std::optional<TSourceEntry> Current() const;
    // Draws the small pictures again, as the photo options now say.
    void RedrawThumbnails();
    // Whether small pictures are still being drawn.
    bool DrawingThumbnails() const;

signals:
    // The list lost sources to «Убрать» or «Очистить».
    void EntriesChanged();
    // Another source is current.
    void CurrentChanged();

protected:
    // Delete in the list is «Убрать».
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RemoveSelected();
    void ShowCount();
    void DrawThumbnails();

    std::vector<TSourceEntry> entries_;
    QLabel* count_;
    QListWidget* list_;
    QPushButton* remove_;
    QPushButton* clear_;
    TBackgroundPreviews* thumbnails_;
};

}  // namespace pictorand
