#pragma once
#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A scratch program folder made current for the life of the object, so tests
// address files by bare name as the program does.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    bool exists(const QString& name) const { return QFileInfo::exists(file(name)); }
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir dir_;
    QString previous_;
};

} // namespace testsupport
