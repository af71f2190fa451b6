#pragma once
// The printed page layout every report shares: the two page kinds with their
// scales, the page headers, the injection log's ruled grid and the centring of
// a text on a column.
//
//   portrait report page   (0, 0)-(80, 66) over the printable area; data pages
//                          and summary pages; "Times New Roman" 12, headings italic
//   landscape log page     (0, 0)-(110, 51); the injection log; the title 20 point,
//                          the grid in lines of width 2
//
// A position (x, y) is the top-left corner of a text's line, in single
// precision as the reports compute it. Every routine works on the printer it
// is given and on the document the calling report has begun; none catches an
// error: a printer failure goes to the report.
#include "platform/print/printer.h"

#include <QString>

namespace tellora::reports {

inline constexpr const char* ReportFace = "Times New Roman";

// Half the printed width of `text` in the printer's current font and
// horizontal units. Measures only; an empty text gives 0.
float HalfTextWidth(print::Printer& printer, const QString& text);
// Prints `text` with its top-left corner at (x, y).
void PrintAt(print::Printer& printer, float x, float y, const QString& text);
// Prints `text` centred on the column whose centre is `centre`: at the
// centre less HalfTextWidth, measured in the font it is printed in.
void PrintCentred(print::Printer& printer, float centre, float y, const QString& text);

// The portrait report page's scale and font: character cells, then the
// user scale (0, 0)-(80, 66), "Times New Roman" 12, bold off. Orientation
// and italic are left alone.
void SetUpReportPage(print::Printer& printer);
// The landscape log page's set-up after its first page: character cells, line
// width 2, "Times New Roman", the scale (0, 0)-(110, 51), 12 point.
void SetUpLogPage(print::Printer& printer);

// The header of a standard-report data page: sets up the report page, then
// "NAME: " name at row 4, `secondLine` at row 5 ("DATE: " and today, or the
// date range), "PAGE #: page OF total" at row 6, and the italic column
// headings of rows 8 and 9. Leaves 12 point, upright, not bold.
void PrintPageHeader(print::Printer& printer, int page, int total, const QString& name, const QString& secondLine);

// The header of an injection-log page, on the log page's scale and face set
// by the caller: "Name: " name at (6, 4), `secondLine` at (6, 5.25) ("Date: "
// and today, or the range), "Page: page of  pages" at (6, 6.5), the 20-point
// title centred on 55 and the italic column headings. Leaves 12 point, upright.
void PrintLogPageHeader(print::Printer& printer, int page, int pages, const QString& name, const QString& secondLine);

// Rules one injection-log page: sets the log page's scale and line width 2,
// then the top and heading rules, 24 row rules and 7 column rules spanning
// x 6 to 104 and y 8 to 47. Prints no text; the font is untouched.
void DrawLogGrid(print::Printer& printer);

// The log's grid: rows per page, the first row's text top, the row pitch and
// the six column centres (date, time, blood sugar, insulin, dosage, site).
inline constexpr int LogRowsPerPage = 24;
inline constexpr float LogFirstRowY = 11.15f;
inline constexpr float LogRowPitch = 1.5f;
inline constexpr float LogColumnCentres[6] = { 11.5f, 22.5f, 33.5f, 53.f, 72.f, 90.5f };

} // namespace tellora::reports
