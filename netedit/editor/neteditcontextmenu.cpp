// The scene and tree context menus: one section per class of the selection, then the entries for the
// whole selection.
#include "editor/netedit.h"

#include "editor/cqtreewidget.h"
#include "editor/neteditprivate.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "compositedetector.h"
#include "connection.h"
#include "crosswalk.h"
#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "edgegroup.h"
#include "granule.h"
#include "lane.h"
#include "node.h"
#include "odmatrix.h"
#include "polygonobject.h"
#include "route.h"
#include "signalgroup.h"
#include "stopline.h"
#include "taz.h"
#include "trafficstate.h"
#include "walkingarea.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHash>
#include <QMenu>
#include <QMetaMethod>
#include <QMimeData>
#include <QVector>

namespace Trelvoga {

namespace {

using Slot = void (NetEdit::*)();

// One entry of a copy-as-text sub-menu; the text is translated unless it is a bare format name.
struct CopyEntry
{
    const char *text;
    Slot slot;
    const char *data = nullptr;
};

// The four entries of a kind of copy (position, shape or skeleton): plain and in WGS84.
QVector<CopyEntry> fourEntries(Slot wkt, Slot kml)
{
    return {{"WKT", wkt},
            {"KML", kml},
            {QT_TRANSLATE_NOOP("NetEdit", "WKT WGS84"), wkt},
            {QT_TRANSLATE_NOOP("NetEdit", "KML WGS84"), kml}};
}

const char *classOf(const QObject *object)
{
    return object->metaObject()->className();
}

bool isJunction(const Trelvoa::Node *node)
{
    return node && node->type() != 0;
}

// Builds the menu for one right click. Only the first object of each class builds its class menu;
// object-dependent entries refer to that object.
class ContextMenuBuilder
{
    Q_DECLARE_TR_FUNCTIONS(NetEdit)

public:
    ContextMenuBuilder(NetEdit *q, NetEditPrivate *d, bool fromView, const QPoint &viewPos)
        : q(q), d(d), m_fromView(fromView), m_viewPos(viewPos)
    {
        if (fromView && d->view)
            m_scenePos = d->view->mapToScene(viewPos);
    }

    QMenu *build()
    {
        collectSelection();
        m_single = m_selection.size() == 1;
        for (Trelvoa::NetObject *object : qAsConst(m_selection)) {
            const char *className = classOf(object);
            if (m_classMenus.contains(className))
                continue;
            QMenu *menu = new QMenu(q->dn(QString::fromLatin1(className)));
            m_classMenus.insert(className, menu);
            m_order.append(className);
            addClassEntries(menu, object);
            addCommonEntries(menu, className);
        }
        if (nodeCount() == 2)
            add(m_classMenus.value(Trelvoa::Node::staticMetaObject.className()), tr("Unite nodes"), &NetEdit::uniteNodes);

        QMenu *top = topMenu();
        if (m_signalGroupFlag)
            add(top, tr("Create signal group"), &NetEdit::createSg);
        if (m_granuleFlag)
            add(top, tr("Create granule"), &NetEdit::createGranule);
        if (!m_selection.isEmpty()) {
            if (m_fromView)
                add(top, tr("Show selected on tree"), &NetEdit::showSelectionOnTree);
            else
                add(top, tr("Show selected on map"), &NetEdit::showSelectionOnscene);
        }
        if (m_fromView) {
            addSelectAnother(top);
            if (m_selection.isEmpty()) {
                const int before = top->actions().size();
                q->addPanoramaContextMenu(top);
                if (top->actions().size() > before)
                    top->actions().constLast()->setData(QVariantList{m_scenePos, QVariant()});
            }
            addPasteEntries(top);
            if (top->actions().isEmpty()) {
                delete top;
                return nullptr;
            }
        } else {
            QObject::connect(top->addAction(tr("Expand all")), &QAction::triggered, d->objectsTree, [d = d] {
                d->fillAllGroups();
                d->objectsTree->expandAll();
            });
            QObject::connect(top->addAction(tr("Collapse all")), &QAction::triggered, d->objectsTree,
                             &QTreeWidget::collapseAll);
        }
        return top;
    }

private:
    void collectSelection()
    {
        m_selection = d->selectedSceneObjects();
        for (QTreeWidgetItem *item : d->objectsTree->selectedItems()) {
            Trelvoa::NetObject *object = q->treeItemObject(item);
            if (object && !m_selection.contains(object))
                m_selection.append(object);
        }
    }

