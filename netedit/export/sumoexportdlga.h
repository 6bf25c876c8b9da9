#pragma once

#include "trelvoga_global.h"

#include <QByteArray>
#include <QDialog>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QtGlobal>

class QCheckBox;
class QColor;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSettings;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QTimeEdit;

namespace Trelvoa {
class Network;
class OdMatrix;
class SUMONet;
} // namespace Trelvoa

namespace Trelvoga {

// Exports the network as a SUMO project into an export directory, with flows or pedestrian trips from
// the OD matrices, optionally through SUMO's netconvert (source format), and starts the simulation.
// The dialog's own fields are kept per network (the "SUMOExport2" settings array, keyed by the MD5 of
// the network file path) and as "experiment.ini" in the export directory; the vehicle settings of the
// launcher live in "simul.ini" of the traffic-light configuration directory.
//
// SUMO's tools are taken from the user's SUMO root directory. Relative directories are relative to the
// network file's directory (the export directory) or to the export directory (the TL configuration
// directory).
class TRELVOGA_EXPORT SUMOExportDlga : public QDialog
{
    Q_OBJECT

public:
    // tlConfigDir non-empty and tlList > 0 fix those fields and hide them; tlList < 0 gives none.
    SUMOExportDlga(Trelvoa::Network *network, QWidget *parent, const QString &networkFile,
                   const QString &tlConfigDir, int tlList);
    ~SUMOExportDlga() override;

    // The area shown first by the simulator's GUI, in scene coordinates (set before exec()).
    void setVisibleRect(const QRectF &rect);
    QRectF visibleRect() const;

    // The export directory field resolved against the network file's directory.
    QString exportPath() const;
    // The TL configuration directory field resolved against the export directory.
    QString tlConfigPath() const;

    // Every named line edit, spin box, check box, radio button, checkable group box, time edit and list
    // widget of the dialog; load returns false when the file does not exist.
    bool loadExperiment(const QString &fileName);
    void saveExperiment(const QString &fileName) const;
    // "simul.ini" of the TL configuration directory; nothing happens when it has none.
    void loadVehicleSettings();
    void saveVehicleSettings() const;

    // The file the SUMO root directory must hold ("sumo-gui.exe" on Windows).
    static QString sumoGuiFileName();
    // A SUMO tool's file name on this platform ("netconvert" -> "netconvert.exe" on Windows).
    static QString toolFileName(const QString &tool);
    // The network key: MD5 (raw) of the network file path in UTF-8.
    static QByteArray networkKey(const QString &networkFile);
    // A colour as the launcher stores it: "0x" and red, green, blue, alpha in lower-case hexadecimal.
    static QString packColor(const QColor &color);
    static QColor unpackColor(const QString &text);

signals:
    void logMessage(const QString &text, QtMsgType type);

public slots:
    void accept() override;

    void on_chooseExpDir_clicked();
    void on_chooseSumoDir_clicked();
    void on_sumoRoot_textChanged(const QString &arg1);
    void on_use_sumoqlindar_toggled(bool checked);
    void on_exportDir_textChanged(const QString &text);
    void on_exportDirChangedTimer_timeout();
    void on_selectVantal_clicked();
    void on_chooseVantDir_clicked();
    void on_tlConfigDir_textChanged(const QString &text);
    void on_vehAssignTable_currentCellChanged(int currentRow, int currentColumn, int previousRow,
                                              int previousColumn);
    void on_vehAssignTable_cellDoubleClicked(int row, int column);
    void on_addVeh_clicked();
    void on_deleteVeh_clicked();

private:
    void buildForm();
    QWidget *buildSumoPage();
    QWidget *buildVantalPage();
    QWidget *buildVehiclePage();
    void fillMatrices();
    void fillRoutes();

    // Settings.
    static void openSettings(QSettings &settings);
    static QString readPath(const QVariant &value);
    void convertLegacySettings(QSettings &settings);
    void restoreOlderKeys(QSettings &settings);
    void rememberExport();

