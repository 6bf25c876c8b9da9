#include "serveraddressesdlga.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSettings>

namespace {

const char *const groups[] = {"RRS", "vantal_web"};

QString storedUrl(const char *group)
{
    QSettings settings;
    settings.setIniCodec("UTF-8");
    settings.beginGroup(QLatin1String(group));
    return settings.value(QStringLiteral("url")).toString();
}

void storeUrl(const char *group, const QString &url)
{
    QSettings settings;
    settings.setIniCodec("UTF-8");
    settings.beginGroup(QLatin1String(group));
    if (url.isEmpty())
        settings.remove(QStringLiteral("url"));
    else if (settings.value(QStringLiteral("url")).toString() != url)
        settings.setValue(QStringLiteral("url"), url);
}

} // namespace

ServerAddressesDlga::ServerAddressesDlga(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ServerAddressesDlga"));
    setWindowTitle(tr("Server addresses"));
    auto *form = new QFormLayout(this);
    m_databaseUrl = new QLineEdit(storedUrl(groups[0]), this);
    m_databaseUrl->setObjectName(QStringLiteral("databaseUrl"));
    m_databaseUrl->setPlaceholderText(QStringLiteral("https://host/path"));
    m_databaseUrl->setMinimumWidth(320);
    form->addRow(tr("Database server:"), m_databaseUrl);
    m_vantalUrl = new QLineEdit(storedUrl(groups[1]), this);
    m_vantalUrl->setObjectName(QStringLiteral("vantalUrl"));
    m_vantalUrl->setPlaceholderText(QStringLiteral("http://host:port"));
    form->addRow(tr("Vantal web service:"), m_vantalUrl);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ServerAddressesDlga::accept()
{
    storeUrl(groups[0], m_databaseUrl->text().trimmed());
    storeUrl(groups[1], m_vantalUrl->text().trimmed());
    QDialog::accept();
}
