#pragma once
// The windows that compact and repair a readings database chosen in their
// list, and the menu commands that compact the open database's pick-list
// stores.
#include "maintenanceform.h"

namespace tellora {

class CompactDbase : public MaintenanceForm {
    Q_OBJECT
public:
    static constexpr const char* FormName = "CompactDbase";
    CompactDbase();

protected:
    void File1_DblClick() override;
};

class RepairDbase : public MaintenanceForm {
    Q_OBJECT
public:
    static constexpr const char* FormName = "RepairDbase";
    RepairDbase();

protected:
    void File1_DblClick() override;
};

// The main window's "Compact &Insulin Names Database" and "Compact Injection
// &Sites Database": nothing when the store is missing, a message when the
// compaction fails.
void mnuUtilitiesCompINDbase_Click();
void mnuUtilitiesCompISDbase_Click();

} // namespace tellora
