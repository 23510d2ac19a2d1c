#pragma once
// Edit boxes the program fills show the whole value: the text goes in with the
// cursor at its start, and a box is at least as wide as the longest value it is
// filled with, in the font it shows.
#include <QString>
#include <initializer_list>
#include <vector>

class QLineEdit;
class QWidget;

namespace kivra {

// The widest texts of the number format (FormatValue) for magnitudes between
// 1e-99 and 1e99, a "+" being wider than a "-" in most fonts: a value that is
// never negative (rates, concentrations, times, flows) and one that may be.
inline const QString LongestValue = QStringLiteral("8.888e+88");
inline const QString LongestSignedValue = QStringLiteral("-8.888e+88");

// Puts text into box with the cursor at its start, so that a box too narrow
// for it still shows where it begins.
void FillBox(QLineEdit* box, const QString& text);

// The width in which box shows text whole.
int WholeTextWidth(const QLineEdit* box, const QString& text);

// Widens a column of controls that share one left edge and width (its edit
// boxes measure the room) until they show `longest` whole. The room comes first
// from the gap on the column's left, keeping clear of `leftOf` (null: the column
// keeps its left edge), then from moving every child of `containers` that stands
// right of the column over. Returns how far those moved.
int WidenColumn(const std::vector<QWidget*>& column, const QString& longest, const QWidget* leftOf,
                std::initializer_list<QWidget*> containers);

} // namespace kivra
