#include "export/sumoexportdlga.h"

#include "dialogs/comboboxdelegate.h"

#include "network.h"
#include "odmatrix.h"
#include "route.h"
#include "sumo/sumonet.h"

#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace Trelvoga {

namespace {

const char *const settingsArray = "SUMOExport2";
const char *const legacyGroup = "SUMOExport";
const char *const experimentFile = "experiment.ini";
constexpr int legacyConversionLimit = 21;

template<class T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QSpinBox *spinBox(const char *name, int minimum, int maximum, int value)
{
    auto *box = named(new QSpinBox, name);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

QWidget *withButton(QLineEdit *field, QPushButton *button)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    layout->addWidget(button);
    return row;
}

template<class T>
QList<T *> sortedById(const Trelvoa::Network *network)
{
    QList<T *> objects;
    for (Trelvoa::NetObject *object : network->allObjects()) {
        if (auto *typed = qobject_cast<T *>(object))
            objects.append(typed);
    }
    std::sort(objects.begin(), objects.end(), [](const T *a, const T *b) { return a->id() < b->id(); });
    return objects;
}

} // namespace

SUMOExportDlga::SUMOExportDlga(Trelvoa::Network *network, QWidget *parent, const QString &networkFile,
                               const QString &tlConfigDir, int tlList)
    : QDialog(parent)
    , m_network(network)
    , m_callerTlConfigDir(tlConfigDir)
    , m_callerTlList(tlList)
    , m_networkKey(networkKey(networkFile))
    , m_networkDir(networkFile.isEmpty() ? QDir::currentPath() : QFileInfo(networkFile).absolutePath())
{
    m_filling = true;
    m_exportDirChangedTimer.setObjectName(QStringLiteral("exportDirChangedTimer"));
    m_exportDirChangedTimer.setParent(this);
    m_exportDirChangedTimer.setInterval(1000);
    m_exportDirChangedTimer.setSingleShot(true);
    m_sourceFormatOffered = QCoreApplication::arguments().contains(QStringLiteral("--ext-export"));
    buildForm();
    fillRoutes();
    fillMatrices();
    QMetaObject::connectSlotsByName(this);

    QSettings settings;
    openSettings(settings);
    QString exportDir = readPath(settings.value(QStringLiteral("lastExportDir")));
    convertLegacySettings(settings);

    bool experimentLoaded = false;
    const int count = settings.beginReadArray(QLatin1String(settingsArray));
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        if (settings.value(QStringLiteral("hash")).toByteArray() != m_networkKey)
            continue;
        m_isNewEntry = false;
        exportDir = readPath(settings.value(QStringLiteral("last_dir")));
        const QString experiment = QDir(resolvedExportDir(exportDir)).filePath(QLatin1String(experimentFile));
        experimentLoaded = QFileInfo::exists(experiment) && loadExperiment(experiment);
        if (!experimentLoaded)
            restoreOlderKeys(settings);
        break;
    }
    settings.endArray();

    m_exportDir->setText(exportDir);
    loadVehicleSettings();
    if (m_sumoRoot->text().isEmpty()) {
        const QFileInfo gui(Trelvoa::SUMONet::sumo_exe(true));
        if (gui.isAbsolute() && gui.isFile())
            m_sumoRoot->setText(gui.absolutePath());
    }
    validateDir(m_sumoRoot, sumoGuiFileName());
    validateDir(m_exportDir, QString());
    if (!m_changeStartTime->isChecked())
        m_experimentStartTime->setTime(QTime::currentTime());
    m_filling = false;
}

SUMOExportDlga::~SUMOExportDlga() = default;