    int nodeCount() const
    {
        int count = 0;
        for (Trelvoa::NetObject *object : m_selection)
            count += classOf(object) == Trelvoa::Node::staticMetaObject.className();
        return count;
    }

    QMenu *topMenu()
    {
        if (m_order.isEmpty())
            return new QMenu;
        if (m_order.size() == 1)
            return m_classMenus.value(m_order.first());
        auto *top = new QMenu;
        for (const char *className : qAsConst(m_order)) {
            QMenu *menu = m_classMenus.value(className);
            menu->setParent(top, menu->windowFlags());
            top->addMenu(menu);
        }
        return top;
    }

    // The objects of a class in the selection, in selection order.
    template<typename T>
    QList<T *> selected() const
    {
        QList<T *> list;
        for (Trelvoa::NetObject *object : m_selection)
            if (auto *typed = qobject_cast<T *>(object))
                list.append(typed);
        return list;
    }

    QAction *add(QMenu *menu, const QString &text, Slot slot, const QVariant &data = QVariant())
    {
        QAction *action = menu->addAction(text);
        action->setData(data);
        QObject::connect(action, &QAction::triggered, q, slot);
        return action;
    }

    QAction *addTemplate(QMenu *menu, const QString &text, bool checked)
    {
        QAction *action = menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(checked);
        QObject::connect(action, &QAction::triggered, q, &NetEdit::useAsTemplate);
        return action;
    }

    // Entries for slots that only some builds of the editor have (the demand and measurement editors).
    void addOptional(QMenu *menu, const QString &text, const char *signature, const QVariant &data = QVariant())
    {
        const int index = q->metaObject()->indexOfSlot(signature);
        if (index < 0)
            return;
        QAction *action = menu->addAction(text);
        action->setData(data);
        QObject::connect(action, QMetaMethod::fromSignal(&QAction::triggered), q, q->metaObject()->method(index));
    }

    void addCopyMenu(QMenu *menu, const QString &title, const QVector<CopyEntry> &entries)
    {
        QMenu *sub = menu->addMenu(title);
        for (const CopyEntry &entry : entries) {
            const QString text = qstrcmp(entry.text, "WKT") == 0 || qstrcmp(entry.text, "KML") == 0
                                     ? QString::fromLatin1(entry.text)
                                     : tr(entry.text);
            add(sub, text, entry.slot, entry.data ? QVariant(QString::fromLatin1(entry.data)) : QVariant());
        }
    }

