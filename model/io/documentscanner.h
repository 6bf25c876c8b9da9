#pragma once

#include "io/documentparser.h"
#include "io/saveddocument.h"

#include <QString>

namespace Trelvoa {

// Reads network XML of the usual form straight from its UTF-8 bytes into a SavedDocument, several times
// faster than DocumentParser over QXmlStreamReader. It either fills the document exactly as
// DocumentParser would (values, names, positions) or declines: at anything it does not handle and at
// any fault, so that the caller parses the same bytes with DocumentParser, which gives the result or
// the message. It never accepts what DocumentParser refuses.
class DocumentScanner
{
public:
    enum Result {
        Done, // the document is filled
        Declined, // parse the input with DocumentParser instead; the document is left half-filled
        Cancelled, // the progress callback said stop; errorString() says where, as DocumentParser does
    };

    // The bytes must outlive scan().
    DocumentScanner(const char *data, qint64 size);

    // Called as DocumentParser calls it, with the bytes read so far.
    void setProgress(const DocumentParser::Progress &progress) { m_progress = progress; }
    // The input is the head of a document cut between two top-level elements: it ends inside the root
    // element, as if "</network>\n" followed.
    void setRootClosedAtEnd(bool closed) { m_rootClosedAtEnd = closed; }
    // The input is the tail of a document of that version cut between two top-level elements: it
    // starts inside the root element, as if "<network version=...>" preceded it. 0 for a whole input.
    void setRootOpen(int version) { m_openRootVersion = version; }

    Result scan(SavedDocument *document);
    QString errorString() const { return m_error; }

private:
    const char *m_data;
    qint64 m_size;
    DocumentParser::Progress m_progress;
    bool m_rootClosedAtEnd = false;
    int m_openRootVersion = 0;
    QString m_error;
};

} // namespace Trelvoa
