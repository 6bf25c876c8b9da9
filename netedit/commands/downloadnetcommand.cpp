#include "commands/downloadnetcommand.h"

#include "editor/netedit.h"
#include "scene/networkg.h"

#include "geo/geoutil.h"
#include "netobject.h"

#include <QGraphicsView>
#include <QMetaObject>
#include <QtGlobal>

namespace Trelvoga {

DownloadNetCommand::DownloadNetCommand(NetEdit *edit, const QPainterPath &enabledPath, bool unite,
                                       const QByteArray &data, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_edit(edit)
    , m_newPath(enabledPath)
    , m_unite(unite)
{
    setText(QStringLiteral("Download network"));
    if (!edit)
        return;
    if (QGraphicsView *view = edit->view())
        QMetaObject::invokeMethod(view, "enabledPath", Qt::DirectConnection, Q_RETURN_ARG(QPainterPath, m_oldPath));
    if (edit->net())
        m_before.write(edit->net());
    m_downloaded.write(data);
}

bool DownloadNetCommand::loadIntoEmpty(Networkg *net)
{
    // Nothing is deleted first, so the part needs no check on a network of its own: a merge that fails
    // changes nothing but the projection cleared for it, which is put back.
    const Trelvoa::GeoUtil *geo = net->geoUtil();
    const QByteArray projection = geo ? geo->projectionStr() : QByteArray();
    const QPointF offset = geo ? geo->offset() : QPointF();
    m_edit->beforeLoad();
    // A merge into an empty network without a projection takes the file's.
    net->setProjection(QByteArray());
    const bool ok = net->load(m_downloaded.fileName(), true);
    if (!ok) {
        m_error = net->errorString();
        net->setProjection(projection, offset);
    }
    m_edit->afterLoad();
    m_edit->rebuildObjectTree();
    return ok;
}

void DownloadNetCommand::loadDownloaded()
{
    m_failed = false;
    m_error.clear();
    Networkg *net = m_edit->net();
    if (!net)
        return;
    if (m_downloaded.isEmpty()) {
        m_failed = true;
    } else if (m_unite) {
        m_edit->beforeLoad();
        m_failed = !net->load(m_downloaded.fileName(), true);
        if (m_failed) {
            m_error = net->errorString();
        } else {
            for (QObject *child : net->children()) {
                if (auto *object = qobject_cast<Trelvoa::NetObject *>(child))
                    m_edit->objectAdded(object, nullptr);
            }
        }
        m_edit->afterLoad();
    } else if (net->objectCount() == 0) {
        m_failed = !loadIntoEmpty(net);
    } else {
        m_failed = !NetworkFile::replaceNetwork(m_edit, m_downloaded.fileName(), &m_error);
        // Only a merge failing after the check could leave the network emptied.
        if (m_failed && !m_before.isEmpty() && net->objectCount() == 0)
            NetworkFile::replaceNetwork(m_edit, m_before.fileName());
    }
    if (m_failed) {
        if (m_error.isEmpty())
            m_error = NetEdit::tr("The downloaded network could not be stored");
        emit m_edit->logMessage(m_error, QtCriticalMsg);
    } else {
        net->setChanged(true);
    }
}

bool DownloadNetCommand::apply()
{
    redo();
    m_applied = !m_failed;
    return m_applied;
}

void DownloadNetCommand::redo()
{
    if (m_applied) {
        m_applied = false;
        return;
    }
    if (!m_edit)
        return;
    loadDownloaded();
    if (!m_failed)
        setViewPath(m_unite ? "uniteEnabledPath" : "setEnabledPath", m_newPath);
}

void DownloadNetCommand::undo()
{
    if (!m_edit)
        return;
    // After a failed load the network is still the one from before.
    if (!m_failed && !m_before.isEmpty()) {
        QString error;
        if (!NetworkFile::replaceNetwork(m_edit, m_before.fileName(), &error))
            qWarning("%s", qPrintable(error));
        else if (m_edit->net())
            m_edit->net()->setChanged(true);
    }
    setViewPath("setEnabledPath", m_oldPath);
}

void DownloadNetCommand::setViewPath(const char *method, const QPainterPath &path)
{
    // A view without the method ignores the call.
    QGraphicsView *view = m_edit->view();
    const QByteArray signature = QByteArray(method) + "(QPainterPath)";
    if (view && view->metaObject()->indexOfMethod(signature.constData()) >= 0)
        QMetaObject::invokeMethod(view, method, Qt::DirectConnection, Q_ARG(QPainterPath, path));
}

} // namespace Trelvoga
