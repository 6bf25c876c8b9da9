#pragma once

#include <QLineEdit>

namespace ObjectEditor {

// Line editor for a string list in the "a, b, c" form, with a button that opens a dialog taking one
// item per line (exact, untrimmed items).
class StringListEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit StringListEdit(QWidget *parent = nullptr);

    void setList(const QStringList &items);
    QStringList list() const;

signals:
    // The list was changed in the dialog; the value is ready to be committed.
    void listEdited();

private:
    void editInDialog();

    // What the dialog gave, as long as the text still shows it: keeps untrimmed items intact.
    QStringList m_exact;
    QString m_exactText;
};

} // namespace ObjectEditor
