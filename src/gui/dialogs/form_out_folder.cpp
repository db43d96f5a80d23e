#include "gui/dialogs/form_out_folder.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/shell_tree_view.h"

namespace pictorand {

TFormOutFolder::TFormOutFolder(TRunHost& host, QWidget* parent)
    : TOptionDialog("FormOutFolder", tr("Выбор папки для вывода"), host, parent) {
    auto* layout = new QVBoxLayout(this);
    shellTreeViewPol_ = new TShellTreeView(this);
    shellTreeViewPol_->setObjectName("ShellTreeViewPol");
    shellTreeViewPol_->setFixedSize(320, 360);
    layout->addWidget(shellTreeViewPol_);
    auto* buttons = new QHBoxLayout();
    auto* select = new QPushButton(tr("Выбрать"), this);
    select->setObjectName("BitBtnSelectPol");
    auto* close = new QPushButton(tr("Закрыть"), this);
    close->setObjectName("BitBtnSelectClose");
    connect(select, &QPushButton::clicked, this, &TFormOutFolder::BitBtnSelectPolClick);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    buttons->addWidget(select);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    FixSize();
}

QString TFormOutFolder::SelectedFolder() const { return shellTreeViewPol_->SelectedPath(); }

void TFormOutFolder::BitBtnSelectPolClick() {
    if (OnSelect) OnSelect(SelectedFolder());
    close();
}

}  // namespace pictorand
