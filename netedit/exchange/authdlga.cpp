#include "exchange/authdlga.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpacerItem>

namespace Trelvoga {

namespace {

// The form's texts are translated in the context of its name, as the form is known to translators.
QString trForm(const char *text)
{
    return QCoreApplication::translate("AuthDlga", text);
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

AuthDlga::AuthDlga(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AuthDlga"));
    resize(417, 202);
    setWindowTitle(trForm(QT_TRANSLATE_NOOP("AuthDlga", "Http authentication required")));

    auto *grid = new QGridLayout(this);
    grid->setObjectName(QStringLiteral("gridLayout"));

    QLabel *intro = makeLabel(
        this, "label", trForm(QT_TRANSLATE_NOOP("AuthDlga", "You need to supply a Username and a Password to access this site")));
    intro->setWordWrap(false);
    grid->addWidget(intro, 0, 0, 1, 2);

    grid->addWidget(makeLabel(this, "label_4", trForm(QT_TRANSLATE_NOOP("AuthDlga", "Site:"))), 1, 0);
    m_siteDescription = makeLabel(this, "siteDescription", trForm(QT_TRANSLATE_NOOP("AuthDlga", "%1 at %2")));
    QFont bold = m_siteDescription->font();
    bold.setBold(true);
    bold.setWeight(75);
    m_siteDescription->setFont(bold);
    m_siteDescription->setWordWrap(true);
    // A realm is the server's text: it must not be read as markup.
    m_siteDescription->setTextFormat(Qt::PlainText);
    grid->addWidget(m_siteDescription, 1, 1);

    grid->addWidget(makeLabel(this, "label_2", trForm(QT_TRANSLATE_NOOP("AuthDlga", "Username:"))), 2, 0);
    m_userEdit = new QLineEdit(this);
    m_userEdit->setObjectName(QStringLiteral("userEdit"));
    grid->addWidget(m_userEdit, 2, 1);

    grid->addWidget(makeLabel(this, "label_3", trForm(QT_TRANSLATE_NOOP("AuthDlga", "Password:"))), 3, 0);
    m_passwordEdit = new QLineEdit(this);
    m_passwordEdit->setObjectName(QStringLiteral("passwordEdit"));
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    grid->addWidget(m_passwordEdit, 3, 1);

    m_keepForSession = new QCheckBox(trForm(QT_TRANSLATE_NOOP("AuthDlga", "keep for the session")), this);
    m_keepForSession->setObjectName(QStringLiteral("keep_for_session"));
    m_keepForSession->setChecked(true);
    grid->addWidget(m_keepForSession, 4, 0, 1, 2);

    m_keepInWallet = new QCheckBox(trForm(QT_TRANSLATE_NOOP("AuthDlga", "keep in wallet")), this);
    m_keepInWallet->setObjectName(QStringLiteral("keep_in_wallet"));
    m_keepInWallet->setEnabled(false);
    grid->addWidget(m_keepInWallet, 5, 0, 1, 2);

    grid->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding), 6, 0);

    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));
    grid->addWidget(m_buttonBox, 7, 0, 1, 2);

    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_keepForSession, &QCheckBox::clicked, m_keepInWallet, [this](bool checked) { m_keepInWallet->setEnabled(!checked); });
}

} // namespace Trelvoga