    void addClassEntries(QMenu *menu, Trelvoa::NetObject *object)
    {
        using Builder = void (ContextMenuBuilder::*)(QMenu *, Trelvoa::NetObject *);
        static const QHash<const char *, Builder> builders = {
            {Trelvoa::Edge::staticMetaObject.className(), &ContextMenuBuilder::edgeEntries},
            {Trelvoa::EdgeGroup::staticMetaObject.className(), &ContextMenuBuilder::edgeGroupEntries},
            {Trelvoa::Lane::staticMetaObject.className(), &ContextMenuBuilder::laneEntries},
            {Trelvoa::Connection::staticMetaObject.className(), &ContextMenuBuilder::connectionEntries},
            {Trelvoa::CrossWalk::staticMetaObject.className(), &ContextMenuBuilder::crosswalkEntries},
            {Trelvoa::SignalGroup::staticMetaObject.className(), &ContextMenuBuilder::signalGroupEntries},
            {Trelvoa::Granule::staticMetaObject.className(), &ContextMenuBuilder::granuleEntries},
            {Trelvoa::Detector::staticMetaObject.className(), &ContextMenuBuilder::detectorEntries},
            {Trelvoa::PolygonObject::staticMetaObject.className(), &ContextMenuBuilder::polygonEntries},
            {Trelvoa::WalkingArea::staticMetaObject.className(), &ContextMenuBuilder::walkingAreaEntries},
            {Trelvoa::CompositeDetector::staticMetaObject.className(), &ContextMenuBuilder::compositeDetectorEntries},
            {Trelvoa::Route::staticMetaObject.className(), &ContextMenuBuilder::routeEntries},
            {Trelvoa::Taz::staticMetaObject.className(), &ContextMenuBuilder::tazEntries},
            {Trelvoa::OdMatrix::staticMetaObject.className(), &ContextMenuBuilder::odMatrixEntries},
            {Trelvoa::TrafficState::staticMetaObject.className(), &ContextMenuBuilder::trafficStateEntries},
            {Trelvoa::Stopline::staticMetaObject.className(), &ContextMenuBuilder::stoplineEntries},
            {Trelvoa::Node::staticMetaObject.className(), &ContextMenuBuilder::nodeEntries},
        };
        if (Builder builder = builders.value(classOf(object)))
            (this->*builder)(menu, object);
    }

    // What every class menu ends with.
    void addCommonEntries(QMenu *menu, const char *className)
    {
        if (d->copyAction && d->copyAction->isEnabled())
            menu->addAction(d->copyAction);
        QObjectList objects;
        for (Trelvoa::NetObject *object : qAsConst(m_selection))
            objects.append(object);
        emit q->beforeContextMenu(objects, menu);
        // In the order the host registered them (the multi-map hands them out newest first).
        const QList<QAction *> registered = d->contextActions.values(className);
        for (auto it = registered.crbegin(); it != registered.crend(); ++it)
            menu->addAction(*it);
        add(menu, tr("Delete"), &NetEdit::removeSelectedItems, QByteArray(className));
    }

    void edgeEntries(QMenu *menu, Trelvoa::NetObject *object)
    {
        auto *edge = static_cast<Trelvoa::Edge *>(object);
        if (m_single) {
            add(menu, tr("Change geometry"), &NetEdit::editEdgeSkeleton);
            if (m_fromView)
                add(menu, tr("Insert junction"), &NetEdit::insertJunctionOnEdge, m_scenePos);
            addTemplate(menu, tr("Use as template"), d->templateEdge == edge);
            addCopyMenu(menu, tr("Copy skeleton to clipboard as ..."),
                        {{"WKT", &NetEdit::copySkeletonAsWKT}, {"KML", &NetEdit::copySkeletonAsKML}});
            addCopyMenu(menu, tr("Copy carriageway skeleton to clipboard as ..."),
                        {{"WKT", &NetEdit::copySkeletonAsWKT, "carriageway"},
                         {"KML", &NetEdit::copySkeletonAsKML, "carriageway"}});
        }
        const QList<Trelvoa::EdgeGroup *> groups = selected<Trelvoa::EdgeGroup>();
        if (edge->group())
            add(menu, tr("Remove from group"), &NetEdit::removeEdgeFromGroup);
        else if (!groups.isEmpty())
            add(menu, tr("Add to group %1").arg(groups.first()->printableName()), &NetEdit::addEdgeToGroup);
    }

