#include "gui/extras_menu.h"

#include <QAction>
#include <QColorDialog>
#include <QMenu>
#include <QMenuBar>

#include "engine/text_catalogue.h"

namespace pictorand {

TExtrasMenu::TExtrasMenu(QMenuBar& bar, QWidget& dialogParent, std::function<void(const TExtraOptions&)> changed)
    : QObject(&bar), dialogParent_(dialogParent), changed_(std::move(changed)) {
    menu_ = bar.addMenu(tr("Дополнительно"));
    int section = OptionTable().front().MenuSection;
    for (const TOptionRow& row : OptionTable()) {
        if (row.Menu.empty()) continue;
        if (row.MenuSection != section) menu_->addSeparator();
        section = row.MenuSection;
        QAction* action = menu_->addAction(QString::fromUtf8(Language() == TLanguage::English ? row.MenuEnglish.data() : row.Menu.data()));
        items_.emplace_back(&row, action);
        if (row.Colour) {
            connect(action, &QAction::triggered, this, [this, &row] { ChooseColour(row); });
            continue;
        }
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, [this, &row](bool checked) {
            SetSwitch(row, options_, checked);
            changed_(options_);
        });
    }
    Show(RecommendedOptions());
}

QAction* TExtrasMenu::Action(std::string_view key) const {
    for (const auto& [row, action] : items_)
        if (row->Key == key) return action;
    return nullptr;
}

void TExtrasMenu::Show(const TExtraOptions& options) {
    options_ = options;
    for (const auto& [row, action] : items_) {
        if (!row->Switch) continue;
        const QSignalBlocker blocker(action);
        action->setChecked(SwitchValue(*row, options));
    }
    changed_(options_);
}

void TExtrasMenu::ChooseColour(const TOptionRow& row) {
    const TColor current = ColourValue(row, options_);
    const QColor initial(static_cast<int>(current & 255), static_cast<int>(current >> 8 & 255), static_cast<int>(current >> 16 & 255));
    const QColor chosen = QColorDialog::getColor(initial, &dialogParent_, tr("Цвет фона"));
    if (!chosen.isValid()) return;
    row.Colour(options_) = RGBColor(static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
                                    static_cast<std::uint8_t>(chosen.blue()));
    changed_(options_);
}

}  // namespace pictorand
