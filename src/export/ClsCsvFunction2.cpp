#include "ClsCsvFunction2.h"

#include "CsvText.h"
#include "app/AtomicReplace.h"
#include "app/UserInterface.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace csv {
namespace {

QString enclosed(const QString& raw)
{
    return QChar(u'"') + raw + QChar(u'"');
}

bool startsWithDigit(const QString& raw)
{
    return !raw.isEmpty() && raw[0] >= u'0' && raw[0] <= u'9';
}

} // namespace

QString outputForm(const QString& raw, const OutputRules& rules)
{
    const bool numeric = isNumericText(raw);
    QString out;
    if (rules.mode == u"CSV1") {
        out = raw.isEmpty() ? raw : enclosed(raw);
    } else if (rules.mode == u"CSV2") {
        out = raw.contains(rules.delimiter) ? enclosed(raw) : raw;
    } else if (rules.mode == u"CSV3") {
        if (!raw.isEmpty() && (!numeric || !startsWithDigit(raw)))
            out = enclosed(raw);
        else
            out = raw.contains(rules.delimiter) ? enclosed(raw) : raw;
    } else {  // K3
        out = enclosed(raw);
    }
    if (!rules.exceptions)
        return out;
    if (rules.chkEmpty && raw.isEmpty())
        out = rules.optEmptyOK ? QStringLiteral("\"\"") : QString();
    if (rules.chkNum && numeric && startsWithDigit(raw))
        out = rules.optNumOK ? enclosed(raw) : raw;
    if (rules.chkNum0 && numeric && raw.startsWith(u'0'))
        out = enclosed(raw);
    if (rules.chkDate && !numeric && !raw.contains(u'-') && !raw.contains(u'.') && isDateText(raw))
        out = rules.dateHead + raw + rules.dateBack;
    if (raw.contains(rules.delimiter) && !out.startsWith(u'"'))
        out = enclosed(raw);
    return out;
}

} // namespace csv

using csv::CsvField;
using csv::CsvTable;

bool clsCSV_Function2::pu_fun_bGet_CSV_Array(const QString& sCSV_FileFullPath, CsvTable& vCSV_Array,
                                             QVariant* vHeader, bool bArrayMode, bool bChkHeadZero,
                                             bool bChkNotMozi, qint32 iHeaderLows, qint32 iHeaderLow,
                                             bool bColComplete, const QString& sDelimited,
                                             const csv::ReadOptions& options)
{
    vCSV_Array.clear();
    if (!QFileInfo(sCSV_FileFullPath).isFile()) {
        app::ui().message(QStringLiteral("CSVファイルからデータを読み込もうとしましたが、") + QChar(u'\r')
                              + QStringLiteral("指定されたCSVファイルが見つかりませんでした。"),
                          app::MsgButtons::Ok, app::MsgIcon::Critical, QStringLiteral("pu_fun_bGet_CSV_Array"));
        return false;
    }
    // An empty delimiter would split nowhere (and never end a field).
    if (sDelimited.isEmpty())
        return false;

    const bool headerGiven = vHeader && vHeader->typeId() == QMetaType::QStringList;
    const QStringList header = headerGiven ? vHeader->toStringList() : QStringList();
    const qint64 headerUpper = headerGiven ? qint64(header.size()) - 1 : 0;

    QFile file(sCSV_FileFullPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();
    const QString text = options.encoding ? app::decodeTextFile(bytes, *options.encoding) : app::decodeTextFile(bytes);
    const QList<QStringView> lines = csv::splitRecords(text, options.lineFeedEndsRecord);

    // Column scan: the widest line up to the stop line.
    qint64 widest = 0;
    qsizetype candidate = -1;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        widest = std::max<qint64>(widest, csv::splitLine(lines[n], sDelimited).size() - 1);
        candidate = n;
        const qint64 lineNumber = n + 1;
        if ((iHeaderLow > 0 && lineNumber == iHeaderLow) || (!bColComplete && lineNumber == 1))
            break;
    }

    if (headerUpper > 0) {
        if (widest != headerUpper) {
            *vHeader = QStringLiteral("Not Col Num");
            return false;
        }
        const QList<CsvField> fields = csv::splitLine(lines[candidate], sDelimited);
        for (qsizetype n = 0; n <= headerUpper; ++n) {
            if (n >= fields.size() || fields[n].text != header[n]) {
                *vHeader = QStringLiteral("Not Head data");
                return false;
            }
        }
    }

    if (iHeaderLows > lines.size())
        return false;  // more lines to skip than there are
    const qsizetype first = std::max<qint32>(iHeaderLows, 0);
    const qint32 base = bArrayMode ? 1 : 0;
    const qsizetype rows = lines.size() - first;
    if (rows == 0)
        return true;
    if (widest > INT32_MAX - base || qint64(rows) > qint64(INT32_MAX) - base)
        return false;
    // Every cell of the table is held, filled or not: one long line over many
    // short ones (a foreign or damaged file) would ask for terabytes.
    if ((widest + 1) * qint64(rows) > csv::kMaxTableCells)
        return false;
    CsvTable table(base, base + qint32(widest), base, base + qint32(rows) - 1);
    for (qsizetype r = 0; r < rows; ++r) {
        const QList<CsvField> fields = csv::splitLine(lines[first + r], sDelimited);
        const qsizetype count = std::min<qsizetype>(fields.size(), widest + 1);
        for (qsizetype n = 0; n < count; ++n) {
            QString value = fields[n].text;
            if (bChkNotMozi ? fields[n].enclosed
                            : (bChkHeadZero && value.startsWith(u'0') && csv::isNumericText(value)))
                value.prepend(u'\'');
            table.setCell(base + qint32(n), base + qint32(r), value);
        }
    }
    vCSV_Array = std::move(table);
    return true;
}

