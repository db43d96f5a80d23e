#include "gui/photo_menu.h"

#include <QAction>
#include <QColorDialog>
#include <QMenu>
#include <QMenuBar>

namespace pictorand {

TPhotoMenu::TPhotoMenu(QMenuBar& bar, QWidget& dialogParent, std::function<void(const TExtraOptions&)> changed)
    : QObject(&bar), dialogParent_(dialogParent), changed_(std::move(changed)) {
    menu_ = bar.addMenu(QString::fromUtf8("Дополнительно"));
    auto checkable = [this](const char* title) {
        QAction* action = menu_->addAction(QString::fromUtf8(title));
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, [this] { changed_(Options()); });
        return action;
    };
    autoOrient_ = checkable("Поворачивать по EXIF");
    convert_ = checkable("Преобразовывать цвета в sRGB");
    transparency_ = checkable("Учитывать прозрачность");
    metadata_ = checkable("Сохранять метаданные");
    menu_->addSeparator();
    background_ = menu_->addAction(QString::fromUtf8("Цвет фона..."));
    connect(background_, &QAction::triggered, this, &TPhotoMenu::ChooseBackground);
    menu_->addSeparator();
    shrink_ = checkable("Быстрое уменьшение JPEG");
    centre_ = checkable("Сетка по центрам пикселей");
    linear_ = checkable("Линейный свет");
    Show(TExtraOptions{});
}

TExtraOptions TPhotoMenu::Options() const {
    return {{autoOrient_->isChecked(), convert_->isChecked(), transparency_->isChecked(), metadata_->isChecked(), backgroundColour_},
            {shrink_->isChecked(), centre_->isChecked(), linear_->isChecked()}};
}

void TPhotoMenu::Show(const TExtraOptions& options) {
    const QSignalBlocker blockers[] = {QSignalBlocker(autoOrient_), QSignalBlocker(convert_), QSignalBlocker(transparency_),
                                       QSignalBlocker(metadata_),   QSignalBlocker(shrink_),  QSignalBlocker(centre_),
                                       QSignalBlocker(linear_)};
    autoOrient_->setChecked(options.Photo.AutoOrient);
    convert_->setChecked(options.Photo.ConvertToSrgb);
    transparency_->setChecked(options.Photo.Transparency);
    metadata_->setChecked(options.Photo.KeepMetadata);
    backgroundColour_ = options.Photo.Background;
    shrink_->setChecked(options.Resample.ShrinkOnLoad);
    centre_->setChecked(options.Resample.CentreGrid);
    linear_->setChecked(options.Resample.LinearLight);
    changed_(Options());
}

void TPhotoMenu::ChooseBackground() {
    const QColor initial(static_cast<int>(backgroundColour_ & 255), static_cast<int>(backgroundColour_ >> 8 & 255),
                         static_cast<int>(backgroundColour_ >> 16 & 255));
    const QColor chosen = QColorDialog::getColor(initial, &dialogParent_, QString::fromUtf8("Цвет фона"));
    if (!chosen.isValid()) return;
    backgroundColour_ = RGBColor(static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
                                 static_cast<std::uint8_t>(chosen.blue()));
    changed_(Options());
}

}  // namespace pictorand
