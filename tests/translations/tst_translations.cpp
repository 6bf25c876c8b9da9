// The German translation: the .ts is complete and sound, the build's .qm matches it, and the library
// finds it by the system locale as well as by path.

#include "editor/netedit.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <QtTest>

using Trelvoga::Networkg;

namespace {

const QString tsPath = QStringLiteral(TRELVO_SOURCE_DIR "/netedit/resources/translations/qtrelvoga_de.ts");
const QString binDir = QStringLiteral(TRELVO_BINARY_DIR "/bin");
const QString qmPath = binDir + QStringLiteral("/qtrelvoga_de.qm");

struct Message
{
    QString context;
    QString source;
    QString comment;
    QString translation;
    QString type;
    bool numerus = false;
    QStringList numerusForms;
    qint64 line = 0;
};

QList<Message> readTs(const QString &path, QString *error)
{
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            message = Message();
            message.context = context;
            message.line = xml.lineNumber();
            message.numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        } else if (name == QLatin1String("source")) {
            message.source = xml.readElementText();
        } else if (name == QLatin1String("comment")) {
            message.comment = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            message.type = xml.attributes().value(QLatin1String("type")).toString();
            if (message.numerus) {
                while (xml.readNextStartElement())
                    message.numerusForms.append(xml.readElementText());
            } else {
                message.translation = xml.readElementText();
            }
            messages.append(message);
        }
    }
    if (xml.hasError())
        *error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return messages;
}

QSet<QString> placeholders(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("%L?\\d+|%n"));
    QSet<QString> found;
    for (auto it = re.globalMatch(text); it.hasNext();)
        found.insert(it.next().captured().remove(QLatin1Char('L')));
    return found;
}

bool isLive(const Message &m)
{
    return m.type != QLatin1String("obsolete") && m.type != QLatin1String("vanished");
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void tsIsComplete();
    void qmMatchesTs();
    void loadByPath();
    void loadBySystemLocale();
    void editorIsGerman();
};

