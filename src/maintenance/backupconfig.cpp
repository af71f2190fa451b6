#include "backupconfig.h"

namespace tellora {

BackupPathProblem CheckBackupPath(const QString& path)
{
    const std::optional<QByteArray> bytes = files::ToCp1252(path);
    if (!bytes)
        return BackupPathProblem::NotStorable;
    if (bytes->size() > BackupRecordLength)
        return BackupPathProblem::TooLong;
    // The reader drops trailing blanks, so such a path would read back as another folder.
    if (path.endsWith(QLatin1Char(' ')))
        return BackupPathProblem::EndsInBlank;
    return BackupPathProblem::None;
}

QString BackupPathMessage(BackupPathProblem problem)
{
    switch (problem) {
    case BackupPathProblem::TooLong:
        return QStringLiteral("The path of this folder is longer than 75 characters, so it cannot be saved.  "
                              "Choose a folder with a shorter path.");
    case BackupPathProblem::NotStorable:
        return QStringLiteral("The path of this folder holds characters that cannot be saved.  "
                              "Choose another folder.");
    case BackupPathProblem::EndsInBlank:
        return QStringLiteral("The path of this folder ends in a blank, so it cannot be saved.  "
                              "Choose another folder.");
    case BackupPathProblem::None:
        break;
    }
    return {};
}

files::Result SaveBackupPath(const QString& path)
{
    const std::optional<QByteArray> bytes = files::ToCp1252(path);
    if (!bytes || bytes->size() > BackupRecordLength)
        return files::Result { BackupPathMessage(CheckBackupPath(path)) };
    QByteArray record = *bytes;
    record.append(BackupRecordLength - record.size(), ' ');
    // An existing file is rewritten under the name it has on disk.
    const QString name = files::FindPresent(QString::fromLatin1(BackupConfigName)).value_or(BackupConfigName);
    return files::WriteRecord(name, BackupRecordLength, 1, record);
}

BackupConfig ReadBackupConfig()
{
    BackupConfig config;
    const std::optional<QString> name = files::FindPresent(QString::fromLatin1(BackupConfigName));
    if (!name)
        return config;
    QByteArray record;
    if (files::Result r = files::ReadRecord(*name, BackupRecordLength, 1, record); !r) {
        config.state = BackupConfig::State::Unreadable;
        config.error = r.error;
        return config;
    }
    // Only the blanks at the right end go.
    qsizetype end = record.size();
    while (end > 0 && record[end - 1] == ' ')
        --end;
    config.state = BackupConfig::State::Read;
    config.path = files::FromCp1252(record.left(end));
    return config;
}

} // namespace tellora
