#pragma once

class QComboBox;

namespace Trelvoga {

class NetEdit;

// Fills a combo box with one entry per vehicle class of the model (Lane::VehicleClass), the text being
// the editor's display name of the class (its key without an editor), the data the class value.
void fillVehicleTypes(QComboBox *combo, const NetEdit *edit);
// Selects the entry holding the class; the first entry when none does.
void selectVehicleType(QComboBox *combo, int vehicleClass);

} // namespace Trelvoga
