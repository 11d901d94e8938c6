#include "ViewerCommandLine.h"

#include "acad/PictureProtocol.h"
#include "app/AppInfo.h"
#include "app/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

namespace viewer {

QString commandLinePath(const QStringList& arguments)
{
    return arguments.join(u' ');
}

QString viewerUsage()
{
    return viewerUsage(app::programFolders());
}

QString viewerUsage(const app::ProgramFolders& folders)
{
    const auto native = [](const QString& path) { return QDir::toNativeSeparators(path); };
    const QString project = folders.program + QStringLiteral("/QEMTIN.dvb");
    QString usage = QStringLiteral(
               "Usage: kasanemi [LAYER-LIST-FILE]\n"
               "       kasanemi --help | --version\n"
               "\n"
               "The Kasanemi layer viewer: the drawing open in the drawing host, kasanemi-cad,\n"
               "one layer at a time. The viewer starts the host, after asking, when none runs.\n"
               "\n"
               "LAYER-LIST-FILE  a CSV file with a layer name in the first field of each\n"
               "                 record: the viewer refreshes at once and shows only those\n"
               "                 layers. The whole command line, joined with spaces, is the\n"
               "                 path (no quotes needed, none removed); a line that names no\n"
               "                 file is ignored.\n"
               "--help           this text, when no file of that name exists\n"
               "--version        the version, likewise\n"
               "\n"
               "Files of this run:\n"
               "  settings (window position and size)  %1\n"
               "  work folder of the layer pictures    %2 (deleted when the window closes)\n"
               "  macro project the host loads         %3%4\n"
               "  read-me                              %5\n")
        .arg(native(folders.settings + QStringLiteral("/QEMTINF.ini")), native(acad::workFolderIn(folders.program)),
             native(project),
             folders.installed ? QStringLiteral(" (copied from %1)").arg(native(folders.data)) : QString(),
             native(folders.data + QStringLiteral("/ReadMe.txt")));
    // An installed viewer copies the project at its first refresh; anywhere
    // else it has to be there already.
    if (!folders.installed && !QFileInfo(project).isFile()) {
        const QString shipped = folders.data + QStringLiteral("/QEMTIN.dvb");
        usage += QStringLiteral("  The macro project is missing there: the refresh cannot run.\n");
        usage += folders.data != folders.program && QFileInfo(shipped).isFile()
                     ? QStringLiteral("  Copy it from %1 into %2.\n").arg(native(shipped), native(folders.program))
                     : QStringLiteral("  It comes with Kasanemi: build or install Kasanemi again, or copy it\n"
                                      "  from another copy of Kasanemi into %1.\n").arg(native(folders.program));
    }
    usage += QStringLiteral(
        "KASANEMI_HOME names one folder for the settings, the work folder and the macro\n"
        "project instead%1.\n"
        "\n"
        "Exit status 0 when the window is closed.\n")
                 .arg(qEnvironmentVariableIsSet("KASANEMI_HOME") ? QStringLiteral(" (set for this run)") : QString());
    return usage;
}

QString viewerVersion()
{
    return QStringLiteral("kasanemi (Kasanemi) ") + QString::fromUtf16(app::kVersion) + u'\n';
}

std::optional<int> answerInformationRequest(const QString& commandLine, QTextStream& out)
{
    const bool help = commandLine == QLatin1String("--help");
    const bool version = commandLine == QLatin1String("--version");
    // A list file of that name wins: the line is its path, as always.
    if ((!help && !version) || QFileInfo(commandLine).isFile())
        return std::nullopt;
    out << (help ? viewerUsage() : viewerVersion());
    out.flush();
    return 0;
}

} // namespace viewer
