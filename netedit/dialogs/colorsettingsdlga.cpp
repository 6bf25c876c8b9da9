#include "dialogs/colorsettingsdlga.h"

#include "items/crosswalkg.h"
#include "items/detectorg.h"
#include "items/edgeg.h"
#include "items/emergencydetectorg.h"
#include "items/laneg.h"
#include "items/nodeg.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QSettings>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace Trelvoga {

namespace {

const QString settingsGroup = QStringLiteral("Colors");
const char *indexProperty = "colorIndex";

QSettings *openSettings(QObject *parent)
{
    auto *settings = new QSettings(parent);
    settings->setIniCodec("UTF-8");
    settings->beginGroup(settingsGroup);
    return settings;
}

// Rows whose stored value cannot be read keep their colour.
void applyStored(QSettings &settings, QColor *color, const QString &key)
{
    const QVariant value = settings.value(key);
    bool ok = false;
    const uint argb = value.toUInt(&ok);
    if (value.isValid() && ok)
        *color = QColor::fromRgba(argb);
}

} // namespace

QList<ColorSettingsDlga::Row> ColorSettingsDlga::rows()
{
    return {
        {&Nodeg::nodeColor, QT_TR_NOOP("Nodes")},
        {&Nodeg::nodeSelectedColor, QT_TR_NOOP("Selected nodes")},
        {&Nodeg::junctionColor, QT_TR_NOOP("Junction shapes")},
        {&Nodeg::junctionSelectedColor, QT_TR_NOOP("Selected junction shapes")},
        {&Laneg::roadColor, QT_TR_NOOP("Roads")},
        {&Laneg::sidewalkColor, QT_TR_NOOP("Sidewalks")},
        {&Laneg::markerColor, QT_TR_NOOP("Skeleton markers")},
        {&CrossWalkg::color, QT_TR_NOOP("Crosswalk")},
        {&Edgeg::markerColor, QT_TR_NOOP("Edge markers")},
        {&Detectorg::color, QT_TR_NOOP("Detectors")},
        {&Detectorg::selectedColor, QT_TR_NOOP("Selected detectors")},
        {&EmergencyDetectorg::color, QT_TR_NOOP("Emergency call detectors")},
        {&EmergencyDetectorg::selectedColor, QT_TR_NOOP("Selected emergency call detectors")},
    };
}

void ColorSettingsDlga::applyStoredColors()
{
    QSettings settings;
    settings.setIniCodec("UTF-8");
    settings.beginGroup(settingsGroup);
    for (const Row &row : rows())
        applyStored(settings, row.color, tr(row.label));
}

ColorSettingsDlga::ColorSettingsDlga(QWidget *parent)
    : QDialog(parent)
    , m_rows(rows())
{
    setObjectName(QStringLiteral("ColorSettingsDlga"));
    resize(559, 407);
    setWindowTitle(tr("Color settings"));

    m_table = new QTableWidget(m_rows.size(), 3, this);
    m_table->setObjectName(QStringLiteral("colorTable"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->horizontalHeader()->hide();
    m_table->verticalHeader()->hide();
    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(m_buttonBox);
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    QSettings *settings = openSettings(this);
    for (int i = 0; i < m_rows.size(); ++i) {
        const Row &row = m_rows.at(i);
        const QString label = tr(row.label);
        applyStored(*settings, row.color, label);
        m_initialColors.append(*row.color);

        auto *swatch = new QTableWidgetItem;
        swatch->setBackground(*row.color);
        m_table->setItem(i, 0, swatch);
        m_table->setItem(i, 1, new QTableWidgetItem(label));
        auto *button = new QToolButton(m_table);
        button->setText(QStringLiteral("..."));
        button->setFixedSize(32, 22);
        button->setProperty(indexProperty, i);
        connect(button, &QToolButton::clicked, this, &ColorSettingsDlga::changeColor);
        m_table->setCellWidget(i, 2, button);
    }
    delete settings;
    m_table->resizeColumnToContents(1);
}

void ColorSettingsDlga::changeColor()
{
    bool ok = false;
    const int index = sender() ? sender()->property(indexProperty).toInt(&ok) : -1;
    if (!ok || index < 0 || index >= m_rows.size())
        return;
    QTableWidgetItem *swatch = m_table->item(index, 0);
    QColorDialog dialog(swatch->background().color(), this);
    dialog.setWindowTitle(tr("Select color"));
    dialog.setOption(QColorDialog::ShowAlphaChannel);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QColor color = dialog.selectedColor();
    QColor *target = m_rows.at(index).color;
    if (!color.isValid() || color.rgba() == target->rgba())
        return;
    *target = color;
    swatch->setBackground(color);
    emit colorsChanged();
}

void ColorSettingsDlga::done(int result)
{
    if (result == QDialog::Accepted) {
        QSettings *settings = openSettings(this);
        for (int i = m_rows.size() - 1; i >= 0; --i)
            settings->setValue(tr(m_rows.at(i).label), uint(m_rows.at(i).color->rgba()));
        delete settings;
        // Shown again, a later Cancel goes back to what was accepted, not to what was there before.
        for (int i = 0; i < m_rows.size(); ++i)
            m_initialColors[i] = *m_rows.at(i).color;
    } else {
        for (int i = m_rows.size() - 1; i >= 0; --i)
            *m_rows.at(i).color = m_initialColors.at(i);
    }
    QDialog::done(result);
}

} // namespace Trelvoga
