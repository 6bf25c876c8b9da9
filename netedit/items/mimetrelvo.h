#pragma once

#include "trelvoga_global.h"

#include <QMimeData>
#include <QVariantMap>

namespace Trelvoga {

// The payload of a drag inside the scene: the data map of the DragDropMarker being dragged (what is
// dragged, as object pointers under fixed keys). The drop handler reads the map; it has no MIME format
// of its own, since it never leaves the application.
class TRELVOGA_EXPORT MimeTrelvo : public QMimeData
{
    Q_OBJECT

public:
    explicit MimeTrelvo(const QVariantMap &map = QVariantMap());
    ~MimeTrelvo() override;

    QVariantMap map() const { return m_map; }
    void setMap(const QVariantMap &map) { m_map = map; }

private:
    QVariantMap m_map;
};

} // namespace Trelvoga