void TestTranslations::tsIsComplete()
{
    QString error;
    const QList<Message> messages = readTs(tsPath, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(messages.size() > 100);

    QStringList faults;
    QSet<QString> contexts;
    for (const Message &m : messages) {
        contexts.insert(m.context);
        const QString where = QStringLiteral("line %1 (%2: \"%3\")").arg(m.line).arg(m.context, m.source);
        if (m.type == QLatin1String("unfinished"))
            faults << where + QStringLiteral(" is unfinished");
        const QStringList forms = m.numerus ? m.numerusForms : QStringList{m.translation};
        for (const QString &form : forms) {
            if (form.trimmed().isEmpty())
                faults << where + QStringLiteral(" has an empty translation");
            // A lost or extra %1 makes QString::arg() put the value in the wrong place or nowhere.
            else if (placeholders(form) != placeholders(m.source))
                faults << where + QStringLiteral(" changes the placeholders: \"%1\"").arg(form);
            // An accelerator in the source needs one in the translation, and never two.
            else if (m.source.contains(QRegularExpression(QStringLiteral("&[^& ]")))
                     && form.count(QRegularExpression(QStringLiteral("&[^& ]"))) != 1)
                faults << where + QStringLiteral(" loses its accelerator: \"%1\"").arg(form);
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    QVERIFY(contexts.contains(QStringLiteral("NetEdit")));
    QVERIFY(contexts.contains(QStringLiteral("NetEditPrivate")));
}

void TestTranslations::qmMatchesTs()
{
    QVERIFY2(QFile::exists(qmPath), qPrintable(qmPath + QStringLiteral(" was not built")));
    QVERIFY(Networkg::loadTranslations(qmPath));
    QString error;
    const QList<Message> messages = readTs(tsPath, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // A stale .qm (the build did not run lrelease after the .ts changed) shows here.
    QStringList stale;
    for (const Message &m : messages) {
        if (!isLive(m) || m.numerus)
            continue;
        const QByteArray context = m.context.toUtf8();
        const QByteArray source = m.source.toUtf8();
        const QByteArray comment = m.comment.toUtf8();
        const QString got = QCoreApplication::translate(context.constData(), source.constData(),
                                                        comment.isEmpty() ? nullptr : comment.constData());
        if (got != m.translation)
            stale << QStringLiteral("%1: \"%2\" gives \"%3\"").arg(m.context, m.source, got);
    }
    QVERIFY2(stale.isEmpty(), qPrintable(stale.join(QLatin1Char('\n'))));
}

void TestTranslations::loadByPath()
{
    QVERIFY(Networkg::loadTranslations(qmPath));
    QCOMPARE(QCoreApplication::translate("NetEdit", "Add nodes mode"), QStringLiteral("Knoten hinzufügen"));
    QCOMPARE(QCoreApplication::translate("NetEditPrivate", "Lane"), QStringLiteral("Fahrstreifen"));
    QCOMPARE(QCoreApplication::translate("NetEditPrivate", "Origin/destination matrix"),
             QStringLiteral("Quelle-Ziel-Matrix"));

    // A failed load keeps the translation that is installed.
    QVERIFY(!Networkg::loadTranslations(binDir + QStringLiteral("/qtrelvoga_missing.qm")));
    QCOMPARE(QCoreApplication::translate("NetEdit", "Add nodes mode"), QStringLiteral("Knoten hinzufügen"));
}

void TestTranslations::loadBySystemLocale()
{
    // main() sets a German environment before the application starts.
    QCOMPARE(QLocale::system().language(), QLocale::German);
    // The folder the application runs from (the test runs from the build's bin folder, as the editor).
    QVERIFY(Networkg::loadTranslations());
    QCOMPARE(QCoreApplication::translate("NetEdit", "Add edges mode"), QStringLiteral("Kanten hinzufügen"));
    // An explicit folder.
    QVERIFY(Networkg::loadTranslations(binDir));
    QCOMPARE(QCoreApplication::translate("NetEditPrivate", "Stopline"), QStringLiteral("Haltlinie"));
    QTemporaryDir empty;
    QVERIFY(!Networkg::loadTranslations(empty.path()));
}

void TestTranslations::editorIsGerman()
{
    // What the user sees: the editor's actions must not show a text in English that the .ts translates
    // (as when a text is looked up in another context than the one lupdate filed it under).
    QVERIFY(Networkg::loadTranslations(qmPath));
    QString error;
    QSet<QString> translatable;
    for (const Message &m : readTs(tsPath, &error)) {
        if (isLive(m) && m.translation != m.source)
            translatable.insert(m.source);
    }
    QVERIFY2(error.isEmpty(), qPrintable(error));

    QGraphicsScene scene;
    Networkg net(&scene);
    QGraphicsView view(&scene);
    Trelvoga::NetEdit edit(&net, &view);
    const QList<QAction *> actions = edit.inputActions() + edit.viewActions() + edit.editActions();
    QVERIFY(actions.size() > 20);
    QStringList english;
    QStringList texts;
    for (QAction *action : actions) {
        texts << action->text();
        for (const QString &text : {action->text(), action->toolTip()}) {
            if (translatable.contains(text) && !english.contains(text))
                english << text;
        }
    }
    // The layers' tooltips name the layer by its display name, never by its internal one.
    for (Trelvoga::Layer *layer : net.layers()) {
        for (QAction *action : layer->findChildren<QAction *>()) {
            if (action->toolTip().contains(layer->objectName().toLower()))
                english << action->toolTip();
        }
    }
    QVERIFY2(english.isEmpty(), qPrintable(QStringLiteral("shown in English: ") + english.join(QStringLiteral(", "))));
    QVERIFY(texts.contains(QStringLiteral("Knoten hinzufügen")));
    QVERIFY(texts.contains(QStringLiteral("Kopieren")));
}

int main(int argc, char **argv)
{
    // The system locale is read from the environment when first asked for.
    qputenv("LANGUAGE", "de_DE");
    qputenv("LC_ALL", "de_DE.UTF-8");
    qputenv("LANG", "de_DE.UTF-8");
    QApplication app(argc, argv);
    TestTranslations test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_translations.moc"
