#include "gui/qt_run_host.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

namespace pictorand {

namespace {
QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
}  // namespace

void TQtRunHost::ShowMessage(std::string_view text, std::string_view) {
    QMessageBox box(QMessageBox::NoIcon, FromUtf8(ApplicationTitle), FromUtf8(text), QMessageBox::Ok, owner_);
    box.exec();
}

bool TQtRunHost::AskYesNo(TQuestion, std::string_view text) {
    QMessageBox box(QMessageBox::Question, FromUtf8(ApplicationTitle), FromUtf8(text),
                    QMessageBox::Yes | QMessageBox::No, owner_);
    return box.exec() == QMessageBox::Yes;
}

bool TQtRunHost::AskReplace(std::string_view path, std::string_view text) {
    if (replaceAll_) return *replaceAll_;
    auto tr = [](const char* source) { return QCoreApplication::translate("pictorand::TQtRunHost", source); };
    QMessageBox box(QMessageBox::Question, FromUtf8(ApplicationTitle), FromUtf8(text) + "\n\n" + FromUtf8(path), QMessageBox::NoButton, owner_);
    QPushButton* yes = box.addButton(tr("Да"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(tr("Нет"), QMessageBox::NoRole);
    QPushButton* yesToAll = box.addButton(tr("Да для всех"), QMessageBox::YesRole);
    QPushButton* noToAll = box.addButton(tr("Нет для всех"), QMessageBox::NoRole);
    yes->setObjectName("ReplaceYes");
    no->setObjectName("ReplaceNo");
    yesToAll->setObjectName("ReplaceYesToAll");
    noToAll->setObjectName("ReplaceNoToAll");
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    if (box.clickedButton() == yesToAll || box.clickedButton() == noToAll) replaceAll_ = box.clickedButton() == yesToAll;
    return box.clickedButton() == yes || box.clickedButton() == yesToAll;
}

void TQtRunHost::ShowError(std::string_view text) {
    QMessageBox box(QMessageBox::Critical, FromUtf8(ApplicationTitle), FromUtf8(text), QMessageBox::Ok, owner_);
    box.exec();
}

void TQtRunHost::ProcessMessages() { QCoreApplication::processEvents(); }

void TQtRunHost::ReportOutcome(const TFileOutcome& outcome) {
    if (OnOutcome) OnOutcome(outcome);
    // Only a file that lost its output name to another file of the same run needs
    // telling: every other outcome has shown its own message already.
    if (!outcome.NameTaken) return;
    const QString text = QCoreApplication::translate("pictorand::TQtRunHost", "Файл %1 уже записан из другого файла, %2 не сохранён!")
                             .arg(QString::fromStdString(outcome.Output), QString::fromStdString(outcome.Source));
    ShowMessage(text.toStdString(), {});
}

}  // namespace pictorand
