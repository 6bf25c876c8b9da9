#pragma once

#include "trelvoa_global.h"

#include <QSet>
#include <QString>
#include <QStringRef>

namespace Trelvoa {

// SUMO's vehicle class names (vClass) in terms of the model's vehicle class bits
// (Lane::VehicleClasses). The model has fewer classes than SUMO, so several SUMO names share a bit
// (truck, trailer and delivery all mean vcTruck) and some have none (ship, aircraft, cable_car, ...).
// Mapping, by model bit (its own SUMO class first):
//   vcPrivate    private
//   vcPassenger  passenger; hov, taxi, evehicle
//   vcEmergency  emergency; authority, army, vip
//   vcBus        bus (with vcTrolleybus: SUMO has no trolleybus class); coach
//   vcTruck      truck; trailer, delivery
//   vcTram       tram; rail_urban, rail, rail_electric, rail_fast, subway (the model's one track class)
//   vcMotorcycle motorcycle; moped
//   vcBicycle    bicycle; scooter
//   vcPedestrian pedestrian; wheelchair
//   none         ship, aircraft, cable_car, drone, container, custom1, custom2, ignoring
// A bit is set when its own class is allowed, or when an allow list names one of its other classes.
class TRELVOA_EXPORT SumoVehicleClasses
{
public:
    // The model bits of one SUMO class name; 0 with *known false for a name SUMO does not define.
    static int fromName(QStringRef name, bool *known = nullptr);

    // The model classes of a SUMO lane given its allow and disallow attributes (either may be absent;
    // neither means every class, "all" is every class). Names SUMO does not define are ignored and
    // collected in *unknown; names in an allow list that the model cannot represent in *dropped (so a
    // lane for ships alone ends up with no class). Both sets may be null.
    static int fromAllowDisallow(bool hasAllow, QStringRef allow, bool hasDisallow, QStringRef disallow,
                                 QSet<QString> *unknown = nullptr, QSet<QString> *dropped = nullptr);

    // Every model class: the sum of the bits above.
    static constexpr int kAll = 0x9A2923;

    // The other direction, for writing SUMO files: the SUMO classes standing for model bits, as the
    // attribute that says it shortest ("allow" or "disallow") and its value. Every model bit brings all
    // of its SUMO classes (vcTruck: truck, trailer, delivery); classes without a bit count as allowed
    // only when every model class is. No attribute (both empty) means every class; a lane without a
    // class gets disallow "all". Only classes SUMO 1.15 knows are named, so that its tools read them.
    static void toAllowDisallow(int bits, QString *attribute, QString *value);
    // The SUMO class a single model bit stands for ("passenger" for vcPassenger, "bus" for
    // vcTrolleybus); empty for anything else.
    static QString primaryName(int bit);

private:
    static quint64 sumoSet(QStringRef list, QSet<QString> *unknown, bool *all);
};

} // namespace Trelvoa
