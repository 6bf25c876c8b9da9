// The experiment files of the export dialog ("experiment.ini", "simul.ini"), the vehicle table and the
// simulation launch.
#include "export/sumoexportdlga.h"

#include "export/launchscript.h"

#include "sumo/sumonet.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColorDialog>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimeEdit>

namespace Trelvoga {

namespace {

const char *const simulFile = "simul.ini";

// Widgets of the dialog's own, not the parts Qt builds inside spin boxes and editors.
template<class T>
QList<T *> ownWidgets(const QObject *dialog)
{
    QList<T *> widgets;
    for (T *widget : dialog->findChildren<T *>()) {
        const QString name = widget->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            widgets.append(widget);
    }
    return widgets;
}

bool isStateButton(const QAbstractButton *button)
{
    return qobject_cast<const QCheckBox *>(button) || qobject_cast<const QRadioButton *>(button);
}

void setOrRemove(QSettings &settings, const QString &key, const QString &value)
{
    if (value.isEmpty())
        settings.remove(key);
    else
        settings.setValue(key, value);
}

} // namespace

// --- experiment.ini ------------------------------------------------------------------------------

void SUMOExportDlga::saveExperiment(const QString &fileName) const
{
    QSettings file(fileName, QSettings::IniFormat);
    file.setIniCodec("UTF-8");
    file.clear();
    file.beginGroup(QStringLiteral("textedit"));
    for (const QLineEdit *edit : ownWidgets<QLineEdit>(this))
        file.setValue(edit->objectName(), edit->text());
    file.endGroup();
    file.beginGroup(QStringLiteral("spinbox"));
    for (const QSpinBox *box : ownWidgets<QSpinBox>(this))
        file.setValue(box->objectName(), box->value());
    file.endGroup();
    file.beginGroup(QStringLiteral("buttons"));
    for (const QAbstractButton *button : ownWidgets<QAbstractButton>(this)) {
        if (isStateButton(button))
            file.setValue(button->objectName(), button->isChecked() ? 1 : 0);
    }
    for (const QGroupBox *box : ownWidgets<QGroupBox>(this)) {
        if (box->isCheckable())
            file.setValue(box->objectName(), box->isChecked() ? 1 : 0);
    }
    file.endGroup();
    file.beginGroup(QStringLiteral("times"));
    for (const QTimeEdit *edit : ownWidgets<QTimeEdit>(this))
        file.setValue(edit->objectName(), edit->time());
    file.endGroup();
    file.beginGroup(QStringLiteral("lists"));
    for (const QListWidget *list : ownWidgets<QListWidget>(this)) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) {
            const QListWidgetItem *item = list->item(i);
            const bool chosen = item->flags() & Qt::ItemIsUserCheckable ? item->checkState() == Qt::Checked
                                                                         : item->isSelected();
            if (chosen)
                texts << item->text();
        }
        file.setValue(list->objectName(), texts);
    }
    file.endGroup();
    file.sync();
}