bool clsCSV_Function2::pu_fun_bOut_Array_CSV(const QString& sCSV_FilePath, const QString& sCSV_FileName,
                                             const CsvTable& vCSV_Array, bool bMode, const QString& sCSVMode,
                                             bool bChkEmpty, bool bOptEmptyOK, bool bChkNum, bool bOptNumOK,
                                             bool bChkNum0, bool bChkDate, const QString& sTxtDateHead,
                                             const QString& sTxtDateBack, bool bReigai, qint32 iReturn,
                                             const QString& sDelimited, app::TextFileEncoding encoding)
{
    csv::OutputRules rules;
    rules.mode = sCSVMode.isEmpty() ? QStringLiteral("K3") : sCSVMode;
    if (rules.mode != u"CSV1" && rules.mode != u"CSV2" && rules.mode != u"CSV3" && rules.mode != u"K3")
        return false;  // no caller passes another mode; refuse it before touching any file
    rules.exceptions = bReigai;
    rules.chkEmpty = bChkEmpty;
    rules.optEmptyOK = bOptEmptyOK;
    rules.chkNum = bChkNum;
    rules.optNumOK = bOptNumOK;
    rules.chkNum0 = bChkNum0;
    rules.chkDate = bChkDate;
    rules.dateHead = sTxtDateHead;
    rules.dateBack = sTxtDateBack;
    rules.delimiter = sDelimited;

    if (!vCSV_Array.hasElements() || sCSV_FileName.isEmpty())
        return false;

    const QString terminator = (iReturn == 0 || iReturn == 1) ? QStringLiteral("\r\n")
                             : iReturn == 2                    ? QStringLiteral("\r")
                             : iReturn == 3                    ? QStringLiteral("\n")
                                                               : sDelimited;
    // bMode true: one line per index of dimension 2, cells along dimension 1.
    const int lineDimension = bMode ? 2 : 1;
    const int cellDimension = bMode ? 1 : 2;
    QString text;
    QStringList cells;
    for (qint32 r = vCSV_Array.lowerBound(lineDimension); r <= vCSV_Array.upperBound(lineDimension); ++r) {
        cells.clear();
        for (qint32 c = vCSV_Array.lowerBound(cellDimension); c <= vCSV_Array.upperBound(cellDimension); ++c) {
            const QVariant& cell = bMode ? vCSV_Array.cell(c, r) : vCSV_Array.cell(r, c);
            const std::optional<QString> raw = csv::cellText(cell);
            if (!raw)
                return false;
            cells.append(csv::outputForm(*raw, rules));
        }
        text += cells.join(sDelimited);
        text += terminator;
    }
    const std::optional<QByteArray> bytes = app::encodeText(text, encoding);
    if (!bytes)
        return false;

    const QString folder = sCSV_FilePath;
    const bool endsWithSeparator = folder.endsWith(u'/') || folder.endsWith(u'\\');
    const QString target = folder + (endsWithSeparator || folder.isEmpty() ? QString() : QStringLiteral("/"))
                         + sCSV_FileName;
    // A failure leaves the old contents or the new ones, never none.
    return app::replaceFile(target, *bytes).isEmpty();
}
