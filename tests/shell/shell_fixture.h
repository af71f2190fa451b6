#pragma once
// A started program in a scratch program folder, with a recording desktop,
// a fixed time locale and helpers that act as the user would.
#include "shell/bloodmenu.h"
#include "shell/creation.h"
#include "shell/displayrecord.h"
#include "shell/format.h"
#include "shell/makedatabase.h"
#include "shell/mdistart.h"
#include "shell/selectdbase.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"
#include "support/tempdir.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace shelltest {

using forms::Forms;
using namespace tellora;

// A reading as stored: its key, its sugar and its comment; "-" where not given.
struct Row {
    std::string date, time, sugar = MissingMark, comment = MissingMark;
};

// Appends readings to a database through the engine.
inline void writeReadings(const QString& file, const std::vector<Reading>& readings)
{
    auto db = dao::DefaultWorkspace().OpenDatabase(file.toStdString());
    auto rs = db->OpenRecordset("BLOOD");
    for (const Reading& reading : readings) {
        rs->AddNew();
        reading.WriteTo(*rs);
        rs->Update();
    }
    rs->Close();
    db->Close();
}

inline void addReadings(const QString& file, const std::vector<Row>& rows)
{
    std::vector<Reading> readings;
    for (const Row& r : rows) {
        Reading reading = Reading::NothingTaken(r.date, r.time);
        reading[Reading::Bsugar] = r.sugar;
        reading[Reading::Bcomm] = r.comment;
        readings.push_back(reading);
    }
    writeReadings(file, readings);
}

inline std::vector<std::string> storedTimes(const QString& file)
{
    std::vector<std::string> out;
    auto db = dao::DefaultWorkspace().OpenDatabase(file.toStdString());
    auto rs = db->OpenRecordset("BLOOD");
    rs->SetIndex("Readings");
    for (; !rs->EOF_(); rs->MoveNext())
        out.push_back(rs->Text("Bdate") + " " + rs->Text("Btime"));
    return out;
}

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Makes a window the active one and lets the activation settle (a window may
// unload itself on losing it, so the pointer is watched).
inline void activate(QWidget* w)
{
    QPointer<QWidget> p(w);
    p->activateWindow();
    QApplication::setActiveWindow(p);
    for (int i = 0; i < 20 && p && !p->isActiveWindow(); ++i)
        QTest::qWait(5);
    QCoreApplication::processEvents();
}

// Clicks a button as the user does: its window active, the mouse on it.
inline void click(QWidget* button)
{
    activate(button->window());
    QTest::mouseClick(button, Qt::LeftButton);
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        desk.folder = folder.path();
        setTimeLocale(TimeLocale {});
        RegisterShellWindows();
        ASSERT_TRUE(StartProgram());
        activate(panel());
    }
    void TearDown() override
    {
        Forms::Reset();
        flushDeletes();
        resetTimeLocale();
    }

    MDIStart* main() { return Forms::Find<MDIStart>(); }
    BloodMenu* panel() { return Forms::Find<BloodMenu>(); }
    SelectDbase* chooser() { return Forms::Find<SelectDbase>(); }
    DisplayRecord* record() { return Forms::Find<DisplayRecord>(); }

    void makeDatabase(const QString& file, const std::vector<Row>& rows = {})
    {
        CreateReadingsDatabase(file);
        if (!rows.empty()) addReadings(file, rows);
    }

    // "Open An Existing Database", then a double-click on the file (or on
    // the empty list when `file` is empty).
    void open(const QString& file)
    {
        click(&panel()->Command2);
        ASSERT_NE(chooser(), nullptr);
        auto& list = chooser()->File1;
        activate(chooser());
        if (file.isEmpty()) {
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(5, list.viewport()->height() - 5));
            return;
        }
        ASSERT_TRUE(list.SelectFile(file)) << file.toStdString();
        const QRect r = list.visualItemRect(list.currentItem());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, r.center());
    }

    QString shown() { return record() ? record()->Bdate.Text() + " " + record()->Btime.Text() : "no window"; }

    testsupport::ProgramFolder folder;
    forms::RecordingDesktop desk;
};

} // namespace shelltest
