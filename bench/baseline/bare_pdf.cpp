// The report baseline: the standard report's texts for 5,000 readings (100
// data pages and two summary pages) drawn by QPainter straight into a PDF, in
// a process of its own, so the allocator is as Qt leaves it. Links Qt Gui
// alone. Arguments: the PDF's path, the first reading's number, how many
// times to draw it; prints the seconds each took, one a line.
#include <QDate>
#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <cstdio>
#include <cstdlib>

namespace {

// As the benchmark fixtures write them: one reading every 15 minutes from 2000-01-01.
QString DateOf(long i)
{
    return QDate(2000, 1, 1).addDays(i / 96).toString("yyyy-MM-dd");
}

QString TimeOf(long i)
{
    const int q = int(i % 96);
    return QStringLiteral("%1:%2").arg(q / 4, 2, 10, QLatin1Char('0')).arg((q % 4) * 15, 2, 10, QLatin1Char('0'));
}

void Draw(const QString& path, long first)
{
    QFont face(QStringLiteral("Times New Roman"));
    face.setPointSize(12);
    QFont italic = face;
    italic.setItalic(true);
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18)));
    QPainter painter(&writer);
    const double ux = writer.width() / 80.0, uy = writer.height() / 66.0;
    long reading = first;
    auto text = [&](double x, double y, const QString& s) { painter.drawText(QPointF(x * ux, y * uy + 3 * ux), s); };
    for (int page = 1; page <= 102; ++page) {
        if (page > 1) writer.newPage();
        painter.setFont(face);
        text(10, 4, QStringLiteral("NAME: tellora-bench"));
        text(10, 5, QStringLiteral("DATE: 12/10/2026"));
        text(10, 6, QStringLiteral("PAGE #: %1 OF 102").arg(page));
        if (page > 100) {
            for (int row = 7; row <= 58; ++row)
                text(10, row, QStringLiteral("Lowest AM Blood Sugar Reading:  80   1/1/2000   12:00 AM"));
            continue;
        }
        painter.setFont(italic);
        for (const char* h :
            { "BLOOD", "BLOOD", "DATE", "TIME", "SUGAR", "PRESSURE", "PULSE", "WEIGHT", "TEMP.", "SPO2" })
            text(30, 9, QString::fromLatin1(h));
        painter.setFont(face);
        for (int line = 11; line <= 60; ++line, ++reading) {
            text(10, line, DateOf(reading));
            text(19, line, TimeOf(reading));
            for (int c = 0; c < 6; ++c)
                text(30 + 8 * c, line, QString::number(80 + (reading + c) % 120));
        }
    }
    painter.end();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 4) return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const long first = std::atol(argv[2]);
    const int times = std::atoi(argv[3]);
    for (int i = 0; i < times; ++i) {
        QElapsedTimer t;
        t.start();
        Draw(path, first);
        std::printf("%.6f\n", double(t.nsecsElapsed()) / 1e9);
    }
    return 0;
}
