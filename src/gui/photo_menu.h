// TPhotoMenu: the main menu's "Дополнительно" entry, which holds the photo options (four
// checkable items and the background colour's chooser) and the resampling options.
#pragma once

#include <QObject>

#include <functional>

#include "engine/photo_options_file.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace pictorand {

class TPhotoMenu : public QObject {
    Q_OBJECT

public:
    // Adds the entry to the end of the menu bar; changed receives every new state.
    TPhotoMenu(QMenuBar& bar, QWidget& dialogParent, std::function<void(const TExtraOptions&)> changed);

    TExtraOptions Options() const;
    void Show(const TExtraOptions& options);
    QMenu* Menu() const { return menu_; }
    QAction* AutoOrient() const { return autoOrient_; }
    QAction* ConvertToSrgb() const { return convert_; }
    QAction* Transparency() const { return transparency_; }
    QAction* KeepMetadata() const { return metadata_; }
    QAction* BackgroundColour() const { return background_; }
    QAction* ShrinkOnLoad() const { return shrink_; }
    QAction* CentreGrid() const { return centre_; }
    QAction* LinearLight() const { return linear_; }

private:
    void ChooseBackground();

    QWidget& dialogParent_;
    std::function<void(const TExtraOptions&)> changed_;
    QMenu* menu_;
    QAction* autoOrient_;
    QAction* convert_;
    QAction* transparency_;
    QAction* metadata_;
    QAction* background_;
    QAction* shrink_;
    QAction* centre_;
    QAction* linear_;
    TColor backgroundColour_ = clWhite;
};

}  // namespace pictorand
