#pragma once

#include "trelvoga_global.h"

#include <QDialog>
#include <QPointer>
#include <QRect>

class QDialogButtonBox;
class QLabel;
class QListWidget;
class QUndoStack;
class QVBoxLayout;

namespace Trelvoa {
class SignalGroup;
} // namespace Trelvoa

namespace Trelvoga {

class Networkg;

// Non-modal: the user sets the content of a signal group by selecting its connections and crosswalks in
// the scene; the list follows the scene selection and OK makes it the group's content (undoably when
// there is an undo stack). The dialog deletes itself when closed and reopens where it was last closed.
class TRELVOGA_EXPORT SignalGroupContenta : public QDialog
{
    Q_OBJECT

public:
    SignalGroupContenta(Networkg *net, Trelvoa::SignalGroup *sg, QWidget *parent = nullptr,
                        QUndoStack *stack = nullptr);
    ~SignalGroupContenta() override;

    // The geometry the next dialog opens with; empty until a dialog has been closed.
    static QRect keptGeometry();

public slots:
    void accept() override;
    void sceneSelectionChanged();

private:
    void addEntry(QObject *object);

    QVBoxLayout *m_verticalLayout = nullptr;
    QLabel *m_label = nullptr;
    QListWidget *m_objectList = nullptr;
    QDialogButtonBox *m_buttonBox = nullptr;
    Networkg *m_net = nullptr;
    QPointer<Trelvoa::SignalGroup> m_sg;
    QPointer<QUndoStack> m_stack;

    static QRect s_geometry;
};

} // namespace Trelvoga
