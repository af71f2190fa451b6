#pragma once
// "Delete Database": a double-click deletes the chosen database set for good.
#include "maintenanceform.h"

namespace tellora {

class DeleteDbase : public MaintenanceForm {
    Q_OBJECT
public:
    static constexpr const char* FormName = "DeleteDbase";
    DeleteDbase();

protected:
    void File1_DblClick() override;
};

} // namespace tellora
