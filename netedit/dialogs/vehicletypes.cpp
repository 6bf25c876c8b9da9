#include "dialogs/vehicletypes.h"

#include "editor/netedit.h"

#include "lane.h"

#include <QComboBox>
#include <QMetaEnum>

namespace Trelvoga {

void fillVehicleTypes(QComboBox *combo, const NetEdit *edit)
{
    const QMetaEnum classes = QMetaEnum::fromType<Trelvoa::Lane::VehicleClass>();
    for (int i = 0; i < classes.keyCount(); ++i) {
        const QString key = QString::fromLatin1(classes.key(i));
        combo->addItem(edit ? edit->dn(key) : key, classes.value(i));
    }
}

void selectVehicleType(QComboBox *combo, int vehicleClass)
{
    const int index = combo->findData(vehicleClass);
    combo->setCurrentIndex(index >= 0 ? index : 0);
}

} // namespace Trelvoga
