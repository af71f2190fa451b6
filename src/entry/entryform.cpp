#include "entryform.h"

#include "picklist.h"

#include "shell/displayrecord.h"
#include "shell/format.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

namespace tellora {

using forms::Forms;

namespace {
bool isDigit(int code)
{
    return code >= '0' && code <= '9';
}
bool isErase(int code)
{
    return code == 8 || code == 127;
}
} // namespace

QStringList QuarterHourTimes()
{
    QStringList times;
    for (int k = 0; k < 96; ++k) {
        const int hour = k / 4, minute = 15 * (k % 4);
        const int h12 = hour % 12 == 0 ? 12 : hour % 12;
        times << QStringLiteral("%1:%2 %3").arg(h12).arg(minute, 2, 10, QLatin1Char('0')).arg(hour < 12 ? "AM" : "PM");
    }
    return times;
}

void DigitFilter(int& keyAscii)
{
    if (!isDigit(keyAscii) && !isErase(keyAscii)) {
        keyAscii = 0;
        forms::Beep();
    }
}

void DecimalFilter(int& keyAscii)
{
    if (!isDigit(keyAscii) && !isErase(keyAscii) && keyAscii != '.') {
        keyAscii = 0;
        forms::Beep();
    }
}

void DosageFilter(const QString& text, int& keyAscii)
{
    // The length step drops the key first; the digit step then beeps for it.
    if (text.length() == 6 && !isErase(keyAscii)) keyAscii = 0;
    DigitFilter(keyAscii);
}

void FreeTextFilter(const QString& text, int& keyAscii)
{
    if (text.length() == PickEntrySize && !isErase(keyAscii)) keyAscii = 0;
}

ReadingEntryForm::ReadingEntryForm(const QString& name)
    : Form(name, forms::BorderStyle::FixedDialog)
{
    SetFormFont(forms::SansBold975);
    for (forms::TextBox* box : { &Bpressure, &Dpressure, &Bpulse })
        box->KeyPress = [](int& k) { DigitFilter(k); };
    for (forms::TextBox* box : { &Bsugar, &Bweight, &Temp, &Spo2 })
        box->KeyPress = [](int& k) { DecimalFilter(k); };
    Insamt.KeyPress = [this](int& k) { DosageFilter(Insamt.Text(), k); };
    Instype.KeyPress = [this](int& k) { FreeTextFilter(Instype.Text(), k); };
    Site.KeyPress = [this](int& k) { FreeTextFilter(Site.Text(), k); };
    Btime.KeyPress = [](int& k) { k = 0; };
    Bdates.LostFocus = [this] { Bdates_LostFocus(); };

    Bpressure.SetMaxLength(3);
    Dpressure.SetMaxLength(3);
    Bpulse.SetMaxLength(3);
    for (forms::TextBox* box : { &Bsugar, &Bweight, &Temp, &Spo2 })
        box->SetMaxLength(6);
    Bcomm.SetMaxLength(45);
    // The filters bound typing only; these keep pasted text within the fields.
    Instype.SetMaxLength(PickEntrySize);
    Site.SetMaxLength(PickEntrySize);
    Insamt.SetMaxLength(6);
}

void ReadingEntryForm::PlaceControls(const Placement& at, forms::CommandButton& save, const char* saveName,
    const QString& saveCaption, forms::CommandButton& cancel, const char* cancelName)
{
    // Labels stand left of their control, right-aligned against it.
    auto left = [](const forms::Twips& c, int width = 1695) {
        return forms::Twips { c.left - width - 60, c.top + 45, width, 255 };
    };
    auto after = [](const forms::Twips& c) { return forms::Twips { c.left + c.width + 60, c.top + 45, 855, 255 }; };
    const forms::FontSpec heading { QStringLiteral("MS Sans Serif"), 9.75, true, true };
    Layout({
        { &lblDate, "lblDate", "Date of reading:", left(at.Bdates) },
        { .control = &Bdates, .name = "Bdates", .rect = at.Bdates, .tab = 0, .label = &lblDate },
        { &lblTime, "lblTime", "Time of reading:", left(at.Btime) },
        { .control = &Btime, .name = "Btime", .rect = at.Btime, .tab = 1, .label = &lblTime },
        { &lblSugar, "lblSugar", "Blood sugar:", left(at.Bsugar) },
        { .control = &Bsugar, .name = "Bsugar", .rect = at.Bsugar, .tab = 2, .label = &lblSugar },
        { &lblPressure, "lblPressure", "Blood Pressure:", left(at.Bpressure) },
        { .control = &Bpressure, .name = "Bpressure", .rect = at.Bpressure, .tab = 3, .label = &lblPressure },
        { &lblSystolic, "lblSystolic", "systolic", after(at.Bpressure) },
        { .control = &Dpressure, .name = "Dpressure", .rect = at.Dpressure, .tab = 4, .label = &lblDiastolic },
        { &lblDiastolic, "lblDiastolic", "diastolic", after(at.Dpressure) },
        { .control = &lblPulse,
            .name = "lblPulse",
            .caption = "Pulse:",
            .rect = left(at.Bpulse),
            .font = at.pulseLabelFont },
        { .control = &Bpulse, .name = "Bpulse", .rect = at.Bpulse, .tab = 5, .label = &lblPulse },
        { &lblWeight, "lblWeight", "Weight:", left(at.Bweight) },
        { .control = &Bweight, .name = "Bweight", .rect = at.Bweight, .tab = 6, .label = &lblWeight },
        { &lblTemp, "lblTemp", "Temperature:", left(at.Temp, 1455) },
        { .control = &Temp, .name = "Temp", .rect = at.Temp, .tab = 7, .label = &lblTemp },
        { &lblSpo2, "lblSpo2", "SPO2:", left(at.Spo2, 1455) },
        { .control = &Spo2, .name = "Spo2", .rect = at.Spo2, .tab = 8, .label = &lblSpo2 },
        { .control = &lblHeading,
            .name = "lblHeading",
            .caption = "Insulin Dosage Information",
            .rect = { at.headingLeft, at.headingTop, 3135, 255 },
            .font = heading },
        { &lblInstype, "lblInstype", "Insulin Injected:", left(at.Instype, 1455) },
        { .control = &Instype, .name = "Instype", .rect = at.Instype, .tab = 9, .label = &lblInstype },
        { &lblInsamt, "lblInsamt", "Dosage:", left(at.Insamt, 1455) },
        { .control = &Insamt, .name = "Insamt", .rect = at.Insamt, .tab = 10, .label = &lblInsamt },
        { &lblSite, "lblSite", "Injection Site:", left(at.Site, 1455) },
        { .control = &Site, .name = "Site", .rect = at.Site, .tab = 11, .label = &lblSite },
        { &lblComm, "lblComm", "Comments:", left(at.Bcomm) },
        { .control = &Bcomm, .name = "Bcomm", .rect = at.Bcomm, .tab = 12, .label = &lblComm },
        { &save, saveName, saveCaption, at.save, 13 },
        { &cancel, cancelName, "Cancel", at.cancel, 14 },
        { .control = &Bdate,
            .name = "Bdate",
            .rect = { 120, 120, 1215, 285 },
            .font = forms::FontSpec {},
            .visible = false },
    });
    // The heading names both pressure boxes; the word behind each tells them apart.
    LabelBox(Bpressure, { &lblPressure, &lblSystolic });
    LabelBox(Dpressure, { &lblPressure, &lblDiastolic });
    for (forms::Label* l : { &lblDate, &lblTime, &lblSugar, &lblPressure, &lblPulse, &lblWeight, &lblTemp, &lblSpo2,
             &lblInstype, &lblInsamt, &lblSite, &lblComm })
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Bdate.SetLocked(true);
}

forms::TextBox* ReadingEntryForm::ValueBox(Reading::Field field)
{
    switch (field) {
    case Reading::Bsugar:
        return &Bsugar;
    case Reading::Bpressure:
        return &Bpressure;
    case Reading::Dpressure:
        return &Dpressure;
    case Reading::Bpulse:
        return &Bpulse;
    case Reading::Bweight:
        return &Bweight;
    case Reading::Bcomm:
        return &Bcomm;
    case Reading::Temp:
        return &Temp;
    case Reading::SPO2:
        return &Spo2;
    default:
        return nullptr;
    }
}

forms::ComboBox* ReadingEntryForm::ValueList(Reading::Field field)
{
    switch (field) {
    case Reading::Instype:
        return &Instype;
    case Reading::Insamt:
        return &Insamt;
    case Reading::Site:
        return &Site;
    default:
        return nullptr;
    }
}

QString ReadingEntryForm::ValueText(Reading::Field field) const
{
    auto* self = const_cast<ReadingEntryForm*>(this);
    if (forms::TextBox* box = self->ValueBox(field)) return box->Text();
    forms::ComboBox* list = self->ValueList(field);
    return list ? list->Text() : QString();
}

void ReadingEntryForm::SetValueText(Reading::Field field, const QString& text)
{
    // A stored value may be longer than the box takes typed (a comment may
    // use the field's 50 of 45, a file written elsewhere anything): it is
    // kept whole rather than cut on the next save.
    if (forms::TextBox* box = ValueBox(field)) {
        if (box->MaxLength() > 0 && text.size() > box->MaxLength()) box->SetMaxLength(int(text.size()));
        box->SetText(text);
    } else if (forms::ComboBox* list = ValueList(field)) {
        if (list->MaxLength() > 0 && text.size() > list->MaxLength()) list->SetMaxLength(int(text.size()));
        list->SetText(text);
    }
}

Reading ReadingEntryForm::EnteredReading() const
{
    Reading r;
    r.SetText(Reading::Bdate, Bdate.Text());
    r.SetText(Reading::Btime, FormatShortTime(Btime.Text()));
    // Only an exactly empty text is a value not taken; blanks are kept.
    for (Reading::Field f : ValueFields) {
        const QString text = ValueText(f);
        r.SetText(f, text.isEmpty() ? QString::fromLatin1(MissingMark) : text);
    }
    return r;
}

void ReadingEntryForm::FillDosages()
{
    for (int dose = 1; dose <= 200; ++dose)
        Insamt.AddItem(QString::number(dose));
}

void ReadingEntryForm::FillTimes()
{
    for (const QString& time : QuarterHourTimes())
        Btime.AddItem(time);
}

void ReadingEntryForm::FillPickLists()
{
    const QString base = OpenBaseName();
    auto fill = [&](const PickList& list, forms::ComboBox& combo) {
        try {
            for (const QString& entry : ReadEntries(list, StoreFileName(list, base)))
                combo.AddItem(entry);
        } catch (const dao::Error&) {
            // An unreadable store offers nothing; the user can still type.
        }
    };
    fill(InsulinNames, Instype);
    fill(InjectionSites, Site);
}

ReadingEntryForm::Lookup ReadingEntryForm::LookUpKey(const QString& date, const QString& time)
{
    bool found = false;
    try {
        ReadingsTable readings = OpenReadings();
        // A reading stored under either time separator has this time.
        if (SeekReading(*readings.rs, date, time)) {
            found = true;
            if (auto* record = Forms::Find<DisplayRecord>()) {
                record->ShowRecord(*readings.rs);
                record->AnnounceReading();
            }
        }
        readings.Close();
    } catch (const dao::Error& e) {
        forms::MsgBox(QString::fromLatin1(CheckFailedMessage) + QString::fromStdString(e.what()));
        return Lookup::Failed;
    }
    if (!found) return Lookup::Free;
    forms::Beep();
    forms::MsgBox(DuplicateMessage);
    Unload();
    return Lookup::Found;
}

void ReadingEntryForm::WriteFields(dao::Recordset& rs, const Reading* replaced, bool timeKept) const
{
    Reading entered = EnteredReading();
    if (replaced && timeKept) entered[Reading::Btime] = (*replaced)[Reading::Btime];
    for (int f = 0; f < Reading::FieldCount; ++f) {
        const auto field = Reading::Field(f);
        // What the edit left as it was goes back whole, however long.
        if (replaced && entered[field] == (*replaced)[field])
            rs.SetStoredValue(FieldName(field), entered[field]);
        else
            rs.SetValue(FieldName(field), entered[field]);
    }
}

void ReadingEntryForm::CopyToDisplay(DisplayRecord& record, long long row) const
{
    const Reading entered = EnteredReading();
    record.Bdates.SetText(FormatShortDate(Bdates.Stored()));
    record.Bdate.SetText(entered.Text(Reading::Bdate));
    // The time as the list shows it, not reformatted.
    record.Btime.SetText(Btime.Text());
    for (Reading::Field f : ValueFields) {
        forms::TextBox& box = record.ValueBox(f);
        const QString text = entered.Text(f);
        if (box.MaxLength() > 0 && text.size() > box.MaxLength()) box.SetMaxLength(int(text.size()));
        box.SetText(text);
    }
    record.SetShownRow(row);
}

void ReadingEntryForm::ReportSaveFailure(const dao::Error& e)
{
    forms::MsgBox(QString::fromLatin1(SaveFailedMessage) + QString::fromStdString(e.what()));
}

void ReadingEntryForm::Bdates_LostFocus()
{
    Bdate.SetText(Bdates.Stored());
}

} // namespace tellora
