#include "platform/qt/printer.h"

#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace kivra {
namespace {
// A PDF page has no resolution of its own; this one keeps printed pen widths
// (given in printer pixels) close to those on an office printer.
constexpr int PdfResolution = 600;
} // namespace

Printer::Printer() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    // Without a printer of the system a job becomes a PDF file; its name is the
    // caller's to ask for.
    if (QPrinterInfo::defaultPrinter().isNull()) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setResolution(PdfResolution);
        printer_->setPageSize(QPageSize(LocalePaper(QLocale::system())));
    }
}

bool Printer::SystemHasPrinter() { return !QPrinterInfo::availablePrinters().isEmpty(); }

// A locale that measures in miles and pounds prints on Letter; the British
// one measures in both, on A4.
QPageSize::PageSizeId Printer::LocalePaper(const QLocale& locale) {
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4;
}

Printer::~Printer() {
    if (Printing()) EndDoc();
}

bool Printer::ToRealPrinter() const { return printer_->outputFormat() == QPrinter::NativeFormat; }

void Printer::SetOutputFile(const std::string& path) {
    file_ = path;
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString::fromStdString(path));
    printer_->setResolution(PdfResolution);
}

bool Printer::BeginDoc() {
    if (Printing()) return false;
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        painter_.reset();
        return false;
    }
    canvas_ = std::make_unique<Canvas>(painter_.get());
    page_ = 1;
    return true;
}

void Printer::NewPage() {
    if (!Printing()) return;
    if (printer_->newPage()) ++page_;
}

void Printer::EndDoc() {
    if (!Printing()) return;
    canvas_.reset();
    painter_->end();
    painter_.reset();
}

void Printer::SetPaper(int width, int height, bool landscape) {
    if (width > 0 && height > 0) printer_->setPageSize(QPageSize(QSize(width, height), QString(), QPageSize::FuzzyMatch));
    printer_->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

int Printer::PaperWidth() const { return printer_->pageLayout().pageSize().sizePoints().width(); }
int Printer::PaperHeight() const { return printer_->pageLayout().pageSize().sizePoints().height(); }
bool Printer::Landscape() const { return printer_->pageLayout().orientation() == QPageLayout::Landscape; }

int Printer::PageWidth() const { return printer_->width(); }
int Printer::PageHeight() const { return printer_->height(); }
int Printer::Resolution() const { return printer_->resolution(); }

} // namespace kivra
