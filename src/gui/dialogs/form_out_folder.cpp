#include "gui/dialogs/form_out_folder.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/shell_tree_view.h"

namespace pictorand {

TFormOutFolder::TFormOutFolder(TRunHost& host, QWidget* parent)
    : TOptionDialog("FormOutFolder", tr("Выбор папки для вывода"), host, parent) {
    auto* layout = new QVBoxLayout(this);
    editPath_ = new QLineEdit(this);
    editPath_->setObjectName("EditPath");
    editPath_->setFixedWidth(320);
    layout->addWidget(editPath_);
    recent_ = new QComboBox(this);
    recent_->setObjectName("ComboRecent");
    recent_->setFixedWidth(320);
    layout->addWidget(recent_);
    ShowRecent({});
    connect(recent_, &QComboBox::activated, this, [this](int index) {
        const QString folder = recent_->itemData(index).toString();
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) shellTreeViewPol_->SelectPath(folder);
    });
    shellTreeViewPol_ = new TShellTreeView(this);
    shellTreeViewPol_->setObjectName("ShellTreeViewPol");
    shellTreeViewPol_->setFixedSize(320, 360);
    layout->addWidget(shellTreeViewPol_);
    // The field follows the tree; a folder typed into it is selected in the tree.
    connect(shellTreeViewPol_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { editPath_->setText(QDir::toNativeSeparators(SelectedFolder())); });
    connect(editPath_, &QLineEdit::returnPressed, this, [this] {
        const QString typed = QDir::fromNativeSeparators(editPath_->text().trimmed());
        if (QFileInfo(typed).isDir()) shellTreeViewPol_->SelectPath(QFileInfo(typed).absoluteFilePath());
        else Host().ShowMessage(tr("Папка %1 не найдена!").arg(editPath_->text()).toStdString(), {});
    });
    auto* create = new QPushButton(tr("Создать папку"), this);
    create->setObjectName("BitBtnCreateFolder");
    connect(create, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QString name = QInputDialog::getText(this, tr("Создать папку"), tr("Имя новой папки:"), QLineEdit::Normal, {}, &ok);
        if (ok && !name.trimmed().isEmpty()) CreateFolder(name.trimmed());
    });
    layout->addWidget(create);
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

void TFormOutFolder::ShowRecent(const QStringList& folders) {
    recent_->clear();
    recent_->addItem(tr("Недавние папки"));
    for (const QString& folder : folders) recent_->addItem(QDir::toNativeSeparators(folder), folder);
    recent_->setEnabled(!folders.isEmpty());
}

QString TFormOutFolder::SelectedFolder() const { return shellTreeViewPol_->SelectedPath(); }

void TFormOutFolder::ShowAt(const QString& folder) {
    const QString path = QDir::fromNativeSeparators(folder);
    shellTreeViewPol_->SelectPath(!path.isEmpty() && QFileInfo(path).isDir() ? path : QDir::homePath());
}

bool TFormOutFolder::CreateFolder(const QString& name) {
    const QString parent = SelectedFolder().isEmpty() ? QDir::homePath() : SelectedFolder();
    const QString path = QDir(parent).filePath(name);
    // One name, never a path into other folders.
    if (name.contains('/') || name == "." || name == ".." || !QDir(parent).mkdir(name)) {
        Host().ShowMessage(tr("Не удалось создать папку %1!").arg(QDir::toNativeSeparators(path)).toStdString(), {});
        return false;
    }
    shellTreeViewPol_->SelectPath(path);
    return true;
}

void TFormOutFolder::BitBtnSelectPolClick() {
    if (OnSelect) OnSelect(SelectedFolder());
    close();
}

}  // namespace pictorand
