#pragma once

#include "netobject.h"

namespace Trelvoa {

// A generic object: an object name, free dynamic properties and an optional text value (the dynamic
// property "#text", saved as element text). Custom objects are children of the network or of another
// custom object, so that callers can keep trees of their own data (measured intensities) in the network
// file. Every change of a dynamic property is a change of the object.
class TRELVOA_EXPORT CustomObject : public NetObject
{
    Q_OBJECT

public:
    explicit CustomObject(QObject *parent = nullptr);
    ~CustomObject() override;

    QString kindName() const override { return tr("Custom object"); }
    QString jsonTag() const override { return QStringLiteral("customObject"); }

    // The name of the dynamic property that holds the text value.
    static const char *textProperty() { return "#text"; }
    QString text() const;
    // An empty text removes the property.
    void setText(const QString &text);

    // The custom objects directly below this one, in child order.
    QList<CustomObject *> customChildren() const;
    QList<NetObject *> linkedObjects() const override;

protected:
    bool event(QEvent *event) override;
};

} // namespace Trelvoa
