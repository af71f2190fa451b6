#include "conversion.h"

#include "scratch.h"

#include "shell/creation.h"

#include "platform/dao/dao.h"
#include "platform/dao/step_cursor.h"

#include <algorithm>
#include <memory>

namespace tellora {

using R = Reading;

const Conversion ToLayout350 {
    { R::Bdate, R::Btime, R::Bsugar, R::Bpressure, R::Bpulse, R::Bweight, R::Bcomm, R::Dpressure, R::Instype, R::Insamt,
        R::Site },
    { R::Bdate, R::Btime, R::Bsugar, R::Bpressure, R::Dpressure, R::Bpulse, R::Bweight, R::Bcomm },
    { R::Instype, R::Insamt, R::Site },
    "This database cannon be converted.",
};

const Conversion ToCurrentLayout {
    { R::Bdate, R::Btime, R::Bsugar, R::Bpressure, R::Bpulse, R::Bweight, R::Bcomm, R::Dpressure, R::Instype, R::Insamt,
        R::Site, R::SPO2, R::Temp },
    { R::Bdate, R::Btime, R::Bsugar, R::Bpressure, R::Dpressure, R::Bpulse, R::Bweight, R::Bcomm, R::Insamt, R::Instype,
        R::Site },
    { R::SPO2, R::Temp },
    "This database cannot be converted.",
};

namespace {

const QString scratchName = QString::fromLatin1(ConversionScratch);

// About a hundred steps of the progress bar, whatever the row count.
long progressStride(long count)
{
    return std::max(1L, count / 100);
}

} // namespace

void MakeScratchDatabase(const Conversion& conversion)
{
    RemoveScratch(scratchName);
    StepPoint("create");
    auto db = dao::DefaultWorkspace().CreateDatabase(ConversionScratch, DatabaseLocale, dao::dbVersion30);
    try {
        dao::TableDef td = db->CreateTableDef("BLOOD");
        for (R::Field f : conversion.target)
            td.Fields.push_back(td.CreateField(FieldName(f), dao::FieldType::Text, ReadingFields[f].size));
        dao::Index ix = td.CreateIndex("Readings");
        ix.Primary = true;
        ix.Unique = false;
        ix.Fields.push_back(ix.CreateField("Bdate"));
        ix.Fields.push_back(ix.CreateField("Btime"));
        td.Indexes.push_back(ix);
        db->AppendTableDef(td);
        db->Close();
    } catch (const dao::Error&) {
        db.reset();
        DiscardScratch(scratchName);
        throw;
    }
}

ConversionResult CopyIntoScratch(
    const Conversion& conversion, const QString& source, const ConversionProgress& progress)
{
    const ConversionResult failed { ConversionEnd::Failed, QString::fromLatin1(conversion.failure) };
    if (SameFileName(source, scratchName)) {
        DiscardScratch(scratchName);
        return failed;
    }
    auto& ws = dao::DefaultWorkspace();
    std::unique_ptr<dao::Database> src, out;
    try {
        src = ws.OpenDatabase(source.toStdString());
        // Held from the first read until the converted copy has replaced it.
        src->HoldExclusively();
        long count = 0;
        {
            auto rs = src->OpenRecordset("BLOOD");
            rs->SetIndex("Readings");
            count = rs->EOF_() ? 0 : rs->RecordCount();
            rs->Close();
        }
        if (count == 0) {
            src->Close();
            DiscardScratch(scratchName);
            return { ConversionEnd::NoRecords, QStringLiteral("There are no records in the selected database.") };
        }
        // The fields the target fills that this source has: a value in one
        // of them would be lost, so the source is refused instead.
        std::vector<R::Field> guarded;
        const dao::TableDef def = src->GetTableDef("BLOOD");
        for (R::Field f : conversion.filled)
            if (def.FindField(FieldName(f))) guarded.push_back(f);

        if (progress.start) progress.start(count);
        out = ws.OpenDatabase(ConversionScratch);
        auto target = out->OpenRecordset("BLOOD");
        {
            dao::Transaction tx(ws);
            dao::StepCursor rows(*src, "BLOOD", "Readings");
            const long stride = progressStride(count);
            long row = 0, shown = 0;
            for (; !rows.EOF_(); rows.MoveNext()) {
                StepPoint("copy");
                ++row;
                Reading r;
                for (R::Field f : conversion.copied) {
                    r[f] = rows.GetValue(FieldName(f));
                    if (!r[f])
                        throw dao::Error(
                            dao::errInvalidUseOfNull, std::string("The field ") + FieldName(f) + " holds no value.");
                }
                for (R::Field f : guarded) {
                    r[f] = rows.GetValue(FieldName(f));
                    if (r.Holds(f))
                        throw dao::Error(dao::errIllegalOperation,
                            std::string("The field ") + FieldName(f)
                                + " holds a value that the conversion would lose.");
                }
                for (R::Field f : conversion.filled)
                    r[f] = std::string(MissingMark);
                target->AddNew();
                for (R::Field f : conversion.target)
                    target->SetValue(FieldName(f), r[f]);
                target->Update();
                if (progress.advance && (row % stride == 0 || row == count)) {
                    progress.advance(row);
                    shown = row;
                }
            }
            if (progress.advance && shown != row) progress.advance(row);
            StepPoint("commit");
            tx.Commit();
        }
        target->Close();
        out->Close();
        ReplaceWithScratch(scratchName, source);
        src->Close();
        return { ConversionEnd::Converted, {} };
    } catch (const dao::Error&) {
        if (out) out->Close();
        if (src) src->Close();
        DiscardScratch(scratchName);
        return failed;
    }
}

ConversionResult ConvertDatabase(
    const Conversion& conversion, const QString& source, const ConversionProgress& progress)
{
    if (SameFileName(source, scratchName)) return { ConversionEnd::Failed, QString::fromLatin1(conversion.failure) };
    try {
        MakeScratchDatabase(conversion);
    } catch (const dao::Error&) {
        return { ConversionEnd::Failed, QString::fromLatin1(conversion.failure) };
    }
    return CopyIntoScratch(conversion, source, progress);
}

} // namespace tellora