bool SUMOExportDlga::loadExperiment(const QString &fileName)
{
    if (!QFileInfo::exists(fileName))
        return false;
    const bool filling = m_filling;
    m_filling = true;
    QSettings file(fileName, QSettings::IniFormat);
    file.setIniCodec("UTF-8");
    // The directory the user chose stays (the file may come from a copied directory), and so do the
    // fields the caller fixed.
    const QList<const QLineEdit *> kept{m_exportDir, m_callerTlConfigDir.isEmpty() ? nullptr : m_tlConfigDir,
                                        m_callerTlList > 0 ? m_tlList : nullptr};
    file.beginGroup(QStringLiteral("textedit"));
    for (QLineEdit *edit : ownWidgets<QLineEdit>(this)) {
        if (!kept.contains(edit) && file.contains(edit->objectName()))
            edit->setText(file.value(edit->objectName()).toString());
    }
    file.endGroup();
    file.beginGroup(QStringLiteral("spinbox"));
    for (QSpinBox *box : ownWidgets<QSpinBox>(this)) {
        if (file.contains(box->objectName()))
            box->setValue(file.value(box->objectName()).toInt());
    }
    file.endGroup();
    file.beginGroup(QStringLiteral("buttons"));
    // Radio buttons only follow a checked one: unchecking one of a group would leave none checked.
    for (QAbstractButton *button : ownWidgets<QAbstractButton>(this)) {
        if (!isStateButton(button) || !file.contains(button->objectName()))
            continue;
        const bool checked = file.value(button->objectName()).toInt() == 1;
        if (checked || !qobject_cast<QRadioButton *>(button))
            button->setChecked(checked);
    }
    for (QGroupBox *box : ownWidgets<QGroupBox>(this)) {
        if (box->isCheckable() && file.contains(box->objectName()))
            box->setChecked(file.value(box->objectName()).toInt() == 1);
    }
    file.endGroup();
    file.beginGroup(QStringLiteral("times"));
    for (QTimeEdit *edit : ownWidgets<QTimeEdit>(this)) {
        if (file.contains(edit->objectName()))
            edit->setTime(file.value(edit->objectName()).toTime());
    }
    file.endGroup();
    file.beginGroup(QStringLiteral("lists"));
    for (QListWidget *list : ownWidgets<QListWidget>(this)) {
        if (!file.contains(list->objectName()))
            continue;
        const QStringList texts = file.value(list->objectName()).toStringList();
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem *item = list->item(i);
            const bool chosen = texts.contains(item->text());
            if (item->flags() & Qt::ItemIsUserCheckable)
                item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
            else
                item->setSelected(chosen);
        }
    }
    file.endGroup();
    m_filling = filling;
    return true;
}

// --- simul.ini -----------------------------------------------------------------------------------

QString SUMOExportDlga::packColor(const QColor &color)
{
    const quint32 packed = quint32(color.red()) << 24 | quint32(color.green()) << 16 | quint32(color.blue()) << 8
                           | quint32(color.alpha());
    return QStringLiteral("0x%1").arg(packed, 8, 16, QLatin1Char('0'));
}

QColor SUMOExportDlga::unpackColor(const QString &text)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    bool ok = false;
    const quint32 packed = digits.toUInt(&ok, 16);
    if (!ok)
        return QColor();
    return QColor(int(packed >> 24 & 0xff), int(packed >> 16 & 0xff), int(packed >> 8 & 0xff), int(packed & 0xff));
}

void SUMOExportDlga::loadVehicleSettings()
{
    const QString dir = tlConfigPath();
    const QString fileName = QDir(dir).filePath(QLatin1String(simulFile));
    if (m_tlConfigDir->text().isEmpty() || !QFileInfo(dir).isDir() || !QFileInfo::exists(fileName))
        return;
    QSettings file(fileName, QSettings::IniFormat);
    file.setIniCodec("UTF-8");
    auto text = [&file](QLineEdit *edit, const char *key) {
        if (file.contains(QLatin1String(key)))
            edit->setText(file.value(QLatin1String(key)).toString());
    };
    auto number = [&file](QSpinBox *box, const char *key) {
        if (file.contains(QLatin1String(key)))
            box->setValue(file.value(QLatin1String(key)).toInt());
    };
    text(m_wialonServer, "PosServer");
    number(m_randomRadius, "RandomRadius");
    number(m_sendPeriod, "SendPeriod");
    text(m_vehiclePrefix, "VehiclePrefix");
    file.beginGroup(QStringLiteral("vantal"));
    text(m_rpcHost, "rpc_host");
    number(m_rpcPort, "rpc_port");
    text(m_rpcUser, "rpc_login");
    text(m_rpcPassword, "rpc_password");
    // Written as a bool ("true"); older files hold 1.
    if (file.contains(QStringLiteral("start_vant")))
        m_startVant->setChecked(file.value(QStringLiteral("start_vant")).toBool());
    text(m_vantalExe, "vant_cmd");
    text(m_vantRoot, "vant_cwd");
    file.endGroup();

    m_vehAssignTable->setRowCount(0);
    static const QRegularExpression colourKey(QStringLiteral("^wc_(\\d+)$"));
    const int count = file.beginReadArray(QStringLiteral("vehicles"));
    for (int i = 0; i < count; ++i) {
        file.setArrayIndex(i);
        const int row = m_vehAssignTable->rowCount();
        m_vehAssignTable->insertRow(row);
        m_vehAssignTable->setItem(row, 0, new QTableWidgetItem(file.value(QStringLiteral("template")).toString()));
        auto *route = new QTableWidgetItem;
        const QVariant routeValue = file.value(QStringLiteral("route"));
        bool isId = false;
        const int routeId = routeValue.toInt(&isId);
        route->setData(Qt::EditRole, isId ? QVariant(routeId) : routeValue);
        m_vehAssignTable->setItem(row, 1, route);
        for (const QString &key : file.childKeys()) {
            const QRegularExpressionMatch match = colourKey.match(key);
            if (!match.hasMatch())
                continue;
            auto *colour = new QTableWidgetItem;
            colour->setFlags(colour->flags() & ~Qt::ItemIsEditable);
            colour->setBackground(unpackColor(file.value(key).toString()));
            m_vehAssignTable->setItem(row, 2, colour);
            m_vehAssignTable->setItem(row, 3, new QTableWidgetItem(match.captured(1)));
        }
    }
    file.endArray();
}