void SUMOExportDlga::buildForm()
{
    setObjectName(QStringLiteral("SUMOExportDlga"));
    setWindowTitle(tr("Export to SUMO"));
    auto *layout = new QVBoxLayout(this);

    auto *top = new QFormLayout;
    m_exportDir = named(new QLineEdit, "exportDir");
    m_chooseExpDir = named(new QPushButton(QStringLiteral("...")), "chooseExpDir");
    top->addRow(tr("Directory for export:"), withButton(m_exportDir, m_chooseExpDir));
    m_srcFormat = named(new QRadioButton(tr("Source format")), "srcFormat");
    m_nativeFormat = named(new QRadioButton(tr("Native format")), "nativeFormat");
    m_nativeFormat->setChecked(true);
    top->addRow(m_srcFormat);
    top->addRow(m_nativeFormat);
    m_srcFormat->setVisible(m_sourceFormatOffered);
    m_doubleProcessing = named(new QCheckBox(tr("Use double processing for source format")), "doubleProcessing");
    top->addRow(m_doubleProcessing);
    layout->addLayout(top);

    m_useODMatrix = named(new QGroupBox(tr("Use demand matricies")), "useODMatrix");
    m_useODMatrix->setCheckable(true);
    m_useODMatrix->setChecked(false);
    auto *matrixLayout = new QVBoxLayout(m_useODMatrix);
    m_matrices = named(new QListWidget, "matrices");
    matrixLayout->addWidget(m_matrices);
    layout->addWidget(m_useODMatrix);

    m_createMultidetector = named(new QCheckBox(tr("Create Multidetector")), "createMultidetector");
    m_useMeasData = named(new QCheckBox(tr("Use measurement data")), "useMeasData");
    layout->addWidget(m_createMultidetector);
    layout->addWidget(m_useMeasData);

    m_tab1 = named(new QTabWidget, "tab1");
    m_tab1->addTab(buildSumoPage(), tr("SUMO executable"));
    m_tab1->addTab(buildVantalPage(), tr("Traffic vantal"));
    m_tab1->addTab(buildVehiclePage(), tr("Vehicle autoassignment"));
    m_tab1->setCurrentIndex(0);
    m_tab1->widget(1)->setEnabled(false);
    m_tab1->widget(2)->setEnabled(false);
    layout->addWidget(m_tab1);

    m_buttonBox = named(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel), "buttonBox");
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &SUMOExportDlga::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &SUMOExportDlga::reject);
    layout->addWidget(m_buttonBox);

    connect(m_startAfterExport, &QCheckBox::toggled, m_cmdLine, &QWidget::setEnabled);
    connect(m_changeStartTime, &QCheckBox::toggled, m_experimentStartTime, &QWidget::setEnabled);
    for (QWidget *target : {static_cast<QWidget *>(m_changeStartTime), static_cast<QWidget *>(m_tlConfigDir),
                            static_cast<QWidget *>(m_tlList)})
        connect(m_useSumoqlindar, &QCheckBox::toggled, target, &QWidget::setEnabled);
}

