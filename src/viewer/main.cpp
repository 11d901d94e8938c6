// The viewer's entry: picks the way to the drawing host (the session bus),
// loads the main window and runs as long as it is open.

#include "FrmWMF.h"
#include "HostWindows.h"

#include "acad/dbus/BusHostConnector.h"
#include "app/ProgramFolder.h"
#include "app/QtUserInterface.h"
#include "app/UserInterface.h"
#include "app/WindowHelpers.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kasanemi"));

    app::QtUserInterface userInterface;
    app::setUi(&userInterface);

    // The whole command line is one path: the arguments joined by spaces, as
    // given (no unquoting), so a path with spaces needs no quotes.
    const QStringList arguments = QApplication::arguments().mid(1);

    // The host on the session bus, started from the viewer's own folder when
    // none runs; its window is found and raised through the bus too.
    app::setExternalWindows(std::make_shared<viewer::HostWindows>());
    frmWMF mainWindow;
    mainWindow.setHostConnector(std::make_shared<acad::dbus::BusHostConnector>(app::executableFolder()));
    mainWindow.setAttribute(Qt::WA_QuitOnClose);
    mainWindow.Form_Load(arguments.join(u' '));
    const int status = application.exec();
    app::setUi(nullptr);
    app::setExternalWindows(nullptr);
    return status;
}
