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

// The scratch file of the current folder named exactly `name`, and its
// journal. A name that differs in case only is someone's file, not ours.
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
    return a == b;
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
    // The caller holds the target exclusively, so no journal of another
    // program's lies beside it: taking the hold played back any it found.
    if (const files::Result r = files::ReplaceFile(scratch, target); !r)
        throw dao::Error(dao::errDiskIO, r.error.toStdString());
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
