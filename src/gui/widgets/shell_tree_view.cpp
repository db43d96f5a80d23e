#include "gui/widgets/shell_tree_view.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMouseEvent>

namespace pictorand {

TShellTreeView::TShellTreeView(QWidget* parent) : QTreeView(parent), model_(new QFileSystemModel(this)) {
    // Folder and drive icons from the style, as file dialogs show them.
    model_->setIconProvider(&icons_);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QDir::rootPath());
    setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column) hideColumn(column);
    header()->hide();
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

TShellTreeView::~TShellTreeView() {
    setModel(nullptr);
    delete model_;
}

QString TShellTreeView::SelectedPath() const {
    const QModelIndex index = currentIndex();
    if (!index.isValid()) return {};
    return model_->filePath(index);
}

void TShellTreeView::SelectPath(const QString& path) {
    const QModelIndex index = model_->index(path);
    if (!index.isValid()) return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) expand(parent);
    expand(index);
    setCurrentIndex(index);
    scrollTo(index);
}

void TShellTreeView::showEvent(QShowEvent* event) {
    QTreeView::showEvent(event);
    if (shown_) return;
    shown_ = true;
    if (!currentIndex().isValid()) SelectPath(QDir::homePath());
}

void TShellTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid()) setCurrentIndex(index);
    }
    QTreeView::mousePressEvent(event);
}

}  // namespace pictorand
