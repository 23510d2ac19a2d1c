#pragma once
// Reads a printed PDF back as text, one string per page, or as words with
// their places, with the poppler tool a desktop has; tests skip when it is
// missing.
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <vector>

namespace kivra::test {

inline bool HaveTextReader() { return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(); }

inline std::vector<QString> PdfPageTexts(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000)) return {};
    std::vector<QString> pages;
    for (const QString& page : QString::fromUtf8(p.readAllStandardOutput()).split(QChar('\f')))
        pages.push_back(page);
    if (!pages.empty() && pages.back().trimmed().isEmpty()) pages.pop_back();
    return pages;
}

// A word of a printed page and its box, in points from the page's top left.
struct PdfWord {
    int Page = 0;  // from 1
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    QString Text;
    double PageWidth = 0, PageHeight = 0;
};

// Every word of the file in reading order.
inline std::vector<PdfWord> PdfWords(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000)) return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression tag(
        QStringLiteral("(<page width=\"([0-9.]+)\" height=\"([0-9.]+)\")|<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                       "yMax=\"([0-9.]+)\">([^<]*)</word>"));
    std::vector<PdfWord> words;
    int page = 0;
    double width = 0, height = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength(1) > 0) {
            ++page;
            width = m.captured(2).toDouble();
            height = m.captured(3).toDouble();
            continue;
        }
        words.push_back({page, m.captured(4).toDouble(), m.captured(5).toDouble(), m.captured(6).toDouble(),
                         m.captured(7).toDouble(), m.captured(8), width, height});
    }
    return words;
}

} // namespace kivra::test
