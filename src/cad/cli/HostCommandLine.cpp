#include "HostCommandLine.h"

#include "app/AppInfo.h"

#include <QCommandLineParser>

#include <cstdio>
#include <vector>

namespace cad::cli {
namespace {

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

HostCommandLine refused(const QString& problem)
{
    HostCommandLine line;
    line.action = HostCommandLine::Action::Refuse;
    line.problem = problem;
    return line;
}

/// The option as it was written ("-x" or "--x"), for the option named `name`.
QString optionWord(const QStringList& words, const QString& name)
{
    for (const QString& word : words) {
        if (word == QLatin1String("--"))
            break;
        QString bare = word;
        while (bare.startsWith(u'-'))
            bare.remove(0, 1);
        if (bare.section(u'=', 0, 0) == name && word.startsWith(u'-'))
            return word.section(u'=', 0, 0);
    }
    return QStringLiteral("--") + name;
}

} // namespace

QStringList modeSwitches()
{
    return {QStringLiteral("--inspect"), QStringLiteral("--pictures"), QStringLiteral("--export-xlsx"),
            QStringLiteral("--render")};
}

HostCommandLine parseHostCommandLine(const QStringList& arguments, bool toolkitOptionsRemoved)
{
    HostCommandLine line;
    const QStringList modes = modeSwitches();
    if (!arguments.isEmpty() && modes.contains(arguments.front())) {
        line.action = HostCommandLine::Action::Mode;
        line.mode = arguments.front();
        line.arguments = arguments.mid(1);
        return line;
    }

    // Until the toolkit has taken its own options out, single-dash words may
    // be its (-platform offscreen): they are not ours to judge yet.
    QStringList words;
    bool optionsEnded = false;
    for (const QString& word : arguments) {
        optionsEnded = optionsEnded || word == QLatin1String("--");
        const bool singleDash = word.startsWith(u'-') && !word.startsWith(QLatin1String("--"))
            && word != QLatin1String("-") && word != QLatin1String("-h");
        if (optionsEnded || toolkitOptionsRemoved || !singleDash)
            words << word;
    }

    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({help, version});
    std::vector<QCommandLineOption> modeOptions;
    for (const QString& mode : modes)
        modeOptions.emplace_back(mode.mid(2));
    for (const QCommandLineOption& mode : modeOptions)
        parser.addOption(mode);
    const bool parsed = parser.parse(QStringList{QStringLiteral("kasanemi-cad")} + words);

    if (parser.isSet(help)) {
        line.action = HostCommandLine::Action::Help;
        return line;
    }
    if (parser.isSet(version)) {
        line.action = HostCommandLine::Action::Version;
        return line;
    }
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return refused(parser.errorText());
        return refused(QStringLiteral("unknown option ") + optionWord(words, unknown.front()));
    }
    for (const QCommandLineOption& mode : modeOptions)
        if (parser.isSet(mode))
            return refused(QStringLiteral("--") + mode.names().front() + QStringLiteral(" must come first"));
    line.arguments = parser.positionalArguments();
    if (toolkitOptionsRemoved && line.arguments.size() > 1)
        return refused(QStringLiteral("one drawing at a time: ") + line.arguments.mid(1).join(u' '));
    return line;
}

QString hostUsageLine()
{
    return QStringLiteral("usage: kasanemi-cad [FILE.dxf] | --inspect|--pictures|--export-xlsx|--render ARGS... "
                          "| --help | --version");
}

