// TFormOutFolder, "Выбор папки для вывода": the folder tree whose selection is the
// output folder of every file written, a field with the selected folder's path (a path
// typed there and confirmed with Enter is selected), the folders written into lately and
// «Создать папку».
#pragma once

#include <functional>

#include "gui/dialogs/option_dialog.h"

class QComboBox;
class QLineEdit;

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
    // Opens the window at the folder (the home folder when it is empty or gone).
    void ShowAt(const QString& folder);
    // Creates a folder of the given name inside the selected one and selects it; a
    // failure is said, naming the folder. Answers whether it was created.
    bool CreateFolder(const QString& name);
    QLineEdit* PathField() const { return editPath_; }
    // The folders written into lately, newest first; choosing one selects it in the tree.
    void ShowRecent(const QStringList& folders);
    QComboBox* RecentList() const { return recent_; }

private:
    TShellTreeView* shellTreeViewPol_;
    QLineEdit* editPath_;
    QComboBox* recent_;
};

}  // namespace pictorand
