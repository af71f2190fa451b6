#include "page_layout.h"

namespace tellora::reports {

using print::Printer;

float HalfTextWidth(Printer& printer, const QString& text)
{
    return float(printer.TextWidth(text)) / 2.0f;
}

void PrintAt(Printer& printer, float x, float y, const QString& text)
{
    printer.SetCurrentX(x);
    printer.SetCurrentY(y);
    printer.Print(text);
}

void PrintCentred(Printer& printer, float centre, float y, const QString& text)
{
    printer.SetCurrentY(y);
    printer.SetCurrentX(centre - HalfTextWidth(printer, text));
    printer.Print(text);
}

void SetUpReportPage(Printer& printer)
{
    printer.SetScaleMode(print::ScaleUnit::Characters);
    printer.Scale(0, 0, 80, 66);
    printer.SetFontName(QString::fromLatin1(ReportFace));
    printer.SetFontSize(12);
    printer.SetFontBold(false);
}

void SetUpLogPage(Printer& printer)
{
    printer.SetScaleMode(print::ScaleUnit::Characters);
    printer.SetDrawWidth(2);
    printer.SetFontName(QString::fromLatin1(ReportFace));
    printer.Scale(0, 0, 110, 51);
    printer.SetFontSize(12);
}

namespace {

struct Heading {
    float y, centre;
    const char* text;
};

constexpr Heading DataHeadings[] = {
    { 8, 31, "BLOOD" },
    { 8, 39, "BLOOD" },
    { 9, 12.25f, "DATE" },
    { 9, 21, "TIME" },
    { 9, 31, "SUGAR" },
    { 9, 39, "PRESSURE" },
    { 9, 48, "PULSE" },
    { 9, 58, "WEIGHT" },
    { 9, 66, "TEMP." },
    { 9, 72.5f, "SPO2" },
};

constexpr Heading LogHeadings[] = {
    { 8.3f, 33.5f, "Blood Sugar" },
    { 9.5f, 11.5f, "Date" },
    { 9.5f, 22.5f, "Time" },
    { 9.5f, 33.5f, "Reading" },
    { 9.5f, 53, "Insulin Injected" },
    { 9.5f, 72, "Dosage" },
    { 9.5f, 90.5f, "Injection Site" },
};

} // namespace

void PrintPageHeader(Printer& printer, int page, int total, const QString& name, const QString& secondLine)
{
    SetUpReportPage(printer);
    PrintAt(printer, 10, 4, QStringLiteral("NAME: ") + name);
    PrintAt(printer, 10, 5, secondLine);
    PrintAt(printer, 10, 6, QStringLiteral("PAGE #: %1 OF %2").arg(page).arg(total));
    printer.SetFontItalic(true);
    for (const Heading& h : DataHeadings)
        PrintCentred(printer, h.centre, h.y, QString::fromLatin1(h.text));
    printer.SetFontItalic(false);
}

void PrintLogPageHeader(Printer& printer, int page, int pages, const QString& name, const QString& secondLine)
{
    printer.SetFontItalic(false);
    printer.SetFontSize(12);
    PrintAt(printer, 6, 4, QStringLiteral("Name: ") + name);
    PrintAt(printer, 6, 5.25f, secondLine);
    PrintAt(printer, 6, 6.5f, QStringLiteral("Page: %1 of  %2").arg(page).arg(pages));
    printer.SetFontSize(20);
    PrintCentred(printer, 55, 6, QStringLiteral("Insulin Injection Log"));
    printer.SetFontItalic(true);
    printer.SetFontSize(12);
    for (const Heading& h : LogHeadings)
        PrintCentred(printer, h.centre, h.y, QString::fromLatin1(h.text));
    printer.SetFontItalic(false);
}

void DrawLogGrid(Printer& printer)
{
    printer.SetScaleMode(print::ScaleUnit::Characters);
    printer.Scale(0, 0, 110, 51);
    printer.SetDrawWidth(2);
    printer.LineStep(6, 8, 98, 0);
    printer.LineStep(6, 11, 98, 0);
    float y = 12.5f;
    for (int k = 0; k < LogRowsPerPage; ++k, y += LogRowPitch)
        printer.LineStep(6, y, 98, 0);
    for (float x : { 6.f, 17.f, 28.f, 39.f, 67.f, 77.f, 104.f })
        printer.LineStep(x, 8, 0, 39);
}

} // namespace tellora::reports
