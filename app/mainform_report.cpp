#include <QAbstractPrintDialog>
#include <QAction>
#include <QFontMetrics>
#include <QPrintDialog>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include "app/mainform.h"
#include "app/printreportdlg.h"
#include "app/report.h"
#include "widgets/histogram.h"
#include "platform/core/messages.h"

namespace kivra {

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
    QPrintDialog dlg(&ReportPrinter().Device(), this);
    dlg.setWindowTitle(QStringLiteral("Print Setup"));
    // The report chooses its own pages; the dialog chooses the printer and the paper.
    dlg.setOptions(QAbstractPrintDialog::PrintToFile);
    dlg.exec();
}

void TMainForm::FilePrint() {
    // A report re-reads the model from the panels, which a run must not see change.
    if (Busy() || !PrintReportDlg) return;
    auto tabShown = [this](QWidget* page) { return PageHolder->isTabVisible(PageHolder->indexOf(page)); };
    const bool resultsShown = tabShown(ResultPage), monteShown = tabShown(MontePage);
    PrintReportDlg->FollowPages(resultsShown, monteShown);
    if (PrintReportDlg->exec() != QDialog::Accepted) return;
    const TReportSettings settings = PrintReportDlg->Settings();
    // A model that cannot be read (its message shown) is not printed half-read.
    if (settings.Model && !GetModel(true)) return;

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

    Printer& printer = ReportPrinter();
    TReport report(printer, settings);
    if (report.Print(content)) return;
    if (printer.ToRealPrinter())
        ShowMessage("Unable to print", "Print Error");
    else
        ShowMessage("Unable to open file", "File Error", MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace kivra
