#include "bench_support.h"

#include "shell/creation.h"
#include "shell/reading.h"

#include <QDate>
#include <QDir>
#include <SQLiteCpp/SQLiteCpp.h>

#include <filesystem>
#include <sys/resource.h>

namespace benchsupport {

std::string DateOf(long i)
{
    return QDate(2000, 1, 1).addDays(i / 96).toString("yyyy-MM-dd").toStdString();
}

std::string TimeOf(long i)
{
    const int q = int(i % 96);
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d:%02d", q / 4, (q % 4) * 15);
    return buf;
}

std::string ReadingsDatabase(long rows, int logEvery)
{
    const std::string dir = QDir::tempPath().toStdString();
    const std::string name
        = dir + "/tellora-bench-" + std::to_string(rows) + "-" + std::to_string(logEvery) + ".mdb";
    if (std::filesystem::exists(name))
        return name;
    const std::string part = name + ".part";
    std::filesystem::remove(part);
    tellora::CreateReadingsDatabase(QString::fromStdString(part));
    {
        // Bulk load straight through SQLite: the engine's own append is what
        // the benchmarks measure, not what builds the fixture.
        SQLite::Database db(part, SQLite::OPEN_READWRITE);
        db.exec("PRAGMA synchronous=OFF");
        SQLite::Transaction tx(db);
        SQLite::Statement ins(db, "INSERT INTO BLOOD VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)");
        using tellora::Reading;
        auto bind = [&](Reading::Field f, const std::string& value) { ins.bind(int(f) + 1, value); };
        for (long i = 0; i < rows; ++i) {
            const bool log = i % logEvery == 0;
            bind(Reading::Bdate, DateOf(i));
            bind(Reading::Btime, TimeOf(i));
            bind(Reading::Bsugar, std::to_string(80 + i % 120));
            bind(Reading::Bpressure, std::to_string(110 + i % 40));
            bind(Reading::Bpulse, std::to_string(60 + i % 30));
            bind(Reading::Bweight, std::to_string(150 + i % 20));
            bind(Reading::Bcomm, tellora::MissingMark);
            bind(Reading::Dpressure, std::to_string(70 + i % 20));
            bind(Reading::Instype, log ? "Humalog" : tellora::MissingMark);
            bind(Reading::Insamt, log ? "12" : tellora::MissingMark);
            bind(Reading::Site, log ? "Left arm" : tellora::MissingMark);
            bind(Reading::SPO2, std::to_string(90 + i % 10));
            bind(Reading::Temp, "36.6");
            ins.exec();
            ins.reset();
        }
        tx.commit();
    }
    std::filesystem::rename(part, name);
    return name;
}

double PeakMemoryMiB()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

} // namespace benchsupport
