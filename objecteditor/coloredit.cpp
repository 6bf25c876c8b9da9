#include "coloredit.h"

#include "propertyvalue.h"

#include <QAction>
#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace ObjectEditor {

ColorEdit::ColorEdit(QWidget *parent)
    : QLineEdit(parent)
{
    m_pick = addAction(QIcon(), QLineEdit::TrailingPosition);
    m_pick->setToolTip(tr("Choose colour..."));
    connect(m_pick, &QAction::triggered, this, &ColorEdit::chooseColor);
    connect(this, &QLineEdit::textChanged, this, &ColorEdit::updateSwatch);
    updateSwatch();
}

void ColorEdit::setColor(const QColor &color)
{
    setText(colorText(color));
}

QColor ColorEdit::color() const
{
    return colorFromVariant(text());
}

void ColorEdit::chooseColor()
{
    // The dialog is a child of the editor so that the item view does not take the focus change for
    // the end of editing.
    const QColor chosen = QColorDialog::getColor(color().isValid() ? color() : QColor(Qt::white), this,
                                                 tr("Choose colour"), QColorDialog::ShowAlphaChannel);
    if (!chosen.isValid())
        return;
    setColor(chosen);
    emit colorChosen();
}

void ColorEdit::updateSwatch()
{
    QPixmap swatch(16, 16);
    swatch.fill(Qt::transparent);
    QPainter painter(&swatch);
    const QColor c = color();
    painter.setPen(palette().color(QPalette::Text));
    if (c.isValid()) {
        painter.setBrush(c);
    } else {
        painter.drawLine(2, 13, 13, 2);
    }
    painter.drawRect(1, 1, 13, 13);
    painter.end();
    m_pick->setIcon(QIcon(swatch));
}

} // namespace ObjectEditor
