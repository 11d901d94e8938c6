// kasanemi-cad: the drawing host. A switch as the first argument picks a
// command-line mode; without one the host runs with its window on the bus.

#include "cad/MacroRegistry.h"
#include "cad/macros/PictureMacros.h"
#include "cad/macros/PicturesCommand.h"
#include "cli/Commands.h"
#include "cli/ExportXlsxCommand.h"
#include "window/HostProgram.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {

struct Mode {
    const char* option;
    int (*run)(const QStringList& args);
};

// One line per mode; its function lives in cli/.
constexpr Mode kModes[] = {
    {"--inspect", &cad::cli::runInspect},
    {"--pictures", &cad::macros::runPictures},
    {"--export-xlsx", &cad::cli::runExportXlsx},
};

} // namespace

int main(int argc, char* argv[])
{
    // The picture macros of QEMTIN.dvb are native; RunMacro finds them here.
    cad::macros::registerPictureMacros(cad::MacroRegistry::global());
    if (argc >= 2) {
        for (const Mode& mode : kModes) {
            if (std::strcmp(argv[1], mode.option) != 0)
                continue;
            QCoreApplication app(argc, argv);
            QStringList args = app.arguments().mid(2);
            return mode.run(args);
        }
    }
    // Default mode: the host with its window, serving the drawing on the bus.
    QApplication app(argc, argv);
    return cad::runDrawingHost(app.arguments().mid(1));
}