    void edgeGroupEntries(QMenu *menu, Trelvoa::NetObject *object)
    {
        if (!m_single)
            return;
        add(menu, tr("Change geometry"), &NetEdit::editEdgeSkeleton);
        if (m_fromView)
            add(menu, tr("Insert junction"), &NetEdit::insertJunctionOnEdgeGroup, m_scenePos);
        addTemplate(menu, tr("Use as template"), d->templateEdgeGroup == object);
        addCopyMenu(menu, tr("Copy skeleton to clipboard as ..."),
                    {{"WKT", &NetEdit::copySkeletonAsWKT}, {"KML", &NetEdit::copySkeletonAsKML}});
    }

    void laneEntries(QMenu *menu, Trelvoa::NetObject *object)
    {
        auto *lane = static_cast<Trelvoa::Lane *>(object);
        Trelvoa::Edge *edge = lane->edge();
        const bool grouped = edge && edge->group();
        menu->addAction(d->selectEdgeAction);
        if (grouped)
            menu->addAction(d->selectEdgeGroupAction);
        add(menu, tr("Insert lane right from"), &NetEdit::insertLane, true);
        add(menu, tr("Insert lane left from"), &NetEdit::insertLane, false);
        addVehicleTypes(menu);
        if (!m_single)
            return;
        if (m_fromView) {
            add(menu, tr("Insert junction on edge"), &NetEdit::insertJunctionOnEdge, m_scenePos);
            if (grouped)
                add(menu, tr("Insert junction on group of edges"), &NetEdit::insertJunctionOnEdgeGroup, m_scenePos);
        }
        addCopyMenu(menu, tr("Copy skeleton to clipboard as ..."),
                    {{QT_TRANSLATE_NOOP("NetEdit", "skeleton WKT"), &NetEdit::copySkeletonAsWKT},
                     {QT_TRANSLATE_NOOP("NetEdit", "skeleton KML"), &NetEdit::copySkeletonAsKML},
                     {QT_TRANSLATE_NOOP("NetEdit", "skeleton WKT WGS84"), &NetEdit::copySkeletonAsWKT},
                     {QT_TRANSLATE_NOOP("NetEdit", "skeleton KML WGS84"), &NetEdit::copySkeletonAsKML},
                     {QT_TRANSLATE_NOOP("NetEdit", "full skeleton WKT"), &NetEdit::copySkeletonAsWKT, "full_skeleton"},
                     {QT_TRANSLATE_NOOP("NetEdit", "full skeleton KML"), &NetEdit::copySkeletonAsKML, "full_skeleton"},
                     {QT_TRANSLATE_NOOP("NetEdit", "full skeleton WKT WGS84"), &NetEdit::copySkeletonAsWKT,
                      "full_skeleton"},
                     {QT_TRANSLATE_NOOP("NetEdit", "full skeleton KML WGS84"), &NetEdit::copySkeletonAsKML,
                      "full_skeleton"}});
        addCopyMenu(menu, tr("Copy shape to clipboard as ..."),
                    fourEntries(&NetEdit::copyShapeAsWKT, &NetEdit::copyShapeAsKML));
        if (m_fromView) {
            const int before = menu->actions().size();
            q->addPanoramaContextMenu(menu);
            if (menu->actions().size() > before)
                menu->actions().constLast()->setData(QVariantList{m_scenePos, QVariant::fromValue<QObject *>(object)});
        }
        if (edge) {
            addTemplate(menu, tr("Use edge %1 as template").arg(edge->printableName()), d->templateEdge == edge);
            if (grouped)
                add(menu, tr("Remove edge from group"), &NetEdit::removeEdgeFromGroup);
        }
    }

