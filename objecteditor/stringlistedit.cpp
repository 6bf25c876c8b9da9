#include "stringlistedit.h"

#include "propertyvalue.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QStyle>
#include <QVBoxLayout>

namespace ObjectEditor {

StringListEdit::StringListEdit(QWidget *parent)
    : QLineEdit(parent)
{
    QAction *more = addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView), QLineEdit::TrailingPosition);
    more->setToolTip(tr("Edit one item per line..."));
    connect(more, &QAction::triggered, this, &StringListEdit::editInDialog);
}

void StringListEdit::setList(const QStringList &items)
{
    setText(joinList(items));
    m_exact = items;
    m_exactText = text();
}

QStringList StringListEdit::list() const
{
    return text() == m_exactText ? m_exact : splitList(text());
}

void StringListEdit::editInDialog()
{
    // Parented to the editor so that the item view does not end the editing when the dialog takes
    // the focus.
    QDialog dialog(this);
    dialog.setWindowTitle(tr("Edit list"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *lines = new QPlainTextEdit(&dialog);
    lines->setPlainText(list().join(QLatin1Char('\n')));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(lines);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QStringList items = lines->toPlainText().split(QLatin1Char('\n'));
    if (!items.isEmpty() && items.last().isEmpty())
        items.removeLast();
    setList(items);
    emit listEdited();
}

} // namespace ObjectEditor
