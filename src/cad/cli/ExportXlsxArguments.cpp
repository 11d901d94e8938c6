#include "ExportXlsxArguments.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace cad::cli {

bool ExportXlsxArguments::isSingleDrawing() const
{
    return inputs.size() == 1 && !recursive && standard.isEmpty() && !QFileInfo(inputs.front()).isDir();
}

QString exportXlsxUsage()
{
    return QStringLiteral("usage: kasanemi-cad --export-xlsx FILE.dxf|FOLDER... OUT.xlsx [--separate] [--rows N] "
                          "[--columns N] [--width CM] [--spacing CM] [--frame PT | --no-frame] [--layer NAME]... "
                          "[--recursive] [--standard FILE.csv]");
}

std::optional<ExportXlsxArguments> parseExportXlsxArguments(const QStringList& args, QString& problem)
{
    const auto valued = [](const char* name, const char* value) {
        return QCommandLineOption(QLatin1String(name), QString(), QLatin1String(value));
    };
    const QCommandLineOption separate(QStringLiteral("separate")), noFrame(QStringLiteral("no-frame")),
        recursive(QStringLiteral("recursive")), rows = valued("rows", "N"), columns = valued("columns", "N"),
        width = valued("width", "CM"), spacing = valued("spacing", "CM"), frame = valued("frame", "PT"),
        layer = valued("layer", "NAME"), standard = valued("standard", "FILE.csv");
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({separate, noFrame, recursive, rows, columns, width, spacing, frame, layer, standard});
    if (!parser.parse(QStringList{QStringLiteral("kasanemi-cad")} + args)) {
        const QStringList unknown = parser.unknownOptionNames();
        problem = unknown.isEmpty() ? parser.errorText() : QStringLiteral("unknown option --") + unknown.front();
        return std::nullopt;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2) {
        problem = exportXlsxUsage();
        return std::nullopt;
    }
    ExportXlsxArguments a;
    a.inputs = positional.mid(0, positional.size() - 1);
    a.out = positional.back();
    a.texts.imagesPerSheet = !parser.isSet(separate);
    a.texts.frame = !parser.isSet(noFrame);
    // The last of a repeated option counts, as it did before.
    const auto last = [&parser](const QCommandLineOption& o, QString& into) {
        if (parser.isSet(o))
            into = parser.values(o).back();
    };
    last(rows, a.texts.rows);
    last(columns, a.texts.columns);
    last(width, a.texts.width);
    last(spacing, a.texts.spacing);
    last(frame, a.texts.frameWeight);
    last(standard, a.standard);
    a.layers = parser.values(layer);
    a.recursive = parser.isSet(recursive);
    return a;
}

} // namespace cad::cli