QWidget *SUMOExportDlga::buildSumoPage()
{
    auto *page = named(new QWidget, "pageSumo");
    auto *form = new QFormLayout(page);
    m_sumoRoot = named(new QLineEdit, "sumoRoot");
    form->addRow(tr("Root directory:"),
                 withButton(m_sumoRoot, named(new QPushButton(QStringLiteral("...")), "chooseSumoDir")));
    m_startAfterExport = named(new QCheckBox(tr("Start SUMO after export")), "startAfterExport");
    form->addRow(m_startAfterExport);
    m_useSumoqlindar = named(new QCheckBox(tr("Use sumoqlindar")), "use_sumoqlindar");
    form->addRow(m_useSumoqlindar);
    m_changeStartTime = named(new QCheckBox(tr("Experiment start time:")), "changeStartTime");
    m_changeStartTime->setEnabled(false);
    m_experimentStartTime = named(new QTimeEdit, "experimentStartTime");
    m_experimentStartTime->setEnabled(false);
    form->addRow(m_changeStartTime, m_experimentStartTime);
    m_simDelay = spinBox("simDelay", 0, 1000, 20);
    form->addRow(tr("Simulation delay, ms:"), m_simDelay);
    m_scheme = named(new QLineEdit, "scheme");
    form->addRow(tr("Scheme name:"), m_scheme);
    m_routeFiles = named(new QLineEdit, "routeFiles");
    form->addRow(tr("Route files:"), m_routeFiles);
    m_additionalFiles = named(new QLineEdit, "additionalFiles");
    form->addRow(tr("Additional files:"), m_additionalFiles);
    m_cmdLine = named(new QLineEdit, "cmdLine");
    m_cmdLine->setEnabled(false);
    form->addRow(tr("Additional command line string:"), m_cmdLine);
    m_tlConfigDir = named(new QLineEdit, "tlConfigDir");
    m_tlConfigDir->setEnabled(false);
    m_tlConfigDirLabel = new QLabel(tr("TL configuration directory:"));
    form->addRow(m_tlConfigDirLabel, m_tlConfigDir);
    m_tlList = named(new QLineEdit, "tlList");
    m_tlList->setEnabled(false);
    m_tlListLabel = new QLabel(tr("TL list:"));
    form->addRow(m_tlListLabel, m_tlList);
    if (!m_callerTlConfigDir.isEmpty()) {
        m_tlConfigDir->setText(m_callerTlConfigDir);
        m_tlConfigDirLabel->setVisible(false);
        m_tlConfigDir->setVisible(false);
    }
    if (m_callerTlList > 0) {
        m_tlList->setText(QString::number(m_callerTlList));
        m_tlListLabel->setVisible(false);
        m_tlList->setVisible(false);
    }
    return page;
}

QWidget *SUMOExportDlga::buildVantalPage()
{
    auto *page = named(new QWidget, "pageVant");
    auto *form = new QFormLayout(page);
    m_startVant = named(new QCheckBox(tr("Start with experiment")), "startVant");
    form->addRow(m_startVant);
    m_vantalExe = named(new QLineEdit, "vantalExe");
    form->addRow(tr("executable:"),
                 withButton(m_vantalExe, named(new QPushButton(QStringLiteral("...")), "selectVantal")));
    m_vantRoot = named(new QLineEdit, "vantRoot");
    form->addRow(tr("Root directory:"),
                 withButton(m_vantRoot, named(new QPushButton(QStringLiteral("...")), "chooseVantDir")));
    m_rpcHost = named(new QLineEdit, "rpcHost");
    form->addRow(tr("RPC host:"), m_rpcHost);
    m_rpcPort = spinBox("rpcPort", 0, 65535, 9341);
    form->addRow(tr("RPC port:"), m_rpcPort);
    m_rpcUser = named(new QLineEdit, "rpcUser");
    form->addRow(tr("RPC user:"), m_rpcUser);
    m_rpcPassword = named(new QLineEdit, "rpcPassword");
    m_rpcPassword->setEchoMode(QLineEdit::Password);
    form->addRow(tr("RPC password:"), m_rpcPassword);
    m_wialonServer = named(new QLineEdit, "wialonServer");
    form->addRow(tr("WIALON server:"), m_wialonServer);
    m_randomRadius = spinBox("randomRadius", 0, 1000, 0);
    form->addRow(tr("Position noise radius, m:"), m_randomRadius);
    m_vehiclePrefix = named(new QLineEdit, "vehiclePrefix");
    form->addRow(tr("Vehicle name prefix:"), m_vehiclePrefix);
    m_sendPeriod = spinBox("sendPeriod", 0, 10000, 1000);
    form->addRow(tr("Send position period, msec:"), m_sendPeriod);
    return page;
}

QWidget *SUMOExportDlga::buildVehiclePage()
{
    auto *page = named(new QWidget, "pageVehAutoassign");
    auto *layout = new QVBoxLayout(page);
    m_vehAssignTable = named(new QTableWidget(0, 4), "vehAssignTable");
    m_vehAssignTable->setHorizontalHeaderLabels({tr("name template"), tr("route"), tr("color"), tr("weight")});
    layout->addWidget(m_vehAssignTable);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(named(new QPushButton(tr("add")), "addVeh"));
    m_deleteVeh = named(new QPushButton(tr("delete")), "deleteVeh");
    m_deleteVeh->setEnabled(false);
    buttons->addWidget(m_deleteVeh);
    buttons->addStretch();
    layout->addLayout(buttons);
    return page;
}

