#include "gui/run_summary_window.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "engine/run_host.h"

namespace pictorand {

QString TRunSummaryWindow::Counts(const std::vector<TFileOutcome>& outcomes) {
    int written = 0, skipped = 0, failed = 0;
    for (const TFileOutcome& outcome : outcomes) {
        written += outcome.Kind == TOutcome::Written;
        skipped += outcome.Kind == TOutcome::Skipped;
        failed += outcome.Kind == TOutcome::Failed;
    }
    return tr("Записано %1, пропущено %2, с ошибками %3").arg(written).arg(skipped).arg(failed);
}

TRunSummaryWindow::TRunSummaryWindow(const std::vector<TFileOutcome>& outcomes, const QString& outputFolder, QWidget* parent)
    : QDialog(parent) {
    setObjectName("RunSummary");
    setWindowTitle(QString::fromUtf8(ApplicationTitle.data(), static_cast<qsizetype>(ApplicationTitle.size())));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    counts_ = new QLabel(Counts(outcomes), this);
    counts_->setObjectName("SummaryCounts");
    layout->addWidget(counts_);

    // Every source that was not written, with the reason, one a line.
    QStringList lines;
    for (const TFileOutcome& outcome : outcomes) {
        if (outcome.Kind != TOutcome::Failed && outcome.Kind != TOutcome::Skipped) continue;
        lines << QFileInfo(QString::fromStdString(outcome.Source)).fileName() + " — " + QString::fromStdString(outcome.Error);
    }
    problems_ = new QPlainTextEdit(lines.join('\n'), this);
    problems_->setObjectName("SummaryProblems");
    problems_->setReadOnly(true);
    problems_->setVisible(!lines.isEmpty());
    problems_->setMinimumSize(460, 120);
    layout->addWidget(problems_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* open = buttons->addButton(tr("Открыть папку"), QDialogButtonBox::ActionRole);
    open->setObjectName("SummaryOpenFolder");
    QPushButton* close = buttons->addButton(tr("Закрыть"), QDialogButtonBox::RejectRole);
    close->setObjectName("SummaryClose");
    close->setDefault(true);
    connect(open, &QPushButton::clicked, this, [outputFolder] { QDesktopServices::openUrl(QUrl::fromLocalFile(outputFolder)); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
}

}  // namespace pictorand
