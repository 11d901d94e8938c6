// kasanemi-cad: the drawing host. A switch as the first argument picks a
// command-line mode; without one the host runs with its window on the bus.

#include "cad/MacroRegistry.h"
#include "cad/macros/PictureMacros.h"
#include "cad/macros/PicturesCommand.h"
#include "cli/Commands.h"
#include "cli/ExportXlsxCommand.h"
#include "cli/HostCommandLine.h"
#include "window/HostProgram.h"

#include "app/QtTranslations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

namespace {

struct Mode {
    const char* option;
    int (*run)(const QStringList& args);
    /// Draws text into images, or mirrored text into pictures as outlines:
    /// needs fonts, so a GUI application (off screen).
    bool paints = false;
};

// One line per mode; its function lives in cli/. Each switch is also listed,
// with its usage and exit codes, in cli/HostCommandLine.cpp (modeSwitches(),
// hostUsage()); a switch missing there is refused as an unknown option.
constexpr Mode kModes[] = {
    {"--inspect", &cad::cli::runInspect},
    {"--pictures", &cad::macros::runPictures, true},
    {"--export-xlsx", &cad::cli::runExportXlsx, true},
    {"--render", &cad::cli::runRender, true},
};

} // namespace

int main(int argc, char* argv[])
{
    // The picture macros of QEMTIN.dvb are native; RunMacro finds them here.
    cad::macros::registerPictureMacros(cad::MacroRegistry::global());

    // Read before any application object exists: --help, --version and a bad
    // command line are answered without a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const cad::cli::HostCommandLine line = cad::cli::parseHostCommandLine(arguments, false);
    if (const std::optional<int> code = cad::cli::answerWithoutRunning(line))
        return *code;
    if (line.action == cad::cli::HostCommandLine::Action::Mode) {
        for (const Mode& mode : kModes) {
            if (line.mode != QLatin1String(mode.option))
                continue;
            if (mode.paints) {
                // A command-line mode shows no window, with or without a display.
                if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                    qputenv("QT_QPA_PLATFORM", "offscreen");
                // The mode's own failures are its one line on stderr; the
                // toolkit's notes about the desktop session are no business of its users.
                qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
                    if (type == QtCriticalMsg || type == QtFatalMsg)
                        std::fprintf(stderr, "kasanemi-cad: %s\n", message.toLocal8Bit().constData());
                });
                QGuiApplication app(argc, argv);
                return mode.run(app.arguments().mid(2));
            }
            QCoreApplication app(argc, argv);
            return mode.run(app.arguments().mid(2));
        }
        std::fprintf(stderr, "kasanemi-cad: %s is not part of this build\n", qPrintable(line.mode));
        return 2;
    }

    // Default mode: the host with its window, serving the drawing on the bus.
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kasanemi.Cad"));
    app::installQtTranslations(app);
    const cad::cli::HostCommandLine window = cad::cli::parseHostCommandLine(app.arguments().mid(1), true);
    if (const std::optional<int> code = cad::cli::answerWithoutRunning(window))
        return *code;
    return cad::runDrawingHost(window.arguments);
}
