// The main window's panorama and colour settings.
#include "mainwindow.h"
#include "mapview.h"

#include "dialogs/colorsettingsdlga.h"
#include "editor/netedit.h"

#include <QAction>
#include <QGraphicsScene>
#include <QMenu>
#include <QSettings>

namespace {

bool hasPanoramaKey()
{
    QSettings settings;
    settings.setIniCodec("UTF-8");
    settings.beginGroup(QStringLiteral("NeteditPanorama"));
    return !settings.value(QStringLiteral("api_key")).toString().isEmpty();
}

} // namespace

void MainWindow::createPanoramaAndColours()
{
    // The panorama of the map's centre, looking north; the context menu offers it for any point.
    QAction *panorama = m_viewMenu->addAction(tr("&Panorama"));
    panorama->setObjectName(QStringLiteral("actionPanorama"));
    // Before the editor's slot runs: the slot reads the point from the action.
    connect(panorama, &QAction::triggered, this, [this, panorama] {
        const QPointF centre = m_view->mapToScene(m_view->viewport()->rect().center());
        panorama->setData(QVariantList{centre, QVariant()});
    });
    connect(panorama, &QAction::triggered, m_edit, &Trelvoga::NetEdit::showPanorama);
    connect(m_viewMenu, &QMenu::aboutToShow, panorama, [panorama] { panorama->setEnabled(hasPanoramaKey()); });
    panorama->setEnabled(hasPanoramaKey());

    QAction *a = m_settingsMenu->addAction(tr("Panorama &API key..."), this, [this, panorama] {
        m_edit->showPanoramaSetupDlg(this);
        panorama->setEnabled(hasPanoramaKey());
    });
    a->setObjectName(QStringLiteral("actionPanoramaKey"));

    a = m_settingsMenu->addAction(tr("&Colors..."), this, [this] {
        auto *dialog = new Trelvoga::ColorSettingsDlga(this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        const auto repaint = [this] {
            m_scene->update();
            m_view->viewport()->update();
        };
        connect(dialog, &Trelvoga::ColorSettingsDlga::colorsChanged, this, repaint);
        // A cancel puts the old colours back without a signal: the preview must go too.
        connect(dialog, &QDialog::finished, this, repaint);
        dialog->open();
    });
    a->setObjectName(QStringLiteral("actionColors"));

    Trelvoga::ColorSettingsDlga::applyStoredColors();
}
