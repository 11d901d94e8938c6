// libFuzzer target for the layer-list reader: any bytes, read as the refresh
// reads its list file (both encodings, every line end), then checked against
// a small drawing, and the table written back and read again. Nothing may
// crash, hang or run out of memory. Build with fuzz/build.sh.

#include "export/ClsCsvFunction2.h"
#include "viewer/LayerListFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const acad::NameList drawing{QString(), QStringLiteral("0"), QStringLiteral("壁"), QStringLiteral("Door")};
    acad::NameList names = acad::emptyNameList();
    if (viewer::readLayerListFile(path, drawing, names) == viewer::LayerListRead::Read)
        (void)viewer::checkLayerList(names, drawing);

    // The general reader with a header and a longer delimiter, then the writer.
    clsCSV_Function2 reader;
    csv::CsvTable table;
    QVariant header = QStringList{QStringLiteral("a"), QStringLiteral("b")};
    (void)reader.pu_fun_bGet_CSV_Array(path, table, &header, false, true, false, 1, 2, true, QStringLiteral(";;"));
    if (reader.pu_fun_bGet_CSV_Array(path, table, nullptr, true, false, true, 0, 0, true, QStringLiteral(","))
        && table.hasElements())
        (void)reader.pu_fun_bOut_Array_CSV(dir.path(), QStringLiteral("out.csv"), table, true, QStringLiteral("CSV3"),
                                           true, true, true, false, true, false, QString(), QString(), true, 1,
                                           QStringLiteral(","));
    return 0;
}
