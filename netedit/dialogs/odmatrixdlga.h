#pragma once

#include "trelvoga_global.h"

#include <QColor>
#include <QDialog>
#include <QPointer>

class QComboBox;
class QDialogButtonBox;
class QEventLoop;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTableWidgetItem;
class QTimeEdit;

namespace Trelvoa {
class OdMatrix;
class Taz;
} // namespace Trelvoa

namespace Trelvoga {

class GenericGraphicsItem;
class NetEdit;
class Networkg;

// Edits one origin/destination matrix: name, vehicle class and the trips between zones. Rows are
// origins, columns destinations, one row and one column per zone; zones join by clicking their scene
// items while the dialog is open, so exec() runs a local event loop without blocking the main window.
// The current origin is red, the current destination green, in the headers and on the scene. Nothing
// in the network changes before OK.
class TRELVOGA_EXPORT ODMatrixDlga : public QDialog
{
    Q_OBJECT

public:
    // matrix null: a new matrix, made on OK (without parent). edit gives the vehicle class names.
    ODMatrixDlga(Networkg *net, Trelvoa::OdMatrix *matrix, QWidget *parent = nullptr, const NetEdit *edit = nullptr);
    ~ODMatrixDlga() override;

    // The matrix edited, or made on OK; null for a new one before that.
    Trelvoa::OdMatrix *matrix() const;
    // The zones of the rows (and columns), in table order.
    QList<Trelvoa::Taz *> tazList() const;
    // Whether the current cell was moved at least once.
    bool isChanged() const { return m_changed != 0; }

    static const QColor fadedTazColor;
    static const QColor originColor;
    static const QColor destinationColor;

public slots:
    int exec() override;
    void done(int result) override;

    void sceneItemClicked(Trelvoga::GenericGraphicsItem *item);
    void on_calculate_clicked();
    void on_odTable_currentCellChanged(int currentRow, int currentColumn, int previousRow, int previousColumn);
    // Show the zone of the section (the current row or column without an argument) in every view.
    void odTable_vertical_section_doubleclicked(int index = -1);
    void odTable_horizontal_section_doubleclicked(int index = -1);
    void selectRow(int row);
    void selectColumn(int column);

private:
    void buildForm();
    void addTaz(Trelvoa::Taz *taz);
    int rowOf(const Trelvoa::Taz *taz) const;
    Trelvoa::Taz *tazOf(const QTableWidgetItem *header) const;
    GenericGraphicsItem *itemOf(const Trelvoa::Taz *taz) const;
    void leaveRow(int row);
    void leaveColumn(int column);
    void showZone(const QTableWidgetItem *header);
    void resetZoneItems(bool everyZone);
    bool store();

    QComboBox *m_vehType = nullptr;
    QLineEdit *m_name = nullptr;
    QRadioButton *m_selectionModeOrigin = nullptr;
    QRadioButton *m_selectionModeDestination = nullptr;
    QTableWidget *m_odTable = nullptr;
    QComboBox *m_dayGroups = nullptr;
    QTimeEdit *m_startTime = nullptr;
    QPushButton *m_calculate = nullptr;
    QDialogButtonBox *m_buttonBox = nullptr;

    Networkg *m_net = nullptr;
    QPointer<Trelvoa::OdMatrix> m_matrix;
    bool m_newMatrix = false;
    qint16 m_changed = 0;
    int m_highlightedRow = -1;
    int m_highlightedColumn = -1;
    QEventLoop *m_loop = nullptr;
};

} // namespace Trelvoga
