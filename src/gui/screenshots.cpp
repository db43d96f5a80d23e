// pictorand-screenshots FOLDER: draws the main window with sources chosen, every dialog, the
// "Дополнительно" menu, a prompt, the source file dialog, a run's summary, the help and the
// English main window into PNG files in FOLDER, as the README shows them. Run by scripts/screenshots.sh under a virtual X server; not installed.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <utility>

#include "engine/text_catalogue.h"
#include "gui/dialogs/form_abaut.h"
#include "gui/dialogs/form_format.h"
#include "gui/dialogs/form_logotip.h"
#include "gui/dialogs/form_name.h"
#include "gui/dialogs/form_out_folder.h"
#include "gui/dialogs/form_size.h"
#include "gui/help_window.h"
#include "gui/main_window.h"
#include "gui/extras_menu.h"
#include "gui/preview_panel.h"
#include "gui/run_summary_window.h"
#include "gui/source_list.h"
#include "gui/interface_language.h"
#include "gui/widgets/file_filters.h"

namespace {

// Lets the window settle (layouts, the folder tree's first listing), then saves it.
bool Save(QWidget& widget, const QString& folder, const QString& name) {
    widget.show();
    widget.raise();
    for (int round = 0; round < 20; ++round) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
    const bool saved = widget.grab().save(QDir(folder).filePath(name + ".png"));
    QTextStream(stdout) << (saved ? "saved " : "could not save ") << name << ".png\n";
    return saved;
}

// The window with the sources chosen, once their small pictures and the preview are drawn.
bool SaveWithSources(pictorand::TFormGl& window, const QStringList& sources, const QString& folder, const QString& name) {
    window.show();
    window.SetSources(sources);
    for (int round = 0; round < 400 && (window.SourceList()->DrawingThumbnails() || window.Preview()->Preparing()); ++round) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
    return Save(window, folder, name);
}

// Landscapes to show in the source list: a sky, a sun and two hills in each one's colours.
QStringList SamplePhotos(const QString& folder, int count = 5, int longSide = 1200) {
    const QColor skies[] = {QColor(90, 150, 220), QColor(240, 150, 90), QColor(60, 70, 140), QColor(150, 200, 230), QColor(200, 110, 150)};
    QStringList paths;
    for (int n = 0; n < count; ++n) {
        const int i = n % 5;
        QImage photo(i % 2 ? longSide * 3 / 4 : longSide, i % 2 ? longSide : longSide * 2 / 3, QImage::Format_RGB32);
        QPainter paint(&photo);
        QLinearGradient sky(0, 0, 0, photo.height());
        sky.setColorAt(0, skies[i].darker(130));
        sky.setColorAt(1, skies[i].lighter(150));
        paint.fillRect(photo.rect(), sky);
        paint.setPen(Qt::NoPen);
        paint.setBrush(QColor(255, 230, 120));
        paint.drawEllipse(QPoint(photo.width() * (2 + i) / 8, photo.height() / 4), photo.width() / 12, photo.width() / 12);
        paint.setBrush(QColor(60 + 20 * i, 120, 60));
        paint.drawEllipse(QPoint(photo.width() / 4, photo.height()), photo.width() * 2 / 3, photo.height() / 3);
        paint.setBrush(QColor(40, 90 + 15 * i, 50));
        paint.drawEllipse(QPoint(photo.width(), photo.height()), photo.width() * 2 / 3, photo.height() / 2);
        paint.end();
        paths << QDir(folder).filePath(QString("IMG_%1.jpg").arg(2041 + n));
        photo.save(paths.back(), "JPEG", 90);
    }
    return paths;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    application.setApplicationName("pictorand");
    if (application.arguments().size() != 2) {
        QTextStream(stderr) << "Usage: pictorand-screenshots FOLDER\n";
        return 2;
    }
    const QString folder = application.arguments().at(1);
    QDir().mkpath(folder);
    pictorand::InstallInterfaceLanguage(application, pictorand::TLanguage::Russian);

    pictorand::TFormGl window;
    // The main window with five photos chosen: the list draws them small, the preview the
    // first as it will be written.
    const QTemporaryDir photos;
    const QStringList samples = SamplePhotos(photos.path());
    bool saved = SaveWithSources(window, samples, folder, "main-window");
    const std::pair<QWidget*, const char*> dialogs[] = {
        {window.FormFormat(), "format"},   {window.FormName(), "name"},
        {window.FormSize(), "size"},       {window.FormLogotip(), "logo"},
        {window.FormOutFolder(), "output-folder"}, {window.FormAbaut(), "about"},
    };
    for (const auto& [dialog, name] : dialogs) {
        saved &= Save(*dialog, folder, name);
        dialog->hide();
    }

    // A run under way: the bar tells how many files are done, the one being written and the
    // time left; drawn once a few files are done, from within the run's own event pump.
    {
        const QTemporaryDir many;
        const QTemporaryDir written;
        window.SetSources(SamplePhotos(many.path(), 60, 3000));
        window.FormOutFolder()->ShowAt(written.path());
        window.FormOutFolder()->BitBtnSelectPolClick();
        auto* bar = window.findChild<QProgressBar*>("ProgressBar1");
        QTimer watch;
        bool drawn = false;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (drawn || !bar->text().contains(pictorand::TFormGl::tr("осталось %1").section(' ', 0, 0))) return;
            if (bar->text().section(' ', 0, 0).toInt() < 12) return;
            drawn = true;
            const bool ok = window.grab().save(QDir(folder).filePath("progress.png"));
            QTextStream(stdout) << (ok ? "saved " : "could not save ") << "progress.png\n";
            saved &= ok;
        });
        watch.start(10);
        window.FlatButtonGoClick();
        watch.stop();
        saved &= drawn;
        if (auto* summary = window.RunSummary()) summary->close();
        window.SetSources(samples);
    }

    QMenu* extras = window.ExtrasMenu()->Menu();
    extras->popup(window.mapToGlobal(QPoint(40, 20)));
    saved &= Save(*extras, folder, "extras-menu");
    extras->hide();

    // Qt's own texts, in Russian: a prompt's buttons and the file dialog.
    QMessageBox prompt(QMessageBox::Question, QString::fromUtf8(pictorand::ApplicationTitle.data()),
                       QString::fromStdString(pictorand::Say(pictorand::TText::ContinueProcessing)), QMessageBox::Yes | QMessageBox::No, &window);
    saved &= Save(prompt, folder, "prompt");
    prompt.hide();
    QFileDialog files(&window, pictorand::TFormGl::tr("Выберите файл или файлы для обработки"), QDir::homePath());
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setFileMode(QFileDialog::ExistingFiles);
    files.setNameFilters(pictorand::SourceFileFilters());
    saved &= Save(files, folder, "source-files");
    files.hide();

    // The summary of a run of three photos, one of which could not be read.
    std::vector<pictorand::TFileOutcome> outcomes(3);
    outcomes[0] = {.Source = "/home/user/photos/IMG_0101.jpg", .Kind = pictorand::TOutcome::Written};
    outcomes[1] = {.Source = "/home/user/photos/IMG_0102.jpg", .Kind = pictorand::TOutcome::Failed, .Error = "the file ends early: JPEG data ends before the first row"};
    outcomes[2] = {.Source = "/home/user/photos/IMG_0103.jpg", .Kind = pictorand::TOutcome::Written};
    pictorand::TRunSummaryWindow summary(outcomes, QDir::homePath(), &window);
    saved &= Save(summary, folder, "run-summary");
    summary.hide();

    const QString help = pictorand::FindHelpFile(QCoreApplication::applicationDirPath());
    if (!help.isEmpty()) {
        pictorand::THelpWindow helpWindow(&window);
        helpWindow.ShowFile(help);
        saved &= Save(helpWindow, folder, "help");
    }

    // The English interface, as an English locale or the language menu gives it.
    window.hide();
    pictorand::InstallInterfaceLanguage(application, pictorand::TLanguage::English);
    pictorand::TFormGl english;
    saved &= SaveWithSources(english, samples, folder, "main-window-en");
    return saved ? 0 : 1;
}
