#include "objecteditor.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace ObjectEditor {

bool loadTranslations(const QString &locale)
{
    static QTranslator *translator = nullptr;
    if (!QCoreApplication::instance())
        return false;
    const QLocale l = locale.isEmpty() ? QLocale::system() : QLocale(locale);
    auto *t = new QTranslator(QCoreApplication::instance());
    if (!t->load(l, QStringLiteral("objecteditor"), QStringLiteral("_"), QStringLiteral(":/objecteditor/i18n"))) {
        delete t;
        return false;
    }
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    translator = t;
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace ObjectEditor
