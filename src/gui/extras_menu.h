// TExtrasMenu: the main menu's "Дополнительно" entry, one item per row of the option table:
// a checkable item for each switch, a chooser for the background colour.
#pragma once

#include <QObject>

#include <functional>
#include <string_view>
#include <vector>

#include "engine/option_table.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace pictorand {

class TExtrasMenu : public QObject {
    Q_OBJECT

public:
    // Adds the entry to the end of the menu bar; changed receives every new state.
    TExtrasMenu(QMenuBar& bar, QWidget& dialogParent, std::function<void(const TExtraOptions&)> changed);

    TExtraOptions Options() const { return options_; }
    void Show(const TExtraOptions& options);
    QMenu* Menu() const { return menu_; }
    // The item of an option's key.
    QAction* Action(std::string_view key) const;

private:
    void ChooseColour(const TOptionRow& row);

    QWidget& dialogParent_;
    std::function<void(const TExtraOptions&)> changed_;
    QMenu* menu_;
    std::vector<std::pair<const TOptionRow*, QAction*>> items_;
    TExtraOptions options_ = RecommendedOptions();
};

}  // namespace pictorand
