#pragma once
// Reads a printed PDF back as text, one string per page, with the poppler
// tool a desktop has; tests skip when it is missing.
#include <QProcess>
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

} // namespace kivra::test
