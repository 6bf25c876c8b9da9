#pragma once

#include "trelvoga_global.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

namespace Trelvoa {
class Network;
} // namespace Trelvoa

namespace Trelvoga {

class NetEdit;

// A whole network (or downloaded network data) kept in a temporary file for as long as the command
// that holds it lives, and put back into the editor's network in place.
class TRELVOGA_EXPORT NetworkFile
{
public:
    NetworkFile() = default;
    NetworkFile(const NetworkFile &) = delete;
    NetworkFile &operator=(const NetworkFile &) = delete;

    // False (a debug warning with the reason) when the file cannot be made or written; the file then
    // holds nothing.
    bool write(Trelvoa::Network *net);
    bool write(const QByteArray &data);

    bool isEmpty() const { return !m_written; }
    QString fileName() const { return m_file.fileName(); }

    // Makes the editor's network exactly the one in the file (objects, ids and projection), without
    // the editor forgetting its history as a replacing load would make it (the command doing this is
    // on the undo stack): the file is checked on a network of its own first, then the objects are
    // deleted and the file merged into the empty network. The object tree is built anew. False, with
    // *error set, when the file cannot be loaded; the network is then as it was.
    static bool replaceNetwork(NetEdit *edit, const QString &fileName, QString *error = nullptr);

private:
    bool open();

    QTemporaryFile m_file;
    bool m_written = false;
};

} // namespace Trelvoga
