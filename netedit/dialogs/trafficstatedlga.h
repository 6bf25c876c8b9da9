#pragma once

#include "trelvoga_global.h"

#include "turnpercentage.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QVector>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class QTableWidgetItem;
class QTimeEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace Trelvoa {
class Edge;
class Node;
class TrafficState;
} // namespace Trelvoa

namespace Trelvoga {

class NetEdit;
class Networkg;
class TurnArrowItem;

// Edits one traffic state: name, vehicle class, start time and duration, the turning percentage of
// every movement at every junction and the input flow of the zones that feed the network. Movements
// the user did not set show defaults derived from four default percentages (turnaround, left,
// straight, right) and are not stored. Percentages edited while "Fix values" is checked are balanced
// against the other movements from the same incoming edge to a total of 100; the defaults are balanced
// the same way a second after the last change. The junction selected in the tree is shown in the scene
// with an arrow and a percentage label per lane connection. Nothing in the network changes before OK.
class TRELVOGA_EXPORT TrafficStateDlga : public QDialog
{
    Q_OBJECT

public:
    // A movement of the tree: from one incoming edge to an outgoing edge of a junction.
    struct Flow
    {
        int manoeuvre = Trelvoa::TurnPercentage::Straight; // 4 and above: other
        QPointer<Trelvoa::Edge> from;
        QPointer<Trelvoa::Edge> to;
        int defaultPercentage = 0;
    };

    static constexpr int defaultsInterval = 1000;
    static constexpr int unlockedZoom = 18;

    // state null: a new state, made on OK (without parent). edit gives the vehicle class names.
    TrafficStateDlga(Networkg *net, Trelvoa::TrafficState *state, QWidget *parent = nullptr,
                     const NetEdit *edit = nullptr);
    ~TrafficStateDlga() override;

    // The state edited, or made on OK; null for a new one before that.
    Trelvoa::TrafficState *trafficState() const;
    // The four default percentages as the spin boxes show them.
    Trelvoa::TurnPercentage defaults() const;
    // The tree's top-level item of the junction (null when it has none) and its movement items.
    QTreeWidgetItem *junctionItem(const Trelvoa::Node *node) const;
    Flow flowOf(const QTreeWidgetItem *item) const;
    bool isDefault(const QTreeWidgetItem *item) const;
    // The scene arrows of the junction shown, one per lane connection.
    QList<TurnArrowItem *> shownArrows() const;

    // Balances the values to a total of 100, values[fixed] held: the difference is shared evenly by the
    // others when it is at least their count, else it goes to the first of them; no value drops below
    // 0, and what is left over goes to the first that can take it (spread over several when no single
    // one can).
    static QVector<int> balanced(QVector<int> values, int fixed);

public slots:
    void accept() override;

    void on_turnDataTree_currentItemChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void on_inputFlowTable_currentItemChanged(QTableWidgetItem *current, QTableWidgetItem *previous);
    void on_turnDataTree_itemChanged(QTreeWidgetItem *item, int column);
    void onDefValueChanged(int arg1);
    void onDefValueChangedTimeout();
    void onMapZoomChanged(int zoom);

private:
    void buildForm();
    void fillTurnTree();
    void fillInputFlows();
    void connectViews();
    void setPercentage(QTreeWidgetItem *item, int percent, bool isDefault);
    void applyDefaults();
    void refreshLabels(QTreeWidgetItem *junction);
    void showJunction(QTreeWidgetItem *junction);
    void hideJunction(QTreeWidgetItem *junction);
    void zoomTo(const QRectF &sceneRect);
    QList<QSpinBox *> defaultBoxes() const;

    QLineEdit *m_name = nullptr;
    QComboBox *m_vehType = nullptr;
    QTimeEdit *m_startTime = nullptr;
    QSpinBox *m_duration = nullptr;
    QCheckBox *m_lockZoom = nullptr;
    QSpinBox *m_lockedZoom = nullptr;
    QSpinBox *m_currentZoom = nullptr;
    QSpinBox *m_defTurnaround = nullptr;
    QSpinBox *m_defLeft = nullptr;
    QSpinBox *m_defStraight = nullptr;
    QSpinBox *m_defRight = nullptr;
    QCheckBox *m_fixDefValues = nullptr;
    QCheckBox *m_fixValues = nullptr;
    QTreeWidget *m_turnDataTree = nullptr;
    QTableWidget *m_inputFlowTable = nullptr;
    QDialogButtonBox *m_buttonBox = nullptr;

    Networkg *m_net = nullptr;
    QPointer<Trelvoa::TrafficState> m_state;
    bool m_newState = false;
    QHash<const QTreeWidgetItem *, Flow> m_flows;
    QTreeWidgetItem *m_shownJunction = nullptr;
    // The scene arrows of each junction shown so far, per movement item; made on first showing.
    QHash<const QTreeWidgetItem *, QList<TurnArrowItem *>> m_arrows;
    bool m_loading = false;
    bool m_balancing = false;
    QTimer m_defTimer;
};

} // namespace Trelvoga
