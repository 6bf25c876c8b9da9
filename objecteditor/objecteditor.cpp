#include "objecteditor.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace ObjectEditor {

bool loadTranslations(const QString &path)
{
    static QPointer<QTranslator> installed;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    auto *translator = new QTranslator(app);
    bool loaded;
    if (path.isEmpty() || QFileInfo(path).isDir()) {
        const QString dir = path.isEmpty() ? QCoreApplication::applicationDirPath() : path;
        loaded = translator->load(QLocale::system(), QStringLiteral("objecteditor"), QStringLiteral("_"), dir);
    } else {
        loaded = translator->load(path);
    }
    if (!loaded) {
        delete translator;
        return false;
    }
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    installed = translator;
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace ObjectEditor
