#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

namespace ObjectEditor {

// Asks for the name (and, when allowed, the type) of a new dynamic property.
class AddPropertyDialog : public QDialog
{
    Q_OBJECT

public:
    // suggested: names offered in the name box; taken: names refused (the object's properties);
    // types: display text and meta-type of each offered type, or empty for no type choice.
    AddPropertyDialog(const QStringList &suggested, const QStringList &taken,
                      const QList<QPair<QString, int>> &types, QWidget *parent = nullptr);

    QByteArray propertyName() const;
    // The chosen meta-type; QString when there was no choice.
    int propertyType() const;

private:
    void validate();

    QComboBox *m_name;
    QComboBox *m_type = nullptr;
    QPushButton *m_ok;
    QStringList m_taken;
};

} // namespace ObjectEditor