QString hostUsage()
{
    return QStringLiteral(
        "Usage: kasanemi-cad [FILE.dxf]\n"
        "       kasanemi-cad --inspect FILE.dxf\n"
        "       kasanemi-cad --pictures FILE.dxf DIR\n"
        "       kasanemi-cad --export-xlsx FILE.dxf OUT.xlsx [--separate] [--rows N] [--columns N]\n"
        "                    [--width CM] [--spacing CM] [--frame PT | --no-frame] [--layer NAME]...\n"
        "       kasanemi-cad --export-xlsx FILE.dxf|FOLDER... OUT.xlsx [--recursive]\n"
        "                    [--standard FILE.csv] [options as above]\n"
        "       kasanemi-cad --render FILE.dxf OUT.png|OUT.svg [--layer NAME] [--size PX]\n"
        "       kasanemi-cad --help | --version\n"
        "\n"
        "The drawing host of Kasanemi. It reads ASCII DXF from R12 to R2018.\n"
        "\n"
        "Without a mode it holds FILE.dxf (without one, a new drawing that has never\n"
        "been saved), shows it in its window and serves it on the session bus as\n"
        "org.kasanemi.Cad to the layer viewer, kasanemi, until the window is closed.\n"
        "  Exit 0 closed; 1 the drawing cannot be read; 2 no session bus, another host\n"
        "  already running, or a bad command line.\n"
        "\n"
        "--inspect FILE.dxf\n"
        "  The drawing as one JSON object on standard output: layer table, linetypes,\n"
        "  current layer, objects per layer, extents.\n"
        "  Exit 0 done; 2 bad arguments or a drawing that cannot be read.\n"
        "\n"
        "--pictures FILE.dxf DIR\n"
        "  The pictures a refresh of every layer has drawn, as WMF files:\n"
        "  DIR/SYS/all.wmf (the whole drawing) and one picture a layer in DIR.\n"
        "  Exit 0 done; 1 the pictures cannot be written; 2 bad arguments or a drawing\n"
        "  that cannot be read.\n"
        "\n"
        "--export-xlsx FILE.dxf OUT.xlsx\n"
        "  The viewer's export without a window: a list sheet with every chosen\n"
        "  layer's object count, and sheets with the layers' pictures. The drawing\n"
        "  file is not changed.\n"
        "    --separate     one picture a sheet (default: a grid of pictures a sheet)\n"
        "    --rows N       rows of the grid (default 3)\n"
        "    --columns N    columns of the grid (default 2)\n"
        "    --width CM     width of a picture in centimetres (default 9.0)\n"
        "    --spacing CM   space between pictures in centimetres (default 1.0)\n"
        "    --frame PT     weight of the picture frame in points (default 1.0)\n"
        "    --no-frame     pictures without a frame\n"
        "    --layer NAME   export this layer; repeat for more (default: every layer\n"
        "                   with objects)\n"
        "  Exit 0 written; 1 the workbook cannot be written; 2 bad arguments, a drawing\n"
        "  that cannot be read or a --layer the drawing lacks.\n"
        "\n"
        "--export-xlsx FILE.dxf|FOLDER... OUT.xlsx\n"
        "  Several drawings, a folder's (*.dxf, *.dwg) or a standard make ONE workbook:\n"
        "  a first sheet 図面一覧 with every layer name of the set against every\n"
        "  drawing (object counts; off, frozen and locked shown and noted; totals) and\n"
        "  a row a drawing, then each drawing's sheets as above. Drawings are read one\n"
        "  at a time; progress and a summary go to standard error.\n"
        "    --recursive    the drawings in the folders' subfolders too\n"
        "    --standard FILE.csv\n"
        "                   a layer list of allowed names (wildcards as the CAD's);\n"
        "                   a column 標準 marks the names none allows, listed first\n"
        "    --layer NAME   as above; a drawing without that layer is not refused\n"
        "  Exit codes as above, and 3: written, but drawings that cannot be read were\n"
        "  skipped (listed on the first sheet with the reason); 2 also when no drawing\n"
        "  is found or the standard cannot be read.\n"
        "\n"
        "--render FILE.dxf OUT.png|OUT.svg\n"
        "  One picture for documents and reports, drawn as the layer pictures are\n"
        "  (every layer but the current one on and thawed), on white.\n"
        "    --layer NAME   that layer's picture alone\n"
        "    --size PX      the longer side in pixels (default 1600)\n"
        "  Exit 0 written; 1 the picture cannot be written; 2 bad arguments, a drawing\n"
        "  that cannot be read or a --layer the drawing lacks.\n"
        "\n"
        "--help, -h     this text\n"
        "--version      the version\n"
        "\n"
        "A mode's failure is one line on standard error.\n");
}

QString hostVersion()
{
    return QStringLiteral("kasanemi-cad (Kasanemi) ") + QString::fromUtf16(app::kVersion) + u'\n';
}

std::optional<int> answerWithoutRunning(const HostCommandLine& commandLine)
{
    switch (commandLine.action) {
    case HostCommandLine::Action::Help:
        print(stdout, hostUsage());
        return 0;
    case HostCommandLine::Action::Version:
        print(stdout, hostVersion());
        return 0;
    case HostCommandLine::Action::Refuse:
        print(stderr, QStringLiteral("kasanemi-cad: ") + commandLine.problem + u'\n' + hostUsageLine() + u'\n');
        return 2;
    case HostCommandLine::Action::Window:
    case HostCommandLine::Action::Mode:
        break;
    }
    return std::nullopt;
}

} // namespace cad::cli
