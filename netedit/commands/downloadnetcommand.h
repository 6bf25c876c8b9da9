#pragma once

#include "commands/commandid.h"
#include "commands/networkfile.h"
#include "trelvoga_global.h"

#include <QByteArray>
#include <QPainterPath>
#include <QPointer>
#include <QString>
#include <QUndoCommand>

namespace Trelvoga {

class NetEdit;
class Networkg;

// A network part downloaded from the server: loaded into the editor's network (merged with it when
// unite is set, else replacing it) and the view's editable area extended to (or replaced by) the
// part's area. Undo puts back the network and the area from before. Data that cannot be loaded leaves
// the network and the area as they were; the failure is logged and failed() is set.
class TRELVOGA_EXPORT DownloadNetCommand : public QUndoCommand
{
public:
    DownloadNetCommand(NetEdit *edit, const QPainterPath &enabledPath, bool unite, const QByteArray &data,
                       QUndoCommand *parent = nullptr);

    int id() const override { return CommandId::DownloadNet; }
    void undo() override;
    void redo() override;
    // Loads the part before the command goes on the stack, so that a part that cannot be loaded is never
    // pushed; the first redo() after a successful apply() then does nothing. False when it failed.
    bool apply();

    bool failed() const { return m_failed; }
    QString errorString() const { return m_error; }

private:
    void loadDownloaded();
    bool loadIntoEmpty(Networkg *net);
    void setViewPath(const char *method, const QPainterPath &path);

    QPointer<NetEdit> m_edit;
    NetworkFile m_before;
    NetworkFile m_downloaded;
    QPainterPath m_oldPath;
    QPainterPath m_newPath;
    bool m_unite = false;
    bool m_failed = false;
    bool m_applied = false;
    QString m_error;
};

} // namespace Trelvoga
