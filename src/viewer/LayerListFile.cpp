#include "LayerListFile.h"

#include "export/ClsCsvFunction2.h"

namespace viewer {

bool readLayerListFile(const QString& path, acad::NameList& names)
{
    // One shared reader, created on first use; it keeps no state between calls.
    static clsCSV_Function2 reader;
    csv::CsvTable table;
    if (!reader.pu_fun_bGet_CSV_Array(path, table, nullptr, true, false, false, 0, 0, true, QStringLiteral(",")))
        return false;
    if (!table.hasElements())
        return true;
    for (qint32 row = table.lowerBound(2); row <= table.upperBound(2); ++row)
        names.append(table.cell(1, row).toString());
    return true;
}

} // namespace viewer
