#include "commands/joinnetcommand.h"

#include "editor/netedit.h"
#include "scene/networkg.h"

#include "network.h"

#include <QtGlobal>

namespace Trelvoga {

JoinNetCommand::JoinNetCommand(NetEdit *edit, Trelvoa::Network *other, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_edit(edit)
{
    setText(QStringLiteral("Join networks"));
    if (!edit || !edit->net())
        return;
    m_before.write(edit->net());
    if (other)
        m_other.write(other);
}

void JoinNetCommand::redo()
{
    Networkg *net = m_edit ? m_edit->net() : nullptr;
    if (!net)
        return;
    if (!m_after.isEmpty()) {
        QString error;
        if (!NetworkFile::replaceNetwork(m_edit, m_after.fileName(), &error))
            qWarning("%s", qPrintable(error));
        return;
    }
    if (m_other.isEmpty())
        return;
    if (!net->join(m_other.fileName())) {
        qWarning("%s", qPrintable(net->errorString()));
        return;
    }
    m_after.write(net);
}

void JoinNetCommand::undo()
{
    if (!m_edit || m_before.isEmpty())
        return;
    QString error;
    if (!NetworkFile::replaceNetwork(m_edit, m_before.fileName(), &error))
        qWarning("%s", qPrintable(error));
}

} // namespace Trelvoga