void SUMOExportDlga::saveVehicleSettings() const
{
    const QString dir = tlConfigPath();
    const QString fileName = QDir(dir).filePath(QLatin1String(simulFile));
    if (m_tlConfigDir->text().isEmpty() || !QFileInfo(dir).isDir() || !QFileInfo::exists(fileName))
        return;
    QSettings file(fileName, QSettings::IniFormat);
    file.setIniCodec("UTF-8");
    setOrRemove(file, QStringLiteral("PosServer"), m_wialonServer->text());
    file.setValue(QStringLiteral("connectionByBoard"), 1);
    file.setValue(QStringLiteral("RandomRadius"), m_randomRadius->value());
    file.setValue(QStringLiteral("SendPeriod"), m_sendPeriod->value());
    setOrRemove(file, QStringLiteral("VehiclePrefix"), m_vehiclePrefix->text());
    file.beginGroup(QStringLiteral("vantal"));
    if (m_rpcHost->text().isEmpty()) {
        file.remove(QStringLiteral("rpc_host"));
        file.remove(QStringLiteral("rpc_port"));
    } else {
        file.setValue(QStringLiteral("rpc_host"), m_rpcHost->text());
        file.setValue(QStringLiteral("rpc_port"), m_rpcPort->value());
    }
    setOrRemove(file, QStringLiteral("rpc_login"), m_rpcUser->text());
    setOrRemove(file, QStringLiteral("rpc_password"), m_rpcPassword->text());
    file.setValue(QStringLiteral("start_vant"), m_startVant->isChecked() && !m_vantalExe->text().isEmpty());
    file.setValue(QStringLiteral("vant_cmd"), m_vantalExe->text());
    file.setValue(QStringLiteral("vant_cwd"), m_vantRoot->text());
    file.endGroup();

    file.remove(QStringLiteral("vehicles"));
    file.beginWriteArray(QStringLiteral("vehicles"));
    int index = 0;
    for (int row = 0; row < m_vehAssignTable->rowCount(); ++row) {
        const QTableWidgetItem *name = m_vehAssignTable->item(row, 0);
        if (!name || name->text().isEmpty())
            continue;
        file.setArrayIndex(index++);
        file.setValue(QStringLiteral("template"), name->text());
        if (const QTableWidgetItem *route = m_vehAssignTable->item(row, 1)) {
            bool isId = false;
            const int routeId = route->data(Qt::EditRole).toInt(&isId);
            if (isId)
                file.setValue(QStringLiteral("route"), routeId);
        }
        const QTableWidgetItem *colour = m_vehAssignTable->item(row, 2);
        if (colour && colour->background().style() != Qt::NoBrush) {
            const QTableWidgetItem *weight = m_vehAssignTable->item(row, 3);
            file.setValue(QStringLiteral("wc_") + (weight ? weight->text() : QString()),
                          packColor(colour->background().color()));
        }
    }
    file.endArray();
    file.sync();
}

// --- Vehicle table -------------------------------------------------------------------------------

