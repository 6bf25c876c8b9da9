#include "addpropertydialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace ObjectEditor {

AddPropertyDialog::AddPropertyDialog(const QStringList &suggested, const QStringList &taken,
                                     const QList<QPair<QString, int>> &types, QWidget *parent)
    : QDialog(parent)
    , m_taken(taken)
{
    setWindowTitle(tr("Add property"));
    auto *form = new QFormLayout(this);
    m_name = new QComboBox(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_name->addItems(suggested);
    m_name->setCurrentIndex(suggested.isEmpty() ? -1 : 0);
    form->addRow(tr("Name:"), m_name);
    if (!types.isEmpty()) {
        m_type = new QComboBox(this);
        m_type->setObjectName(QStringLiteral("type"));
        for (const auto &type : types)
            m_type->addItem(type.first, type.second);
        form->addRow(tr("Type:"), m_type);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_name, &QComboBox::currentTextChanged, this, &AddPropertyDialog::validate);
    validate();
}

QByteArray AddPropertyDialog::propertyName() const
{
    return m_name->currentText().trimmed().toUtf8();
}

int AddPropertyDialog::propertyType() const
{
    return m_type ? m_type->currentData().toInt() : int(QMetaType::QString);
}

void AddPropertyDialog::validate()
{
    const QString name = m_name->currentText().trimmed();
    // Names starting with "_q_" are Qt's own.
    m_ok->setEnabled(!name.isEmpty() && !m_taken.contains(name) && !name.startsWith(QLatin1String("_q_")));
}

} // namespace ObjectEditor
