#include "creation.h"

#include "platform/dao/dao.h"

namespace tellora {

void CreateReadingsDatabase(const QString& fileName)
{
    const std::string name = fileName.toStdString();
    auto& ws = dao::DefaultWorkspace();
    // CreateDatabase refuses an existing file, so anything left behind by a
    // failure below is ours to remove.
    auto db = ws.CreateDatabase(name, DatabaseLocale, dao::dbVersion30);
    try {
        dao::TableDef td = db->CreateTableDef("BLOOD");
        std::vector<dao::Field> fields;
        for (const auto& f : ReadingFields)
            fields.push_back(td.CreateField(f.name, dao::FieldType::Text, f.size));
        for (const auto& f : fields)
            td.Fields.push_back(f);
        dao::Index ix = td.CreateIndex("Readings");
        ix.Primary = true;
        ix.Unique = false;
        ix.Fields.push_back(ix.CreateField("Bdate"));
        ix.Fields.push_back(ix.CreateField("Btime"));
        td.Indexes.push_back(ix);
        db->AppendTableDef(td);
        db->Close();
    } catch (...) {
        db->Close();
        dao::RemoveFile(name);
        throw;
    }
}

bool HasCurrentLayout(dao::Database& db)
{
    try {
        const dao::TableDef td = db.GetTableDef("BLOOD");
        for (const auto& f : ReadingFields)
            if (!td.FindField(f.name))
                return false;
        return td.FindIndex("Readings") != nullptr;
    } catch (const dao::Error&) {
        return false;
    }
}

} // namespace tellora