    void addVehicleTypes(QMenu *menu)
    {
        QMenu *types = menu->addMenu(tr("Vehicle types"));
        const struct
        {
            const char *title;
            void (NetEdit::*slot)(QAction *);
            bool checkable;
        } sets[] = {
            {QT_TRANSLATE_NOOP("NetEdit", "Allow"), &NetEdit::allow, true},
            {QT_TRANSLATE_NOOP("NetEdit", "Allow only"), &NetEdit::allowOnly, false},
            {QT_TRANSLATE_NOOP("NetEdit", "Disallow only"), &NetEdit::disallowOnly, false},
        };
        const QStringList names = Trelvoa::Lane::VehicleClassesStringList();
        for (const auto &set : sets) {
            QMenu *sub = types->addMenu(tr(set.title));
            auto *group = new QActionGroup(sub);
            for (const QString &name : names) {
                QAction *action = sub->addAction(q->dn(name));
                action->setData(name);
                action->setCheckable(set.checkable);
                group->addAction(action);
            }
            QObject::connect(group, &QActionGroup::triggered, q, set.slot);
        }
        add(types, tr("Disallow all"), &NetEdit::disallowAll);
        add(types, tr("Default"), &NetEdit::allowDefault);
    }

    void addSignalGroupEntries(QMenu *menu)
    {
        add(menu, tr("Change signal group content"), &NetEdit::changeSgContent);
        add(menu, tr("Select signal group"), &NetEdit::selectSg);
    }

    void connectionEntries(QMenu *menu, Trelvoa::NetObject *object)
    {
        auto *connection = static_cast<Trelvoa::Connection *>(object);
        menu->addAction(d->editConnectionAction);
        m_signalGroupFlag = true;
        if (!m_single)
            return;
        if (!connection->signalGroups().isEmpty())
            addSignalGroupEntries(menu);
        addCopyMenu(menu, tr("Copy skeleton to clipboard as ..."),
                    {{"WKT", &NetEdit::copySkeletonAsWKT}, {"KML", &NetEdit::copySkeletonAsKML}});
    }

    void crosswalkEntries(QMenu *menu, Trelvoa::NetObject *object)
    {
        auto *crosswalk = static_cast<Trelvoa::CrossWalk *>(object);
        menu->addAction(d->editCrosswalkAction);
        m_signalGroupFlag = true;
        if (!m_single)
            return;
        addTemplate(menu, tr("Use as template"), d->templateCrosswalk == crosswalk);
        if (crosswalk->signalGroup())
            addSignalGroupEntries(menu);
        addCopyMenu(menu, tr("Copy skeleton to clipboard as ..."),
                    fourEntries(&NetEdit::copySkeletonAsWKT, &NetEdit::copySkeletonAsKML));
        addCopyMenu(menu, tr("Copy shape to clipboard as ..."),
                    fourEntries(&NetEdit::copyShapeAsWKT, &NetEdit::copyShapeAsKML));
    }

    void signalGroupEntries(QMenu *menu, Trelvoa::NetObject *)
    {
        if (m_single)
            add(menu, tr("Change content"), &NetEdit::changeSgContent);
    }

    void granuleEntries(QMenu *menu, Trelvoa::NetObject *)
    {
        if (m_single)
            add(menu, tr("Save ..."), &NetEdit::saveGranule);
    }

    void detectorEntries(QMenu *menu, Trelvoa::NetObject *object)
    {
        auto *detector = static_cast<Trelvoa::Detector *>(object);
        add(menu, tr("Create group"), &NetEdit::createDtGroup);
        if (detector->group()) {
            add(menu, tr("Remove from group"), &NetEdit::removeSelectedDtFromGroup);
        } else if (auto *lane = qobject_cast<Trelvoa::Lane *>(detector->parent())) {
            for (Trelvoa::DetectorGroup *group : selected<Trelvoa::DetectorGroup>()) {
                if (group->edge() == lane->edge())
                    add(menu, tr("Add to group %1").arg(group->printableName()), &NetEdit::addDtToGroup);
            }
        }
        if (!m_single)
            return;
        addCopyMenu(menu, tr("Copy position to clipboard as ..."),
                    fourEntries(&NetEdit::copyPosAsWKT, &NetEdit::copyPosAsKML));
        addCopyMenu(menu, tr("Copy shape to clipboard as ..."),
                    fourEntries(&NetEdit::copyShapeAsWKT, &NetEdit::copyShapeAsKML));
    }

