#pragma once
// The printer of the printed report: a real printer when one is set up, a
// PDF file otherwise. Sizes and the canvas are in printer pixels.
#include <QPageSize>
#include <memory>
#include <string>

#include "platform/qt/canvas.h"

class QLocale;
class QPainter;
class QPrinter;

namespace kivra {

class Printer {
public:
    Printer();
    ~Printer();
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // Whether the system has a printer at all; without one a report is a PDF file.
    static bool SystemHasPrinter();
    // The paper a PDF file starts on: Letter where the locale measures in
    // inches, A4 elsewhere.
    static QPageSize::PageSizeId LocalePaper(const QLocale& locale);

    // True when the output goes to a printer of the system, false for a PDF file.
    bool ToRealPrinter() const;
    // Sends the next job to a PDF file instead of a printer.
    void SetOutputFile(const std::string& path);
    // The file last given to SetOutputFile; empty before.
    std::string OutputFile() const { return file_; }

    // Starts a job on the first page; false when the printer or file refuses.
    bool BeginDoc();
    void NewPage();
    void EndDoc();
    bool Printing() const { return canvas_ != nullptr; }
    int PageNumber() const { return page_; }

    // The paper of the next job: its size in points as it stands upright (0 x 0
    // keeps the present paper) and whether the page lies across.
    void SetPaper(int width, int height, bool landscape);
    int PaperWidth() const;
    int PaperHeight() const;
    bool Landscape() const;

    // Printable page size in printer pixels and the printer's pixels per inch.
    int PageWidth() const;
    int PageHeight() const;
    int Resolution() const;

    // Valid between BeginDoc and EndDoc.
    Canvas& GetCanvas() { return *canvas_; }
    // For the printer set-up dialog.
    QPrinter& Device() { return *printer_; }

private:
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<Canvas> canvas_;
    std::string file_;
    int page_ = 0;
};

} // namespace kivra
