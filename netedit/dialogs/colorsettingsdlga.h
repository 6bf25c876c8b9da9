#pragma once

#include "trelvoga_global.h"

#include <QColor>
#include <QDialog>
#include <QList>

class QDialogButtonBox;
class QTableWidget;

namespace Trelvoga {

// Thirteen of the items' static colours, each previewed as soon as it is chosen (colorsChanged() asks
// the host to repaint). OK stores them in the settings group "Colors", keyed by the row's label as
// shown; Cancel puts back the colours the dialog started with. Building the dialog applies the stored
// colours.
class TRELVOGA_EXPORT ColorSettingsDlga : public QDialog
{
    Q_OBJECT

public:
    explicit ColorSettingsDlga(QWidget *parent = nullptr);

    // Assigns the stored colours to the items' static colours, as building the dialog does.
    static void applyStoredColors();

    void done(int result) override;

signals:
    void colorsChanged();

private slots:
    void changeColor();

private:
    struct Row
    {
        QColor *color;
        const char *label;
    };
    static QList<Row> rows();

    QTableWidget *m_table = nullptr;
    QDialogButtonBox *m_buttonBox = nullptr;
    QList<Row> m_rows;
    QList<QColor> m_initialColors;
};

} // namespace Trelvoga
