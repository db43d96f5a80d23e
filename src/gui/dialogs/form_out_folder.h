// TFormOutFolder, "Выбор папки для вывода": the folder tree whose selection is the
// output folder of every file written.
#pragma once

#include <functional>

#include "gui/dialogs/option_dialog.h"

namespace pictorand {

class TShellTreeView;

class TFormOutFolder : public TOptionDialog {
    Q_OBJECT

public:
    TFormOutFolder(TRunHost& host, QWidget* parent = nullptr);

    // The tree's live selection, read anew for every output path.
    QString SelectedFolder() const;
    TShellTreeView* Tree() const { return shellTreeViewPol_; }

    // Called by "Выбрать" with the selected folder (empty for none).
    std::function<void(const QString&)> OnSelect;

    void BitBtnSelectPolClick();

private:
    TShellTreeView* shellTreeViewPol_;
};

}  // namespace pictorand
