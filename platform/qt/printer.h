#pragma once
// The printer of the printed report: a real printer when one is set up, a
// PDF file otherwise. Sizes and the canvas are in printer pixels.
#include <memory>
#include <string>

#include "platform/qt/canvas.h"

class QPainter;
class QPrinter;

namespace kivra {

class Printer {
public:
    Printer();
    ~Printer();
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

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