void SUMOExportDlga::fillRoutes()
{
    QStringList texts;
    QVariantList values;
    if (m_network) {
        for (Trelvoa::Route *route : sortedById<Trelvoa::Route>(m_network)) {
            texts << route->printableName();
            values << route->id();
        }
    }
    m_vehAssignTable->setItemDelegateForColumn(1, new ComboBoxDelegate(m_vehAssignTable, texts, values));
}

void SUMOExportDlga::fillMatrices()
{
    const QList<Trelvoa::OdMatrix *> matrices = m_network ? sortedById<Trelvoa::OdMatrix>(m_network)
                                                          : QList<Trelvoa::OdMatrix *>();
    for (Trelvoa::OdMatrix *matrix : matrices) {
        QString text = QString::number(matrix->id());
        if (!matrix->objectName().isEmpty())
            text += QStringLiteral(" (") + matrix->objectName() + QLatin1Char(')');
        auto *item = new QListWidgetItem(text, m_matrices);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, matrix->id());
    }
    m_useODMatrix->setEnabled(!matrices.isEmpty());
}

void SUMOExportDlga::setVisibleRect(const QRectF &rect)
{
    m_visibleRect = rect;
}

QRectF SUMOExportDlga::visibleRect() const
{
    return m_visibleRect;
}

QString SUMOExportDlga::resolvedExportDir(const QString &text) const
{
    return QDir::cleanPath(QDir(m_networkDir).absoluteFilePath(text));
}

QString SUMOExportDlga::exportPath() const
{
    return resolvedExportDir(m_exportDir->text());
}

QString SUMOExportDlga::tlConfigPath() const
{
    return QDir::cleanPath(QDir(exportPath()).absoluteFilePath(m_tlConfigDir->text()));
}

QString SUMOExportDlga::sumoGuiFileName()
{
    return toolFileName(QStringLiteral("sumo-gui"));
}

QString SUMOExportDlga::toolFileName(const QString &tool)
{
#ifdef Q_OS_WIN
    return tool + QStringLiteral(".exe");
#else
    return tool;
#endif
}

QByteArray SUMOExportDlga::networkKey(const QString &networkFile)
{
    return QCryptographicHash::hash(networkFile.toUtf8(), QCryptographicHash::Md5);
}

// --- Settings ------------------------------------------------------------------------------------

void SUMOExportDlga::openSettings(QSettings &settings)
{
    settings.setIniCodec("UTF-8");
}

QString SUMOExportDlga::readPath(const QVariant &value)
{
    if (value.userType() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    return value.toString();
}

void SUMOExportDlga::convertLegacySettings(QSettings &settings)
{
    settings.beginGroup(QLatin1String(legacyGroup));
    const QStringList networks = settings.childGroups();
    settings.endGroup();
    if (networks.isEmpty())
        return;
    QList<QVariantMap> entries;
    const int count = settings.beginReadArray(QLatin1String(settingsArray));
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        QVariantMap entry;
        for (const QString &key : settings.childKeys())
            entry.insert(key, settings.value(key));
        entries.append(entry);
    }
    settings.endArray();
    const QDateTime now = QDateTime::currentDateTime();
    for (const QString &network : networks.mid(0, legacyConversionLimit)) {
        settings.beginGroup(QLatin1String(legacyGroup) + QLatin1Char('/') + network);
        QVariantMap entry;
        for (const QString &key : settings.childKeys())
            entry.insert(key, settings.value(key));
        settings.endGroup();
        entry.insert(QStringLiteral("hash"), networkKey(network));
        entry.insert(QStringLiteral("last_access"), now);
        entries.append(entry);
    }
    settings.remove(QLatin1String(settingsArray));
    settings.beginWriteArray(QLatin1String(settingsArray), entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        settings.setArrayIndex(i);
        const QVariantMap &entry = entries.at(i);
        for (auto it = entry.cbegin(); it != entry.cend(); ++it)
            settings.setValue(it.key(), it.value());
    }
    settings.endArray();
    settings.remove(QLatin1String(legacyGroup));
}

