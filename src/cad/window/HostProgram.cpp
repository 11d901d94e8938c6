#include "HostProgram.h"

#include "CadMainWindow.h"
#include "app/QtUserInterface.h"
#include "app/UserInterface.h"
#include "cad/CadDocument.h"
#include "cad/bus/CadBusService.h"
#include "cad/local/LocalApplication.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace cad {

int runDrawingHost(const QStringList& arguments)
{
    std::shared_ptr<LocalApplication> application;
    if (arguments.isEmpty()) {
        application = std::make_shared<LocalApplication>();
    } else {
        try {
            application = std::make_shared<LocalApplication>(CadDocument::open(arguments.first()));
        } catch (const acad::AcadError& failure) {
            std::fprintf(stderr, "kasanemi-cad: %s\n", qPrintable(failure.description()));
            return 1;
        }
    }

    app::QtUserInterface userInterface;
    app::setUi(&userInterface);
    CadMainWindow window(application);
    CadBusService service(application, &window);
    QString error;
    if (!service.publish(error)) {
        std::fprintf(stderr, "kasanemi-cad: %s\n", qPrintable(error));
        app::setUi(nullptr);
        return 2;
    }
    window.show();
    // Said once the window is up, so that the bus already answers meanwhile.
    QTimer::singleShot(0, &window, [&window] { window.openedFromCommandLine(); });
    const int code = QApplication::exec();
    app::setUi(nullptr);
    return code;
}

} // namespace cad