void SUMOExportDlga::on_vehAssignTable_currentCellChanged(int currentRow, int currentColumn, int previousRow,
                                                          int previousColumn)
{
    Q_UNUSED(currentColumn)
    Q_UNUSED(previousRow)
    Q_UNUSED(previousColumn)
    m_deleteVeh->setEnabled(currentRow >= 0);
}

void SUMOExportDlga::on_vehAssignTable_cellDoubleClicked(int row, int column)
{
    if (column != 2)
        return;
    QColorDialog::setCustomColor(0, Qt::red);
    QColorDialog::setCustomColor(1, Qt::green);
    QColorDialog::setCustomColor(2, Qt::yellow);
    QTableWidgetItem *item = m_vehAssignTable->item(row, column);
    const QColor current = item ? item->background().color() : QColor(Qt::white);
    const QColor chosen = QColorDialog::getColor(current, this, tr("Select color"), QColorDialog::ShowAlphaChannel);
    if (!chosen.isValid())
        return;
    if (!item) {
        item = new QTableWidgetItem;
        m_vehAssignTable->setItem(row, column, item);
    }
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setBackground(chosen);
    m_vehAssignTable->closePersistentEditor(item);
}

void SUMOExportDlga::on_addVeh_clicked()
{
    // After the current row; with none, at the end.
    const int current = m_vehAssignTable->currentRow();
    const int row = current < 0 ? m_vehAssignTable->rowCount() : current + 1;
    m_vehAssignTable->insertRow(row);
    auto *colour = new QTableWidgetItem;
    colour->setFlags(colour->flags() & ~Qt::ItemIsEditable);
    m_vehAssignTable->setItem(row, 2, colour);
}

void SUMOExportDlga::on_deleteVeh_clicked()
{
    const int row = m_vehAssignTable->currentRow();
    if (row >= 0)
        m_vehAssignTable->removeRow(row);
}

// --- Launch --------------------------------------------------------------------------------------

QStringList SUMOExportDlga::cmdLineWords() const
{
    return m_cmdLine->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList SUMOExportDlga::launcherArguments(Trelvoa::SUMONet *sumo) const
{
    const QDir dir(exportPath());
    QStringList arguments{QStringLiteral("-sumoconf"), dir.relativeFilePath(dir.absoluteFilePath(sumo->projectFileName())),
                          QStringLiteral("-tldef"), dir.relativeFilePath(dir.absoluteFilePath(sumo->tlDefFileName()))};
    if (!m_callerTlConfigDir.isEmpty())
        arguments << QStringLiteral("-conf-dir") << m_callerTlConfigDir;
    else if (!m_tlConfigDir->text().isEmpty())
        arguments << QStringLiteral("-conf-dir") << m_tlConfigDir->text();
    if (m_callerTlList >= 0)
        arguments << QStringLiteral("-tl-list") << QString::number(m_callerTlList);
    else if (!m_tlList->text().isEmpty())
        arguments << QStringLiteral("-tl-list") << m_tlList->text();
    if (m_changeStartTime->isChecked())
        arguments << QStringLiteral("-time") << m_experimentStartTime->time().toString(QStringLiteral("h:m"));
    const QStringList words = cmdLineWords();
    if (!words.isEmpty())
        arguments << QStringLiteral("-") << words;
    return arguments;
}

void SUMOExportDlga::launch(Trelvoa::SUMONet *sumo, const QString &dir, bool netconvertFailed)
{
    const bool start = m_startAfterExport->isChecked() && !netconvertFailed;
    if (!m_useSumoqlindar->isChecked()) {
        if (start)
            QProcess::startDetached(Trelvoa::SUMONet::sumo_exe(true),
                                    QStringList{QStringLiteral("-c"), sumo->projectFileName()} + cmdLineWords(), dir);
        return;
    }
    saveVehicleSettings();
    const QString launcher = Trelvoa::SUMONet::sumoqlindar_exe();
    const QStringList arguments = launcherArguments(sumo);
    if (start) {
        qDebug() << launcher << arguments;
        QProcess::startDetached(launcher, arguments, dir);
    }
    LaunchScript::write(QDir(dir).filePath(LaunchScript::fileName()), launcher, arguments);
}

} // namespace Trelvoga