void SUMOExportDlga::restoreOlderKeys(QSettings &settings)
{
    auto has = [&settings](const char *key) { return settings.contains(QLatin1String(key)); };
    auto flag = [&settings](const char *key, bool fallback) {
        return settings.value(QLatin1String(key), fallback).toBool();
    };
    if (flag("native_format", true) || !m_sourceFormatOffered)
        m_nativeFormat->setChecked(true);
    else
        m_srcFormat->setChecked(true);
    m_doubleProcessing->setChecked(flag("double_processing", false));
    m_useMeasData->setChecked(flag("use_measurement", false));
    if (flag("use_sumoqlindar", false)) {
        const QFileInfo launcher(Trelvoa::SUMONet::sumoqlindar_exe());
        m_useSumoqlindar->setChecked(launcher.isAbsolute() && launcher.isFile());
    }
    m_useODMatrix->setChecked(flag("use_od_matrix", false));
    if (has("od_matricies")) {
        const QStringList checked = settings.value(QStringLiteral("od_matricies")).toString().split(QLatin1Char(','));
        for (int i = 0; i < m_matrices->count(); ++i) {
            QListWidgetItem *item = m_matrices->item(i);
            item->setCheckState(checked.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
        }
    }
    if (has("sumo_root"))
        m_sumoRoot->setText(readPath(settings.value(QStringLiteral("sumo_root"))));
    m_startAfterExport->setChecked(settings.value(QStringLiteral("start_after_export")).toInt() == 1);
    if (has("add_cmdLine"))
        m_cmdLine->setText(settings.value(QStringLiteral("add_cmdLine")).toString());
    if (has("route_files"))
        m_routeFiles->setText(settings.value(QStringLiteral("route_files")).toString());
    if (has("additional_files"))
        m_additionalFiles->setText(settings.value(QStringLiteral("additional_files")).toString());
    if (has("tl_config_dir") && m_callerTlConfigDir.isEmpty())
        m_tlConfigDir->setText(readPath(settings.value(QStringLiteral("tl_config_dir"))));
    if (has("tl_list") && m_callerTlList < 1)
        m_tlList->setText(settings.value(QStringLiteral("tl_list")).toString());
    m_changeStartTime->setChecked(flag("change_start_time", false));
    m_experimentStartTime->setTime(
        settings.value(QStringLiteral("experiment_start_time"), QTime::currentTime()).toTime());
}

void SUMOExportDlga::rememberExport()
{
    QSettings settings;
    openSettings(settings);
    QList<QVariantMap> others;
    const int count = settings.beginReadArray(QLatin1String(settingsArray));
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        if (settings.value(QStringLiteral("hash")).toByteArray() == m_networkKey)
            continue;
        QVariantMap entry;
        for (const QString &key : settings.childKeys())
            entry.insert(key, settings.value(key));
        others.append(entry);
    }
    settings.endArray();
    std::stable_sort(others.begin(), others.end(), [](const QVariantMap &a, const QVariantMap &b) {
        return a.value(QStringLiteral("last_access")).toDateTime() < b.value(QStringLiteral("last_access")).toDateTime();
    });
    // The least recently used networks make room for a new one.
    if (m_isNewEntry) {
        while (others.size() >= 20)
            others.removeFirst();
    }
    QVariantMap own;
    own.insert(QStringLiteral("hash"), m_networkKey);
    own.insert(QStringLiteral("last_access"), QDateTime::currentDateTime());
    own.insert(QStringLiteral("last_dir"), m_exportDir->text().toUtf8());
    others.append(own);

    settings.remove(QLatin1String(settingsArray));
    settings.beginWriteArray(QLatin1String(settingsArray), others.size());
    for (int i = 0; i < others.size(); ++i) {
        settings.setArrayIndex(i);
        const QVariantMap &entry = others.at(i);
        for (auto it = entry.cbegin(); it != entry.cend(); ++it)
            settings.setValue(it.key(), it.value());
    }
    settings.endArray();
    settings.setValue(QStringLiteral("lastExportDir"), m_exportDir->text());
    m_isNewEntry = false;
}

