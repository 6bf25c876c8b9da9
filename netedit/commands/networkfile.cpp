#include "commands/networkfile.h"

#include "editor/netedit.h"
#include "scene/networkg.h"

#include "netobject.h"
#include "network.h"

#include <QtGlobal>

namespace Trelvoga {

namespace {

Trelvoa::NetObject *firstObject(const Trelvoa::Network *net)
{
    for (QObject *child : net->children()) {
        if (auto *object = qobject_cast<Trelvoa::NetObject *>(child))
            return object;
    }
    return nullptr;
}

// Deletions cascade to dependent objects, so the first remaining one is looked up each time.
void deleteAllObjects(Trelvoa::Network *net)
{
    while (Trelvoa::NetObject *object = firstObject(net))
        delete object;
}

} // namespace

bool NetworkFile::open()
{
    if (!m_file.isOpen() && !m_file.open()) {
        qWarning("%s", qPrintable(m_file.errorString()));
        return false;
    }
    return true;
}

bool NetworkFile::write(Trelvoa::Network *net)
{
    m_written = false;
    if (!net || !open())
        return false;
    m_file.close();
    if (!net->save(m_file.fileName(), false, false)) {
        qWarning("%s", qPrintable(net->errorString()));
        return false;
    }
    m_written = true;
    return true;
}

bool NetworkFile::write(const QByteArray &data)
{
    m_written = false;
    if (!open())
        return false;
    m_file.resize(0);
    if (m_file.write(data) != data.size()) {
        qWarning("%s", qPrintable(m_file.errorString()));
        m_file.close();
        return false;
    }
    m_file.close();
    m_written = true;
    return true;
}

bool NetworkFile::replaceNetwork(NetEdit *edit, const QString &fileName, QString *error)
{
    Networkg *net = edit ? edit->net() : nullptr;
    if (!net)
        return false;
    {
        Trelvoa::Network check;
        if (!check.load(fileName, false)) {
            if (error)
                *error = check.errorString();
            return false;
        }
    }
    edit->beforeLoad();
    deleteAllObjects(net);
    // A merge into an empty network without a projection takes the file's.
    net->setProjection(QByteArray());
    const bool ok = net->load(fileName, true);
    if (!ok && error)
        *error = net->errorString();
    edit->afterLoad();
    edit->rebuildObjectTree();
    return ok;
}

} // namespace Trelvoga
