#pragma once

#include "trelvoga_global.h"

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace Trelvoga {

// Asks for the user name and password a server demands. Keeping the password in the wallet only makes
// sense when it is not merely kept for the session, so checking the one disables the other.
class TRELVOGA_EXPORT AuthDlga : public QDialog
{
    Q_OBJECT

public:
    explicit AuthDlga(QWidget *parent = nullptr);

    QLabel *siteDescription() const { return m_siteDescription; }
    QLineEdit *userEdit() const { return m_userEdit; }
    QLineEdit *passwordEdit() const { return m_passwordEdit; }
    QCheckBox *keepForSession() const { return m_keepForSession; }
    QCheckBox *keepInWallet() const { return m_keepInWallet; }
    QDialogButtonBox *buttonBox() const { return m_buttonBox; }

private:
    QLabel *m_siteDescription = nullptr;
    QLineEdit *m_userEdit = nullptr;
    QLineEdit *m_passwordEdit = nullptr;
    QCheckBox *m_keepForSession = nullptr;
    QCheckBox *m_keepInWallet = nullptr;
    QDialogButtonBox *m_buttonBox = nullptr;
};

} // namespace Trelvoga
