#include "scratch.h"

#include "files.h"

#include "platform/dao/dao.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <system_error>

namespace tellora {

namespace {

StepHook& hook()
{
    static StepHook h;
    return h;
}

// Every file of the current folder named `name` without regard to case, or
// named as its journal; hidden ones too, since they are ours to clear.
QStringList namesOnDisk(const QString& name)
{
    QStringList out;
    for (const QString& entry : QDir::current().entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (SameFileName(entry, name) || SameFileName(entry, name + "-journal")) out << entry;
    return out;
}

} // namespace

bool SameFileName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

void RemoveScratch(const QString& name)
{
    StepPoint("remove-leftover");
    for (const QString& entry : namesOnDisk(name))
        if (const files::Result r = files::DeleteFile(entry); !r)
            throw dao::Error(dao::errDiskIO, r.error.toStdString());
}

void DiscardScratch(const QString& name) noexcept
{
    for (const QString& entry : namesOnDisk(name))
        QFile::remove(entry);
}

void ReplaceWithScratch(const QString& scratch, const QString& target)
{
    StepPoint("replace");
    // A read-only database stays read-only once replaced.
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(QFile::encodeName(target).toStdString(), ec);
    if (!ec && fs::exists(status)) fs::permissions(QFile::encodeName(scratch).toStdString(), status.permissions(), ec);
    if (const files::Result r = files::ReplaceFile(scratch, target); !r)
        throw dao::Error(dao::errDiskIO, r.error.toStdString());
    // A journal of the old file must never be played back into the new one.
    QFile::remove(target + "-journal");
}

void SetStepHook(StepHook h)
{
    hook() = std::move(h);
}

void StepPoint(std::string_view step)
{
    if (hook()) hook()(step);
}

} // namespace tellora
