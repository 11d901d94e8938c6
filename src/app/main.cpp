// The viewer's entry: loads the main window and runs as long as it is open.

#include "AppInfo.h"
#include "QtUserInterface.h"
#include "UserInterface.h"
#include "viewer/FrmWMF.h"

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

    frmWMF mainWindow;
    mainWindow.setAttribute(Qt::WA_QuitOnClose);
    mainWindow.Form_Load(arguments.join(u' '));
    const int status = application.exec();
    app::setUi(nullptr);
    return status;
}
