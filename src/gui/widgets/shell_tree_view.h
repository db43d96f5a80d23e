// The folder tree of the output-folder dialog: folders only, from the file-system root,
// with the system's icons, refreshed when folders change; the user's home folder is
// expanded and selected when it is first shown. A right click selects.
#pragma once

#include <QFileIconProvider>
#include <QTreeView>

class QFileSystemModel;

namespace pictorand {

class TShellTreeView : public QTreeView {
    Q_OBJECT

public:
    explicit TShellTreeView(QWidget* parent = nullptr);
    // The model goes first: it holds on to the icon provider.
    ~TShellTreeView() override;

    // The file-system path of the selected folder; empty when nothing (or an item
    // without a path) is selected.
    QString SelectedPath() const;
    void SelectPath(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QFileIconProvider icons_;
    QFileSystemModel* model_;
    bool shown_ = false;
};

}  // namespace pictorand
