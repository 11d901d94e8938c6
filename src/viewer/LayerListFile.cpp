#include "LayerListFile.h"

#include "export/ClsCsvFunction2.h"

#include <QSet>

namespace viewer {
namespace {

bool readNames(const QString& path, app::TextFileEncoding encoding, QStringList& names)
{
    // One shared reader, created on first use; it keeps no state between calls.
    static clsCSV_Function2 reader;
    csv::ReadOptions options;
    options.encoding = encoding;
    options.lineFeedEndsRecord = true;
    csv::CsvTable table;
    if (!reader.pu_fun_bGet_CSV_Array(path, table, nullptr, true, false, false, 0, 0, true, QStringLiteral(","),
                                      options))
        return false;
    if (!table.hasElements())
        return true;
    for (qint32 row = table.lowerBound(2); row <= table.upperBound(2); ++row)
        names.append(table.cell(1, row).toString());
    return true;
}

qsizetype layersNamed(const QStringList& names, const QSet<QString>& layers)
{
    qsizetype found = 0;
    for (const QString& name : names)
        found += layers.contains(name.toCaseFolded()) ? 1 : 0;
    return found;
}

} // namespace

bool readLayerListFile(const QString& path, const acad::NameList& drawingLayers, acad::NameList& names)
{
    QStringList asCp932;
    if (!readNames(path, app::TextFileEncoding::Cp932, asCp932))
        return false;
    QStringList asUtf8;
    if (!readNames(path, app::TextFileEncoding::Utf8, asUtf8))
        return false;

    QSet<QString> layers;
    for (qsizetype i = 1; i < drawingLayers.size(); ++i)
        layers.insert(drawingLayers.at(i).toCaseFolded());
    names.append(layersNamed(asUtf8, layers) > layersNamed(asCp932, layers) ? asUtf8 : asCp932);
    return true;
}

} // namespace viewer
