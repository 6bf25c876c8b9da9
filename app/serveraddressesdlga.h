#pragma once

#include <QDialog>

class QLineEdit;

// The addresses of the road database server ("RRS"/"url") and of the Vantal web service
// ("vantal_web"/"url"), read from and, on OK, written to the settings.
class ServerAddressesDlga : public QDialog
{
    Q_OBJECT

public:
    explicit ServerAddressesDlga(QWidget *parent = nullptr);

    void accept() override;

private:
    QLineEdit *m_databaseUrl = nullptr;
    QLineEdit *m_vantalUrl = nullptr;
};