    void polygonEntries(QMenu *menu, Trelvoa::NetObject *)
    {
        if (m_single)
            addCopyMenu(menu, tr("Copy shape to clipboard as ..."),
                        fourEntries(&NetEdit::copyShapeAsWKT, &NetEdit::copyShapeAsKML));
        add(menu, tr("Save network part ..."), &NetEdit::savePolygonNetPart);
        add(menu, tr("Select items under polygon"), &NetEdit::selectItemsUnderPolygon);
        add(menu, tr("Delete items under polygon"), &NetEdit::deleteItemsUnderPolygon);
    }

    void walkingAreaEntries(QMenu *menu, Trelvoa::NetObject *)
    {
        menu->addAction(d->editWalkingAreaAction);
        if (!m_single)
            return;
        add(menu, tr("Change shape geometry"), &NetEdit::editWAShape);
        addCopyMenu(menu, tr("Copy shape to clipboard as ..."),
                    fourEntries(&NetEdit::copyShapeAsWKT, &NetEdit::copyShapeAsKML));
    }

    void compositeDetectorEntries(QMenu *menu, Trelvoa::NetObject *)
    {
        if (m_single)
            addCopyMenu(menu, tr("Copy skeleton to clipboard as ..."),
                        fourEntries(&NetEdit::copySkeletonAsWKT, &NetEdit::copySkeletonAsKML));
    }

    void routeEntries(QMenu *menu, Trelvoa::NetObject *)
    {
        if (m_single)
            addCopyMenu(menu, tr("Copy skeleton to clipboard as ..."),
                        fourEntries(&NetEdit::copySkeletonAsWKT, &NetEdit::copySkeletonAsKML));
        add(menu, tr("Recalculate"), &NetEdit::recalculateSelectedRoutes);
    }

    void tazEntries(QMenu *menu, Trelvoa::NetObject *)
    {
        menu->addAction(d->editTazAction);
        if (!m_single)
            return;
        addCopyMenu(menu, tr("Copy to clipboard as ..."),
                    {{QT_TRANSLATE_NOOP("NetEdit", "WKT shape"), &NetEdit::copyShapeAsWKT},
                     {QT_TRANSLATE_NOOP("NetEdit", "KML shape"), &NetEdit::copyShapeAsKML},
                     {QT_TRANSLATE_NOOP("NetEdit", "WKT pos"), &NetEdit::copyPosAsWKT},
                     {QT_TRANSLATE_NOOP("NetEdit", "KML placemark"), &NetEdit::copyPosAsKML},
                     {QT_TRANSLATE_NOOP("NetEdit", "WKT shape WGS84"), &NetEdit::copyShapeAsWKT},
                     {QT_TRANSLATE_NOOP("NetEdit", "KML shape WGS84"), &NetEdit::copyShapeAsKML},
                     {QT_TRANSLATE_NOOP("NetEdit", "WKT pos WGS84"), &NetEdit::copyPosAsWKT},
                     {QT_TRANSLATE_NOOP("NetEdit", "KML placemark WGS84"), &NetEdit::copyPosAsKML}});
    }

    void odMatrixEntries(QMenu *menu, Trelvoa::NetObject *)
    {
        for (Trelvoa::OdMatrix *matrix : selected<Trelvoa::OdMatrix>())
            addOptional(menu, tr("Change matrix"), "changeODMatrix()", QVariant::fromValue<QObject *>(matrix));
    }

    void trafficStateEntries(QMenu *menu, Trelvoa::NetObject *)
    {
        for (Trelvoa::TrafficState *state : selected<Trelvoa::TrafficState>())
            addOptional(menu, tr("Change traffic state"), "changeTrafficState()", QVariant::fromValue<QObject *>(state));
    }

