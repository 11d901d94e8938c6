// The viewer's entry: picks the way to the drawing host (the session bus),
// loads the main window and runs as long as it is open.

#include "FrmWMF.h"
#include "HostWindows.h"

#include "acad/dbus/BusHostConnector.h"
#include "app/ProgramFolder.h"
#include "app/QtTranslations.h"
#include "app/QtUserInterface.h"
#include "app/UserInterface.h"
#include "app/WindowHelpers.h"

#include "ViewerCommandLine.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>

int main(int argc, char** argv)
{
    // --help and --version are answered before any window system is needed;
    // asked again once the toolkit has taken its own options (-platform ...).
    QTextStream out(stdout);
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> code = viewer::answerInformationRequest(viewer::commandLinePath(raw), out))
        return *code;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kasanemi"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kasanemi.Viewer"));
    app::installQtTranslations(application);
    const QString commandLine = viewer::commandLinePath(QApplication::arguments().mid(1));
    if (const std::optional<int> code = viewer::answerInformationRequest(commandLine, out))
        return *code;

    app::QtUserInterface userInterface;
    app::setUi(&userInterface);

    // The host on the session bus, started from the viewer's own folder when
    // none runs; its window is found and raised through the bus too.
    app::setExternalWindows(std::make_shared<viewer::HostWindows>());
    frmWMF mainWindow;
    mainWindow.setHostConnector(std::make_shared<acad::dbus::BusHostConnector>(app::executableFolder()));
    mainWindow.setAttribute(Qt::WA_QuitOnClose);
    mainWindow.Form_Load(commandLine);
    const int status = application.exec();
    app::setUi(nullptr);
    app::setExternalWindows(nullptr);
    return status;
}