    bool validateDir(QLineEdit *field, const QString &requiredFile);
    QString resolvedExportDir(const QString &text) const;

    // The export run.
    void addDemand(Trelvoa::SUMONet *sumo, const QString &dir);
    bool writePedestrianOd(Trelvoa::OdMatrix *matrix, const QString &fileName) const;
    void runOd2trips(Trelvoa::SUMONet *sumo, const QString &dir, int row);
    bool runNetconvert(Trelvoa::SUMONet *sumo, const QString &dir);
    // Runs a tool in dir for up to 10 s; the standard error output goes to errors.
    static bool runTool(const QString &program, const QStringList &arguments, const QString &dir,
                        QByteArray *errors);
    void showToolErrors(const QString &title, const QString &commandLine, const QByteArray &errors);
    void launch(Trelvoa::SUMONet *sumo, const QString &dir, bool netconvertFailed);
    QStringList launcherArguments(Trelvoa::SUMONet *sumo) const;
    QStringList cmdLineWords() const;

    // Form.
    QLineEdit *m_exportDir = nullptr;
    QPushButton *m_chooseExpDir = nullptr;
    QRadioButton *m_srcFormat = nullptr;
    QRadioButton *m_nativeFormat = nullptr;
    QCheckBox *m_doubleProcessing = nullptr;
    QGroupBox *m_useODMatrix = nullptr;
    QListWidget *m_matrices = nullptr;
    QCheckBox *m_createMultidetector = nullptr;
    QCheckBox *m_useMeasData = nullptr;
    QTabWidget *m_tab1 = nullptr;
    QLineEdit *m_sumoRoot = nullptr;
    QCheckBox *m_startAfterExport = nullptr;
    QCheckBox *m_useSumoqlindar = nullptr;
    QCheckBox *m_changeStartTime = nullptr;
    QTimeEdit *m_experimentStartTime = nullptr;
    QSpinBox *m_simDelay = nullptr;
    QLineEdit *m_scheme = nullptr;
    QLineEdit *m_routeFiles = nullptr;
    QLineEdit *m_additionalFiles = nullptr;
    QLineEdit *m_cmdLine = nullptr;
    QLineEdit *m_tlConfigDir = nullptr;
    QLabel *m_tlConfigDirLabel = nullptr;
    QLineEdit *m_tlList = nullptr;
    QLabel *m_tlListLabel = nullptr;
    QDialogButtonBox *m_buttonBox = nullptr;
    // Vantal page.
    QCheckBox *m_startVant = nullptr;
    QLineEdit *m_vantalExe = nullptr;
    QLineEdit *m_vantRoot = nullptr;
    QLineEdit *m_rpcHost = nullptr;
    QSpinBox *m_rpcPort = nullptr;
    QLineEdit *m_rpcUser = nullptr;
    QLineEdit *m_rpcPassword = nullptr;
    QLineEdit *m_wialonServer = nullptr;
    QSpinBox *m_randomRadius = nullptr;
    QLineEdit *m_vehiclePrefix = nullptr;
    QSpinBox *m_sendPeriod = nullptr;
    // Vehicle autoassignment page.
    QTableWidget *m_vehAssignTable = nullptr;
    QPushButton *m_deleteVeh = nullptr;

    Trelvoa::Network *m_network = nullptr;
    QString m_callerTlConfigDir;
    int m_callerTlList = -1;
    QByteArray m_networkKey;
    QRectF m_visibleRect;
    bool m_isNewEntry = true;
    QString m_networkDir;
    QTimer m_exportDirChangedTimer;
    // The source format is offered only to those who asked for it ("--ext-export").
    bool m_sourceFormatOffered = false;
    // Fields are being filled by the dialog itself, not edited by the user.
    bool m_filling = false;
};

} // namespace Trelvoga
