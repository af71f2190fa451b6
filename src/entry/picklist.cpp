#include "picklist.h"

#include "shell/creation.h"

#include "platform/dao/dao.h"

#include <filesystem>

namespace tellora {

namespace {

std::string std8(const QString& s)
{
    return s.toStdString();
}

// Equal as the store's index compares them: letter case of A to Z ignored,
// every other character exact.
bool SameEntry(const QString& a, const QString& b)
{
    if (a.size() != b.size()) return false;
    auto fold = [](QChar c) { return c.unicode() < 128 ? c.toLower() : c; };
    for (qsizetype i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

struct OpenStore {
    std::unique_ptr<dao::Database> db;
    std::unique_ptr<dao::Recordset> rs;

    OpenStore(const PickList& list, const QString& fileName)
    {
        db = dao::DefaultWorkspace().OpenDatabase(std8(fileName));
        rs = db->OpenRecordset(list.table);
        rs->SetIndex(list.index);
    }
    void close()
    {
        rs->Close();
        db->Close();
    }
};

} // namespace

QString StoreFileName(const PickList& list, const QString& baseName)
{
    return baseName + QString::fromLatin1(list.extension);
}

void CreateStore(const PickList& list, const QString& fileName)
{
    // Built under a working name and put in place whole, like a readings
    // database, so a stopped creation never leaves a store without its table.
    dao::DefaultWorkspace().BuildDatabase(std8(fileName), DatabaseLocale, dao::dbVersion30, [&](dao::Database& db) {
        dao::TableDef table = db.CreateTableDef(list.table);
        table.Fields.push_back(table.CreateField(list.field, dao::FieldType::Text, PickEntrySize));
        dao::Index index = table.CreateIndex(list.index);
        index.Primary = true;
        index.Unique = false;
        index.Fields.push_back(index.CreateField(list.field));
        table.Indexes.push_back(index);
        db.AppendTableDef(table);
    });
}

StoreState InspectStore(const PickList& list, const QString& fileName)
{
    const std::string name = std8(fileName);
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(name, ec))) return StoreState::Missing;
    if (!dao::FileExists(name)) return StoreState::Foreign; // a folder, or a link to nothing
    if (std::filesystem::file_size(name, ec) == 0 && !ec) return StoreState::Unfinished;
    std::unique_ptr<dao::Database> db;
    try {
        db = dao::DefaultWorkspace().OpenDatabase(name);
    } catch (const dao::Error& e) {
        // A file another program holds says nothing about its state.
        if (e.Number() == dao::errInUse) throw;
        return StoreState::Damaged;
    }
    StoreState state = StoreState::Store;
    try {
        const dao::TableDef table = db->GetTableDef(list.table);
        if (!table.FindField(list.field) || !table.FindIndex(list.index)) state = StoreState::Foreign;
    } catch (const dao::Error& e) {
        if (e.Number() == dao::errInUse) throw;
        if (e.Number() != dao::errObjectNotFound)
            state = StoreState::Damaged;
        else
            // Made by this program (the engine opened it) and holding nothing.
            state = db->TableDefs().empty() ? StoreState::Unfinished : StoreState::Foreign;
    }
    db->Close();
    return state;
}

QStringList ReadEntries(const PickList& list, const QString& fileName)
{
    QStringList entries;
    if (!dao::FileExists(std8(fileName))) return entries;
    OpenStore store(list, fileName);
    if (!store.rs->EOF_()) {
        store.rs->MoveFirst();
        while (!store.rs->EOF_()) {
            // An entry without a value (written by another program) is
            // passed over; the entries after it still show.
            if (const dao::Value entry = store.rs->GetValue(list.field)) entries << QString::fromStdString(*entry);
            store.rs->MoveNext();
        }
    }
    store.close();
    return entries;
}

bool AddEntry(const PickList& list, const QString& fileName, const QString& text)
{
    OpenStore store(list, fileName);
    store.rs->Seek("=", { std8(text) });
    if (!store.rs->NoMatch()) {
        store.close();
        return false;
    }
    store.rs->AddNew();
    store.rs->SetValue(list.field, std8(text));
    store.rs->Update();
    store.close();
    return true;
}

bool DeleteEntry(const PickList& list, const QString& fileName, const QString& text)
{
    OpenStore store(list, fileName);
    store.rs->Seek("=", { std8(text) });
    const bool found = !store.rs->NoMatch();
    if (found) store.rs->Delete();
    store.close();
    return found;
}

RenameResult RenameEntry(const PickList& list, const QString& fileName, const QString& from, const QString& to)
{
    OpenStore store(list, fileName);
    // The store compares without regard to case, so a case-only change finds
    // the entry itself and is no clash.
    store.rs->Seek("=", { std8(to) });
    if (!store.rs->NoMatch()) {
        const QString found = QString::fromStdString(store.rs->Text(list.field));
        if (!SameEntry(found, from)) {
            store.close();
            return RenameResult::NewExists;
        }
    }
    store.rs->Seek("=", { std8(from) });
    if (store.rs->NoMatch()) {
        store.close();
        return RenameResult::OldNotFound;
    }
    store.rs->Edit();
    store.rs->SetValue(list.field, std8(to));
    store.rs->Update();
    store.close();
    return RenameResult::Renamed;
}

} // namespace tellora