    void stoplineEntries(QMenu *menu, Trelvoa::NetObject *)
    {
        if (!m_single)
            return;
        addCopyMenu(menu, tr("Copy to clipboard as ..."),
                    {{QT_TRANSLATE_NOOP("NetEdit", "WKT pos"), &NetEdit::copyPosAsWKT},
                     {QT_TRANSLATE_NOOP("NetEdit", "WKT line"), &NetEdit::copySkeletonAsWKT},
                     {QT_TRANSLATE_NOOP("NetEdit", "KML placemark"), &NetEdit::copyPosAsKML},
                     {QT_TRANSLATE_NOOP("NetEdit", "KML line"), &NetEdit::copySkeletonAsKML},
                     {QT_TRANSLATE_NOOP("NetEdit", "WKT pos WGS84"), &NetEdit::copyPosAsWKT},
                     {QT_TRANSLATE_NOOP("NetEdit", "WKT line WGS84"), &NetEdit::copySkeletonAsWKT},
                     {QT_TRANSLATE_NOOP("NetEdit", "KML placemark WGS84"), &NetEdit::copyPosAsKML},
                     {QT_TRANSLATE_NOOP("NetEdit", "KML line WGS84"), &NetEdit::copySkeletonAsKML}});
    }

    void nodeEntries(QMenu *menu, Trelvoa::NetObject *object)
    {
        auto *node = static_cast<Trelvoa::Node *>(object);
        m_granuleFlag = true;
        const bool junction = isJunction(node);
        if (junction) {
            add(menu, tr("Create connections"), &NetEdit::createJunctionConnections);
            add(menu, tr("Select stoplines"), &NetEdit::selectJunctionStoplines);
            add(menu, tr("Select connections"), &NetEdit::selectJunctionConnections);
            add(menu, tr("Adjust stoplines offset"), &NetEdit::adjustStoplinesOffset);
            if (Trelvoa::Granule *granule = node->granule()) {
                add(menu, tr("Remove from granule"), &NetEdit::removeJunctionFromGranule);
                add(menu, tr("Copy granule to clipboard"), &NetEdit::copyGranuleToClipboard,
                    QVariant::fromValue<QObject *>(granule));
            }
            if (Trelvoa::Granule *target = addTargetGranule())
                add(menu, addToGranuleText(target), &NetEdit::addJunctionToGranule);
        }
        if (node->edgesCount() > 1)
            add(menu, tr("Remove with join"), &NetEdit::removeJunctionWithJoin);
        if (!m_single)
            return;
        if (junction) {
            add(menu, tr("Change shape geometry"), &NetEdit::editNodeShape);
            addOptional(menu, tr("Edit measurement data"), "editMeasurementData()");
        }
        QMenu *sub = menu->addMenu(tr("Copy to clipboard as ..."));
        if (junction) {
            add(sub, tr("WKT shape"), &NetEdit::copyShapeAsWKT);
            add(sub, tr("KML shape"), &NetEdit::copyShapeAsKML);
            add(sub, tr("WKT shape WGS84"), &NetEdit::copyShapeAsWKT);
            add(sub, tr("KML shape WGS84"), &NetEdit::copyShapeAsKML);
        }
        add(sub, tr("WKT pos"), &NetEdit::copyPosAsWKT);
        add(sub, tr("KML placemark"), &NetEdit::copyPosAsKML);
        add(sub, tr("WKT pos WGS84"), &NetEdit::copyPosAsWKT);
        add(sub, tr("KML placemark WGS84"), &NetEdit::copyPosAsKML);
    }

    // The granule "Add to granule" offers: the first selected granule, else that of the first selected
    // node in one; null when there is none or every selected junction is in a granule already.
    Trelvoa::Granule *addTargetGranule() const
    {
        Trelvoa::Granule *target = nullptr;
        const QList<Trelvoa::Granule *> granules = selected<Trelvoa::Granule>();
        if (!granules.isEmpty())
            target = granules.first();
        bool ungroupedJunction = false;
        for (Trelvoa::Node *node : selected<Trelvoa::Node>()) {
            if (!target && node->granule())
                target = node->granule();
            ungroupedJunction = ungroupedJunction || (isJunction(node) && !node->granule());
        }
        return ungroupedJunction ? target : nullptr;
    }

