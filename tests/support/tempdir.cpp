#include "tempdir.h"

#include <QFile>

namespace testsupport {

ProgramFolder::ProgramFolder()
    : previous_(QDir::currentPath())
{
    QDir::setCurrent(dir_.path());
}

ProgramFolder::~ProgramFolder()
{
    QDir::setCurrent(previous_);
}

void ProgramFolder::write(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

QByteArray ProgramFolder::read(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace testsupport
