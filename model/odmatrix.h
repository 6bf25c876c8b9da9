#pragma once

#include "netobject.h"

#include <QHash>
#include <QPair>

namespace Trelvoa {

class Taz;

// An origin/destination demand matrix: trips between traffic assignment zones for one vehicle class.
// Each unordered zone pair has at most one cell, holding the trips from `from` to `to` (forward) and
// back (backward), so both directions of a pair are always read and written together. A pair without
// trips has no cell. Deleting a zone removes its row and column.
class TRELVOA_EXPORT OdMatrix : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(int vehiclesType READ vehiclesType WRITE setVehiclesType)
    Q_PROPERTY(QVariantList tazs READ tazsVariant STORED false)

public:
    struct Cell
    {
        Taz *from = nullptr;
        Taz *to = nullptr;
        double forward = 0.0;  // trips from -> to
        double backward = 0.0; // trips to -> from
    };

    explicit OdMatrix(QObject *parent = nullptr);
    ~OdMatrix() override;

    QString kindName() const override { return tr("Origin/destination matrix"); }
    QString jsonTag() const override { return QStringLiteral("odMatrix"); }

    // A Lane::VehicleClass value; 0x100000 makes a pedestrian matrix. 1 by default.
    int vehiclesType() const { return m_vehiclesType; }
    void setVehiclesType(int type);

    // The zones of the matrix (its rows and columns), in the order they joined.
    QList<Taz *> tazList() const { return m_tazs; }
    // Refuses a null zone and a zone of another network; true when it is already there.
    bool addTaz(Taz *taz);
    // Removes the zone with its row and column; false when it was not in the matrix.
    bool removeTaz(Taz *taz);

    // The cells with trips, in the order they were made.
    QList<Cell> cells() const { return m_cells.toList(); }
    // Sets the trips from one zone to another (the same zone twice is the trips within the zone);
    // zones not yet in the matrix join it. Refuses null zones, zones of another network and negative
    // or non-finite values. A cell whose two values are 0 is dropped.
    bool setIntensity(Taz *from, Taz *to, double trips);
    // The trips from one zone to another; 0 when there are none.
    double intensity(Taz *from, Taz *to) const;
    // Sets both values of a pair at once, the cell taking the orientation given (restoring a saved
    // cell). Refuses what setIntensity refuses.
    bool setCell(const Cell &cell);
    // Removes every zone and cell.
    void clear();
    QSet<NetObject *> neededToplevelObjects() const override;

protected:
    void referenceRemoved(NetObject *target) override;

private:
    using Key = QPair<Taz *, Taz *>;
    static Key keyOf(Taz *a, Taz *b);
    void rebuildIndex();
    QVariantList tazsVariant() const;

    QList<Taz *> m_tazs;
    QVector<Cell> m_cells;
    QHash<Key, int> m_index; // cell index by the unordered pair
    int m_vehiclesType = 1;
};

} // namespace Trelvoa