    static QString addToGranuleText(const Trelvoa::Granule *granule)
    {
        QString name = granule->printableName();
        if (granule->tlId() > 0)
            name += QStringLiteral(" (") + tr("TL %1").arg(granule->tlId()) + QLatin1Char(')');
        return tr("Add to granule %1").arg(name);
    }

    // Lets the user pick another of the same kind of object among those stacked under the click.
    void addSelectAnother(QMenu *top)
    {
        if (!d->scene || !d->view)
            return;
        const QList<QGraphicsItem *> selectedItems = d->scene->selectedItems();
        if (selectedItems.size() != 1)
            return;
        const QList<QGraphicsItem *> under = d->view->items(m_viewPos);
        if (!under.contains(selectedItems.first()))
            return;
        Trelvoa::NetObject *current = d->net->item2object(selectedItems.first());
        if (!current)
            return;
        QList<Trelvoa::NetObject *> candidates;
        for (QGraphicsItem *item : under) {
            if (!ItemType::isObjectItem(item->type()) || !(item->flags() & QGraphicsItem::ItemIsSelectable))
                continue;
            Trelvoa::NetObject *object = d->net->item2object(item);
            if (object && classOf(object) == classOf(current) && !candidates.contains(object))
                candidates.append(object);
        }
        if (candidates.size() < 2)
            return;
        auto *sub = new QMenu(tr("Select ..."), top);
        auto *group = new QActionGroup(sub);
        for (Trelvoa::NetObject *object : qAsConst(candidates)) {
            QAction *action = sub->addAction(object->printableName());
            action->setCheckable(true);
            action->setChecked(object == current);
            action->setData(object->id());
            group->addAction(action);
        }
        QObject::connect(group, &QActionGroup::triggered, q, &NetEdit::selectAnother);
        const QList<QAction *> actions = top->actions();
        top->insertMenu(actions.isEmpty() ? nullptr : actions.first(), sub);
    }

    // The menu's own paste entries follow the clipboard as it is now; they trigger the editor's actions
    // without changing their state, which also enables a plain-text polygon paste.
    void addPasteEntries(QMenu *top)
    {
        const QMimeData *mime = QApplication::clipboard() ? QApplication::clipboard()->mimeData() : nullptr;
        const bool network = mime && mime->hasFormat(QStringLiteral("text/trelvo"));
        for (QAction *shared : {d->pasteAction, d->pasteInPlaceAction}) {
            if (!shared)
                continue;
            QAction *action = top->addAction(shared->icon(), shared->text());
            action->setEnabled(network);
            QObject::connect(action, &QAction::triggered, shared, &QAction::trigger);
        }
    }

    NetEdit *q;
    NetEditPrivate *d;
    bool m_fromView;
    QPoint m_viewPos;
    QPointF m_scenePos;
    QList<Trelvoa::NetObject *> m_selection;
    bool m_single = false;
    bool m_signalGroupFlag = false;
    bool m_granuleFlag = false;
    QHash<const char *, QMenu *> m_classMenus;
    // Classes in the order they first appear in the selection: the order of the sub-menus.
    QList<const char *> m_order;
};

} // namespace

QMenu *NetEdit::contextMenuFor(QObject *source, const QPoint &pos)
{
    const bool fromView = d->view && (source == d->view->viewport() || source == d->view);
    const bool fromTree = source == d->objectsTree->viewport() || source == d->objectsTree;
    if (!fromView && !fromTree)
        return nullptr;
    return ContextMenuBuilder(this, d.get(), fromView, pos).build();
}

} // namespace Trelvoga
