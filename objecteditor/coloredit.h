#pragma once

#include <QLineEdit>

class QAction;

namespace ObjectEditor {

// Line editor for a colour name with a swatch button that opens the colour dialog.
class ColorEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit ColorEdit(QWidget *parent = nullptr);

    void setColor(const QColor &color);
    // Invalid when the text names no colour.
    QColor color() const;

signals:
    // A colour was taken from the dialog; the value is ready to be committed.
    void colorChosen();

private:
    void chooseColor();
    void updateSwatch();

    QAction *m_pick;
};

} // namespace ObjectEditor
