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
    const app::ProgramFolders folders = app::programFolders();
    return QStringLiteral(
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
               "  macro project and read-me            %3\n"
               "KASANEMI_HOME names one folder for the settings and the work folder instead.\n"
               "\n"
               "Exit status 0 when the window is closed.\n")
        .arg(QDir::toNativeSeparators(folders.settings + QStringLiteral("/QEMTINF.ini")),
             QDir::toNativeSeparators(acad::workFolderIn(folders.program)),
             QDir::toNativeSeparators(folders.data));
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
