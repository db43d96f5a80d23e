// TRunSummaryWindow: what a run did, shown when it ends: «Записано N, пропущено M, с
// ошибками K», the files that were not written with their reasons, and a button that
// opens the output folder in the desktop's file manager. It does not block the window.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "engine/file_outcome.h"

class QLabel;
class QPlainTextEdit;

namespace pictorand {

class TRunSummaryWindow : public QDialog {
    Q_OBJECT

public:
    TRunSummaryWindow(const std::vector<TFileOutcome>& outcomes, const QString& outputFolder, QWidget* parent);

    // «Записано N, пропущено M, с ошибками K» for the outcomes; files of source folders
    // that hold no picture are not counted.
    static QString Counts(const std::vector<TFileOutcome>& outcomes);

    QLabel* CountsLabel() const { return counts_; }
    QPlainTextEdit* Problems() const { return problems_; }

private:
    QLabel* counts_;
    QPlainTextEdit* problems_;
};

}  // namespace pictorand
