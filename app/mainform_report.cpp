#include <QAbstractPrintDialog>
#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <memory>

#include "app/mainform.h"
#include "app/printreportdlg.h"
#include "app/report.h"
#include "widgets/histogram.h"
#include "platform/core/messages.h"

namespace kivra {
namespace {

// The report file offered first: in the user's documents folder, or in the
// home folder where there is none.
std::string FirstReportFile() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QDir dir = !documents.isEmpty() && QDir(documents).exists() ? QDir(documents) : QDir::home();
    return dir.filePath(QStringLiteral("KivraXP report.pdf")).toStdString();
}

// Print asks for a PDF file's name itself. The print dialog's own file field
// would, on closing, ask to overwrite that file or refuse a missing folder, and
// create and remove the file to try it. Each time the dialog shows (which shows
// the field again) the field is hidden and names a file in an empty folder.
class HideFileField : public QObject {
public:
    explicit HideFileField(QDialog* dialog) : QObject(dialog), dialog_(dialog) { dialog->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != dialog_ || event->type() != QEvent::Show) return false;
        if (auto* field = dialog_->findChild<QLineEdit*>(QStringLiteral("filename"))) {
            field->setText(scratch_.filePath(QStringLiteral("report.pdf")));
            field->hide();
        }
        for (const char* name : {"lOutput", "fileBrowser"})
            if (auto* w = dialog_->findChild<QWidget*>(QString::fromLatin1(name))) w->hide();
        return false;
    }

private:
    QDialog* dialog_;
    QTemporaryDir scratch_;
};

} // namespace

void TMainForm::ConnectReportCommands() {
    connect(FilePrintItem, &QAction::triggered, this, [this] { FilePrint(); });
    connect(PrintButton, &QToolButton::clicked, this, [this] { FilePrint(); });
    connect(FilePrintSetupItem, &QAction::triggered, this, [this] { PrintSetupDialog(); });
}

Printer& TMainForm::ReportPrinter() {
    if (!PrinterObj) PrinterObj = std::make_unique<Printer>();
    return *PrinterObj;
}

void TMainForm::PrintSetupDialog() {
    Printer& printer = ReportPrinter();
    // The dialog opens on the paper kept from the last setup.
    if (PrintReportDlg) {
        const TReportSettings kept = PrintReportDlg->Settings();
        printer.SetPaper(kept.PaperWidth, kept.PaperHeight, kept.Landscape);
    }
    std::unique_ptr<QDialog> dlg;
    if (Printer::SystemHasPrinter()) {
        auto print = std::make_unique<QPrintDialog>(&printer.Device(), this);
        // The report chooses its own pages; the dialog chooses the printer and
        // (under Properties) the paper.
        print->setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
        // Setting up prints nothing: its button confirms a choice.
        for (QDialogButtonBox* buttons : print->findChildren<QDialogButtonBox*>())
            if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("OK"));
        new HideFileField(print.get());
        dlg = std::move(print);
    } else {
        // With no printer to choose, a PDF file's paper and orientation are all there is.
        dlg = std::make_unique<QPageSetupDialog>(&printer.Device(), this);
    }
    dlg->setWindowTitle(QStringLiteral("Print Setup"));
    if (dlg->exec() == QDialog::Accepted && PrintReportDlg)
        PrintReportDlg->KeepPaper(printer.PaperWidth(), printer.PaperHeight(), printer.Landscape());
}

void TMainForm::FilePrint() {
    // A report re-reads the model from the panels, which a run must not see change.
    if (Busy() || !PrintReportDlg) return;
    // The model is read before the dialogs that follow: no page may go meanwhile.
    TCommandScope command(*this);
    if (command.Refused()) return;
    auto tabShown = [this](QWidget* page) { return PageHolder->isTabVisible(PageHolder->indexOf(page)); };
    // Results of a run on a model since replaced are not printed under it.
    const bool resultsShown = tabShown(ResultPage), monteShown = tabShown(MontePage) && !MonteModelReplaced;
    PrintReportDlg->FollowPages(resultsShown, monteShown);
    if (PrintReportDlg->exec() != QDialog::Accepted) return;
    const TReportSettings settings = PrintReportDlg->Settings();
    // A model that cannot be read (its message shown) is not printed half-read.
    if (settings.Model && !GetModel(true)) return;
    // A report that becomes a PDF file goes where the user says, the last file
    // offered again.
    Printer& printer = ReportPrinter();
    if (!printer.ToRealPrinter()) {
        std::string file = printer.OutputFile().empty() ? FirstReportFile() : printer.OutputFile();
        if (!AskFileName(FileDialog::ReportSave, file)) return;
        printer.SetOutputFile(file);
    }

    TReportContent content;
    content.Plots = Plots;
    content.Model = &Model;
    content.ResultsShown = resultsShown;
    content.Results.View = &Results;
    for (int c = 0; c < ResultGrid->columnCount(); ++c) content.Results.ColWidths.push_back(ResultGrid->columnWidth(c));
    content.Results.ScreenZeroWidth = QFontMetrics(ResultGrid->font()).horizontalAdvance(QLatin1Char('0'));
    content.MonteShown = monteShown;
    content.Monte = {MonteCycles, MonteSucceeded, MonteMaxIter, MonteVariation, MonteNoise};
    for (const auto& core : Histograms) {
        auto* h = dynamic_cast<THistogram*>(core.get());
        if (!h) continue;
        TReportHistogram rh;
        rh.Title = h->Title;
        rh.SetValue = h->SetValue;
        rh.Mean = h->Mean;
        rh.StdDev = h->StdDev;
        rh.Print = [h](Canvas& c, int left, int top, int width, int height, int dataPen, int framePen,
                       bool useColor) { h->Print(c, left, top, width, height, dataPen, framePen, useColor); };
        content.Histograms.push_back(std::move(rh));
    }

    TReport report(printer, settings);
    if (report.Print(content)) {
        if (!printer.ToRealPrinter()) {
            // The status line shows the file's name, its two ends where it is
            // too long for the panel; the tool tip holds the whole path.
            const QString path = QString::fromStdString(printer.OutputFile()), said = QStringLiteral("Report written to ");
            const QFontMetrics fm = StatusPanel0->fontMetrics();
            const int room = StatusPanel0->contentsRect().width() - fm.horizontalAdvance(said + QLatin1Char('x'));
            SetStatusText((said + fm.elidedText(QFileInfo(path).fileName(), Qt::ElideMiddle, room)).toStdString());
            StatusPanel0->setToolTip(path);
        }
        return;
    }
    if (printer.ToRealPrinter())
        ShowMessage("Unable to print", "Print Error");
    else
        ShowMessage("Unable to open file", "File Error", MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace kivra
