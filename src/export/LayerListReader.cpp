#include "LayerListReader.h"

#include "ClsCsvFunction2.h"

namespace csv {
namespace {

bool readNames(const QString& path, app::TextFileEncoding encoding, QStringList& names)
{
    // One shared reader, created on first use; it keeps no state between calls.
    static clsCSV_Function2 reader;
    ReadOptions options;
    options.encoding = encoding;
    options.lineFeedEndsRecord = true;
    CsvTable table;
    if (!reader.pu_fun_bGet_CSV_Array(path, table, nullptr, true, false, false, 0, 0, true, QStringLiteral(","),
                                      options))
        return false;
    if (!table.hasElements())
        return true;
    for (qint32 row = table.lowerBound(2); row <= table.upperBound(2); ++row) {
        const QString name = table.cell(1, row).toString();
        if (!name.isEmpty())
            names.append(name);
    }
    return true;
}

} // namespace

std::optional<QStringList> readLayerList(const QString& path, const ListReadingScore& score)
{
    QStringList asCp932;
    if (!readNames(path, app::TextFileEncoding::Cp932, asCp932))
        return std::nullopt;
    QStringList asUtf8;
    if (!readNames(path, app::TextFileEncoding::Utf8, asUtf8))
        return std::nullopt;
    return score(asUtf8) > score(asCp932) ? asUtf8 : asCp932;
}

} // namespace csv
