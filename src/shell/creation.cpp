#include "creation.h"

#include "platform/dao/dao.h"

namespace tellora {

void CreateReadingsDatabase(const QString& fileName)
{
    // Built under a working name and put in place whole: a creation stopped
    // at any point leaves no file that can be neither opened nor made again.
    dao::DefaultWorkspace().BuildDatabase(
        fileName.toStdString(), DatabaseLocale, dao::dbVersion30, [](dao::Database& db) {
            dao::TableDef td = db.CreateTableDef("BLOOD");
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
            db.AppendTableDef(td);
        });
}

bool HasCurrentLayout(dao::Database& db)
{
    try {
        const dao::TableDef td = db.GetTableDef("BLOOD");
        for (const auto& f : ReadingFields)
            if (!td.FindField(f.name)) return false;
        return td.FindIndex("Readings") != nullptr;
    } catch (const dao::Error&) {
        return false;
    }
}

} // namespace tellora
