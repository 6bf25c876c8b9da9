#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QVector>

class QVariant;
class QXmlStreamWriter;

namespace Trelvoa {

class Network;
class NetObject;
struct PropertyCodec;

// Writes a network, a fragment of it or single objects as network XML (the format is described in
// docs/file-format.md). The output is canonical: the same model state always gives the same bytes.
class NetworkWriter
{
public:
    explicit NetworkWriter(const Network *network);

    // The whole network. document: write the XML declaration and end the document (false embeds the
    // <network> element in a document the caller writes). fullGeometry: also the derived geometry.
    bool writeNetwork(QXmlStreamWriter &writer, bool document, bool fullGeometry);
    // The objects with their subtrees (listed descendants of listed objects are written once, inside
    // their ancestor). A written object whose parent is not written names it with a parent attribute.
    // Objects in `partial` are written without their children.
    bool writeFragment(QXmlStreamWriter &writer, const QList<NetObject *> &objects, bool document,
                       bool fullGeometry, const QSet<const NetObject *> &partial = {});
    // One object element with its subtree, without a document or a root element.
    bool writeElement(QXmlStreamWriter &writer, const NetObject *object, bool fullGeometry);

    QString errorString() const { return m_error; }

    // Sets the network's errorString() (for callers outside the network class).
    static void reportError(Network *network, const QString &error);

    // The text a property of the object is written with; the objects it refers to go to targets.
    static bool propertyText(const PropertyCodec &codec, const NetObject *object, QString *text,
                             QVector<const NetObject *> *targets = nullptr);
    // The value of an enumeration property as int, whatever meta type the property system hands out.
    static int enumValue(const QVariant &value);

private:
    bool writeDocument(QXmlStreamWriter &writer, const QList<const NetObject *> &roots, bool document,
                       bool fragment);
    bool writeObject(QXmlStreamWriter &writer, const NetObject *object, bool root);
    bool writeProperties(QXmlStreamWriter &writer, const NetObject *object);
    bool writeDynamicProperties(QXmlStreamWriter &writer, const NetObject *object);
    bool writeValue(QXmlStreamWriter &writer, const QString &attribute, const QString &name,
                    const QVariant &value, int depth);
    void writeGeometry(QXmlStreamWriter &writer, const NetObject *object);
    QList<const NetObject *> childrenInOrder(const NetObject *object) const;
    bool checkReference(const NetObject *holder, const NetObject *target);
    bool fail(const QString &error);

    const Network *m_network;
    QSet<const NetObject *> m_partial;
    QString m_error;
    bool m_fullGeometry = false;
};

} // namespace Trelvoa
