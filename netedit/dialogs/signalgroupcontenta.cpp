#include "dialogs/signalgroupcontenta.h"

#include "commands/changesgcontentcommand.h"
#include "scene/networkg.h"

#include "connection.h"
#include "crosswalk.h"
#include "signalgroup.h"

#include <QDialogButtonBox>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QLabel>
#include <QListWidget>
#include <QUndoStack>
#include <QVBoxLayout>

namespace Trelvoga {

QRect SignalGroupContenta::s_geometry;

SignalGroupContenta::SignalGroupContenta(Networkg *net, Trelvoa::SignalGroup *sg, QWidget *parent, QUndoStack *stack)
    : QDialog(parent)
    , m_net(net)
    , m_sg(sg)
    , m_stack(stack)
{
    setObjectName(QStringLiteral("SignalGroupContenta"));
    resize(400, 300);
    m_verticalLayout = new QVBoxLayout(this);
    m_verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    m_label = new QLabel(tr("Object list:"), this);
    m_label->setObjectName(QStringLiteral("label"));
    m_verticalLayout->addWidget(m_label);
    m_objectList = new QListWidget(this);
    m_objectList->setObjectName(QStringLiteral("objectList"));
    m_verticalLayout->addWidget(m_objectList);
    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));
    m_verticalLayout->addWidget(m_buttonBox);
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &SignalGroupContenta::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &SignalGroupContenta::reject);

    setAttribute(Qt::WA_DeleteOnClose);
    if (!s_geometry.isEmpty())
        setGeometry(s_geometry);
    setWindowTitle(tr("Content of signal group %1").arg(sg ? sg->objectName() : QString()));
    if (sg) {
        for (int i = 0; i < sg->connectionCount(); ++i)
            addEntry(sg->connection(i));
        for (int i = 0; i < sg->crossWalkCount(); ++i)
            addEntry(sg->crossWalk(i));
    }
    if (m_net && m_net->scene())
        connect(m_net->scene(), &QGraphicsScene::selectionChanged, this, &SignalGroupContenta::sceneSelectionChanged);
}

SignalGroupContenta::~SignalGroupContenta()
{
    s_geometry = geometry();
}

QRect SignalGroupContenta::keptGeometry()
{
    return s_geometry;
}

void SignalGroupContenta::addEntry(QObject *object)
{
    QString kind;
    if (qobject_cast<Trelvoa::Connection *>(object))
        kind = tr("Connection");
    else if (qobject_cast<Trelvoa::CrossWalk *>(object))
        kind = tr("CrossWalk");
    else
        return;
    const auto *netObject = static_cast<Trelvoa::NetObject *>(object);
    m_objectList->addItem(netObject->printableName() + QStringLiteral(" (") + kind + QStringLiteral(")"));
}

void SignalGroupContenta::sceneSelectionChanged()
{
    m_objectList->clear();
    if (!m_net || !m_net->scene())
        return;
    const QList<QGraphicsItem *> selected = m_net->scene()->selectedItems();
    for (QGraphicsItem *item : selected)
        addEntry(m_net->item2object(item));
}

void SignalGroupContenta::accept()
{
    // The group may have gone while the dialog was open (an undo, a deletion).
    if (m_sg && m_net) {
        QList<Trelvoa::Connection *> connections;
        QList<Trelvoa::CrossWalk *> crossWalks;
        if (m_net->scene()) {
            const QList<QGraphicsItem *> selected = m_net->scene()->selectedItems();
            for (QGraphicsItem *item : selected) {
                Trelvoa::NetObject *object = m_net->item2object(item);
                if (auto *c = qobject_cast<Trelvoa::Connection *>(object))
                    connections.append(c);
                else if (auto *w = qobject_cast<Trelvoa::CrossWalk *>(object))
                    crossWalks.append(w);
            }
        }
        auto *command = new ChangeSgContentCommand(m_net, m_sg, connections, crossWalks);
        if (m_stack) {
            m_stack->push(command);
        } else {
            command->redo();
            delete command;
        }
    }
    QDialog::accept();
}

} // namespace Trelvoga
