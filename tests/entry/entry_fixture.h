#pragma once
// A readings database in a scratch program folder, opened in DisplayRecord
// through the shell's own windows, with the entry windows registered.
#include "entry/register.h"

#include "shell/creation.h"
#include "shell/displayrecord.h"
#include "shell/format.h"
#include "shell/mdistart.h"
#include "shell/selectdbase.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/datepicker.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

#include "support/tempdir.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <map>
#include <optional>
#include <string>

namespace entrytest {

inline const QString Base = QStringLiteral("JOHN_DOE");
inline const QString DbFile = QStringLiteral("JOHN_DOE.mdb");
inline const QDate Today(2024, 3, 15);

using Row = std::map<std::string, std::string>;

class EntryTest : public ::testing::Test {
protected:
    testsupport::ProgramFolder folder;
    forms::RecordingDesktop desk;

    void SetUp() override
    {
        tellora::setTimeLocale(tellora::TimeLocale {});
        desk.clock = QDateTime(Today, QTime(9, 0));
        tellora::RegisterShellWindows();
        tellora::RegisterEntryWindows();
        tellora::CreateReadingsDatabase(DbFile);
    }

    void TearDown() override
    {
        forms::Forms::Reset();
        tellora::resetTimeLocale();
    }

    // Writes a reading through the engine; unnamed values are "-".
    static void AddReading(const std::string& date, const std::string& time, Row values = {})
    {
        tellora::Reading reading = tellora::Reading::NothingTaken(date, time);
        for (const auto& [name, value] : values)
            reading[tellora::Reading::FieldNamed(name)] = value;
        auto db = dao::DefaultWorkspace().OpenDatabase(DbFile.toStdString());
        auto rs = db->OpenRecordset("BLOOD");
        rs->AddNew();
        reading.WriteTo(*rs);
        rs->Update();
        rs->Close();
        db->Close();
    }

    // The stored reading with that key, or nothing.
    static std::optional<Row> Stored(const std::string& date, const std::string& time)
    {
        auto db = dao::DefaultWorkspace().OpenDatabase(DbFile.toStdString());
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        rs->Seek("=", { date, time });
        std::optional<Row> row;
        if (!rs->NoMatch()) {
            const tellora::Reading stored = tellora::Reading::From(*rs);
            row.emplace();
            for (int f = 0; f < tellora::Reading::FieldCount; ++f)
                (*row)[tellora::ReadingFields[f].name] = stored.RequiredText(tellora::Reading::Field(f)).toStdString();
        }
        rs->Close();
        db->Close();
        return row;
    }

    static long Count()
    {
        auto db = dao::DefaultWorkspace().OpenDatabase(DbFile.toStdString());
        auto rs = db->OpenRecordset("BLOOD");
        const long n = rs->RecordCount();
        rs->Close();
        db->Close();
        return n;
    }

    // Runs SQL on the file behind the engine's back (to inject a fault).
    static void Sql(const QString& file, const std::string& sql)
    {
        SQLite::Database db(file.toStdString(), SQLite::OPEN_READWRITE);
        db.exec(sql);
    }

    // A pick-list editor opened from the main window's menu, and active:
    // the focus lands once the window is active.
    template<class T> T* OpenEditor(const char* menu)
    {
        forms::Forms::Find<tellora::MDIStart>()->Menu[menu].Trigger();
        T* w = forms::Forms::Find<T>();
        if (w) {
            QApplication::setActiveWindow(w);
            EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        }
        return w;
    }

    // Starts the program and opens the database as the user would.
    tellora::DisplayRecord* Open()
    {
        EXPECT_TRUE(tellora::StartProgram());
        auto* select = forms::Forms::Load<tellora::SelectDbase>();
        EXPECT_NE(select, nullptr);
        select->File1.Refresh();
        EXPECT_TRUE(select->File1.SelectFile(DbFile));
        select->File1.DblClick();
        auto* record = forms::Forms::Find<tellora::DisplayRecord>();
        EXPECT_NE(record, nullptr);
        return record;
    }

    template<class T> T* LoadWindow()
    {
        forms::Forms::Load(QString::fromLatin1(T::FormName));
        T* w = forms::Forms::Find<T>();
        if (w) {
            QApplication::setActiveWindow(w);
            w->activateWindow();
        }
        return w;
    }

    // Moves the focus as a user would with the mouse or Tab.
    static void Focus(QWidget& w)
    {
        w.setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }

    static void Click(QWidget& w)
    {
        QTest::mouseClick(&w, Qt::LeftButton);
        QApplication::processEvents();
    }

    std::vector<QString> Texts() const
    {
        std::vector<QString> t;
        for (const auto& m : desk.messages)
            t.push_back(m.text);
        return t;
    }
};

} // namespace entrytest
