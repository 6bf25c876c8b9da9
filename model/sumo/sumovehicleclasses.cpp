#include "sumovehicleclasses.h"

#include <QHash>
#include <QStringList>
#include <QVector>

#include <algorithm>
#include <utility>

namespace Trelvoa {

namespace {
// The bits of Lane::VehicleClass; spelled out so that this table reads on its own.
enum : int {
    Private = 0x000001,
    Emergency = 0x000002,
    Passenger = 0x000020,
    Bus = 0x000100,
    Truck = 0x000800,
    Tram = 0x002000,
    Trolleybus = 0x020000,
    Motorcycle = 0x080000,
    Pedestrian = 0x100000,
    Bicycle = 0x800000,
};

struct ClassInfo
{
    int index;    // position in SUMO's set of classes
    int bits;     // model bits
    bool primary; // the SUMO class the bits stand for
};

const QHash<QString, ClassInfo> &classTable()
{
    static const QHash<QString, ClassInfo> table = [] {
        struct Entry
        {
            const char *name;
            int bits;
            bool primary;
        };
        const Entry classes[] = {
            {"private", Private, true},
            {"passenger", Passenger, true},
            {"hov", Passenger, false},
            {"taxi", Passenger, false},
            {"evehicle", Passenger, false},
            {"emergency", Emergency, true},
            {"authority", Emergency, false},
            {"army", Emergency, false},
            {"vip", Emergency, false},
            {"bus", Bus | Trolleybus, true},
            {"coach", Bus, false},
            {"truck", Truck, true},
            {"trailer", Truck, false},
            {"delivery", Truck, false},
            {"tram", Tram, true},
            {"rail_urban", Tram, false},
            {"rail", Tram, false},
            {"rail_electric", Tram, false},
            {"rail_fast", Tram, false},
            {"subway", Tram, false},
            {"motorcycle", Motorcycle, true},
            {"moped", Motorcycle, false},
            {"bicycle", Bicycle, true},
            {"scooter", Bicycle, false},
            {"pedestrian", Pedestrian, true},
            {"wheelchair", Pedestrian, false},
            {"ship", 0, false},
            {"aircraft", 0, false},
            {"cable_car", 0, false},
            {"drone", 0, false},
            {"container", 0, false},
            {"custom1", 0, false},
            {"custom2", 0, false},
            {"ignoring", 0, false},
        };
        QHash<QString, ClassInfo> t;
        int index = 0;
        for (const Entry &c : classes)
            t.insert(QString::fromLatin1(c.name), ClassInfo{index++, c.bits, c.primary});
        return t;
    }();
    return table;
}

// SUMO class sets as bit sets over ClassInfo::index.
quint64 allSumoClasses()
{
    return (quint64(1) << classTable().size()) - 1;
}

bool contains(quint64 set, const ClassInfo &c)
{
    return set & (quint64(1) << c.index);
}
} // namespace

int SumoVehicleClasses::fromName(QStringRef name, bool *known)
{
    const QHash<QString, ClassInfo> &table = classTable();
    // QHash has no QStringRef look-up in Qt 5; class names are short, the copy is cheap.
    const auto it = table.constFind(name.toString());
    if (known)
        *known = it != table.constEnd();
    return it != table.constEnd() ? it->bits : 0;
}

quint64 SumoVehicleClasses::sumoSet(QStringRef list, QSet<QString> *unknown, bool *all)
{
    if (all)
        *all = false;
    const QHash<QString, ClassInfo> &table = classTable();
    quint64 set = 0;
    const QVector<QStringRef> names = list.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QStringRef &name : names) {
        if (name == QLatin1String("all")) {
            if (all)
                *all = true;
            return allSumoClasses();
        }
        const auto it = table.constFind(name.toString());
        if (it == table.constEnd()) {
            if (unknown)
                unknown->insert(name.toString());
            continue;
        }
        set |= quint64(1) << it->index;
    }
    return set;
}

int SumoVehicleClasses::fromAllowDisallow(bool hasAllow, QStringRef allow, bool hasDisallow,
                                          QStringRef disallow, QSet<QString> *unknown,
                                          QSet<QString> *dropped)
{
    bool allowAll = !hasAllow;
    const quint64 named = hasAllow ? sumoSet(allow, unknown, &allowAll) : 0;
    quint64 set = allowAll ? allSumoClasses() : named;
    if (hasDisallow)
        set &= ~sumoSet(disallow, unknown, nullptr);
    // A bit follows its own SUMO class; the other classes behind it only add it when an allow list
    // names them (a railway allowing "rail" is a track, a road closed to pedestrians stays closed
    // although SUMO would still let wheelchairs on).
    int bits = 0;
    for (auto it = classTable().constBegin(); it != classTable().constEnd(); ++it) {
        if (!contains(set, *it))
            continue;
        if (it->primary || (!allowAll && contains(named, *it)))
            bits |= it->bits;
        if (dropped && !allowAll && it->bits == 0 && it.key() != QLatin1String("ignoring"))
            dropped->insert(it.key());
    }
    return bits;
}

void SumoVehicleClasses::toAllowDisallow(int bits, QString *attribute, QString *value)
{
    // The classes of the table that SUMO 1.15's tools reject as unknown.
    static const QSet<QString> tooNew{QStringLiteral("scooter"), QStringLiteral("wheelchair"),
                                      QStringLiteral("aircraft"), QStringLiteral("cable_car"),
                                      QStringLiteral("drone"), QStringLiteral("container"),
                                      QStringLiteral("subway")};
    bits &= kAll;
    attribute->clear();
    value->clear();
    if (bits == kAll)
        return;
    if (bits == 0) {
        *attribute = QStringLiteral("disallow");
        *value = QStringLiteral("all");
        return;
    }
    // In the table's order, so that the same classes always give the same text.
    QVector<QPair<int, QString>> allowed;
    QVector<QPair<int, QString>> denied;
    for (auto it = classTable().constBegin(); it != classTable().constEnd(); ++it) {
        if (tooNew.contains(it.key()) || it.key() == QLatin1String("ignoring"))
            continue;
        const bool on = (bits & it->bits) != 0;
        (on ? allowed : denied).append({it->index, it.key()});
    }
    auto joined = [](QVector<QPair<int, QString>> names) {
        std::sort(names.begin(), names.end());
        QStringList list;
        for (const auto &n : names)
            list << n.second;
        return list.join(QLatin1Char(' '));
    };
    if (allowed.size() <= denied.size()) {
        *attribute = QStringLiteral("allow");
        *value = joined(allowed);
    } else {
        *attribute = QStringLiteral("disallow");
        *value = joined(denied);
    }
}

QString SumoVehicleClasses::primaryName(int bit)
{
    if (bit == 0 || (bit & (bit - 1)) != 0)
        return QString();
    for (auto it = classTable().constBegin(); it != classTable().constEnd(); ++it) {
        if (it->primary && (it->bits & bit))
            return it.key();
    }
    return QString();
}

} // namespace Trelvoa