// --- Fields --------------------------------------------------------------------------------------

bool SUMOExportDlga::validateDir(QLineEdit *field, const QString &requiredFile)
{
    const QString text = field->text();
    const QString path = field == m_exportDir ? resolvedExportDir(text) : text;
    QString problem;
    if (text.isEmpty())
        problem = tr("Field must be non empty");
    else if (!QFileInfo(path).isDir())
        problem = tr("This directory not exist");
    else if (!requiredFile.isEmpty() && !QFileInfo::exists(QDir(path).filePath(requiredFile)))
        problem = tr("Root directory not contain %1 file").arg(requiredFile);
    QPalette palette = QApplication::palette(field);
    if (!problem.isEmpty()) {
        for (int group = 0; group < QPalette::NColorGroups; ++group)
            palette.setColor(QPalette::ColorGroup(group), QPalette::Base, Qt::red);
    }
    field->setPalette(palette);
    field->setToolTip(problem);
    if (field == m_exportDir)
        m_buttonBox->button(QDialogButtonBox::Ok)->setEnabled(problem.isEmpty());
    return problem.isEmpty();
}

void SUMOExportDlga::on_chooseExpDir_clicked()
{
    const QString dir = QFileDialog::getExistingDirectory(this, tr("Select directory"), exportPath());
    if (!dir.isEmpty())
        m_exportDir->setText(dir);
}

void SUMOExportDlga::on_chooseSumoDir_clicked()
{
    const QString dir = QFileDialog::getExistingDirectory(this, tr("Select directory"), m_sumoRoot->text());
    if (!dir.isEmpty())
        m_sumoRoot->setText(dir);
}

void SUMOExportDlga::on_sumoRoot_textChanged(const QString &arg1)
{
    Q_UNUSED(arg1)
    validateDir(m_sumoRoot, sumoGuiFileName());
}

void SUMOExportDlga::on_use_sumoqlindar_toggled(bool checked)
{
    if (!checked)
        return;
    const QFileInfo launcher(Trelvoa::SUMONet::sumoqlindar_exe());
    if (launcher.isAbsolute() && launcher.isFile())
        return;
    QMessageBox::critical(this, tr("Error"), tr("sumoqlindar not found in system paths nor application directory"));
    m_useSumoqlindar->setChecked(false);
}

void SUMOExportDlga::on_exportDir_textChanged(const QString &text)
{
    Q_UNUSED(text)
    validateDir(m_exportDir, QString());
    if (!m_filling)
        m_exportDirChangedTimer.start();
}

void SUMOExportDlga::on_exportDirChangedTimer_timeout()
{
    const QString experiment = QDir(exportPath()).filePath(QLatin1String(experimentFile));
    if (!QFileInfo::exists(experiment))
        return;
    if (QMessageBox::question(this, windowTitle(), tr("In export directory exists experiment data. Load it?"),
                              QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes)
        loadExperiment(experiment);
}

void SUMOExportDlga::on_selectVantal_clicked()
{
    const QString file = QFileDialog::getOpenFileName(this, tr("Select vantal executable"), m_vantalExe->text(),
                                                      QStringLiteral("traffic-vantal.exe"));
    if (!file.isEmpty())
        m_vantalExe->setText(file);
}

void SUMOExportDlga::on_chooseVantDir_clicked()
{
    const QString dir = QFileDialog::getExistingDirectory(this, tr("Select directory"), m_vantRoot->text());
    if (!dir.isEmpty())
        m_vantRoot->setText(dir);
}

void SUMOExportDlga::on_tlConfigDir_textChanged(const QString &text)
{
    Q_UNUSED(text)
    loadVehicleSettings();
}

} // namespace Trelvoga
