#include "DrawingSetSheet.h"

#include "ExportExcelBas.h"

#include "acad/LayerNameOrder.h"
#include "acad/LayerWildcard.h"

#include <QHash>

#include <algorithm>

namespace exportexcel {
namespace {

// Colours as the automation interface packs them: red + green*256 + blue*65536.
constexpr qint32 kOffText = 0x808080;          // grey
constexpr qint32 kFrozenFill = 0xF7EBDD;       // light blue, RGB DD EB F7
constexpr qint32 kOutsideStandardFill = 0xCEC7FF; // light red, RGB FF C7 CE
constexpr qint32 kHeaderFill = 0xF2F2F2;

bool matchesStandard(const QString& name, const std::vector<acad::LayerWildcard>& patterns)
{
    return std::any_of(patterns.begin(), patterns.end(),
                       [&name](const acad::LayerWildcard& p) { return p.matches(name); });
}

std::vector<const SetDrawing*> readDrawings(const std::vector<SetDrawing>& drawings)
{
    std::vector<const SetDrawing*> read;
    for (const SetDrawing& d : drawings)
        if (d.read)
            read.push_back(&d);
    return read;
}

void markHeader(const excel::WorksheetPtr& sheet, qint32 row, qint32 columns)
{
    const excel::RangePtr header = sheet->range(row, 1, row, columns);
    header->setFontBold(true);
    header->setInteriorColor(kHeaderFill);
}

/// One row of the layer table: name, 標準外 mark, a count a drawing, the total.
std::vector<QVariant> layerRow(const SetRow& row, const std::vector<const SetDrawing*>& read, bool standard)
{
    std::vector<QVariant> cells{row.name};
    if (standard)
        cells.emplace_back(row.standard ? QVariant() : QVariant(QStringLiteral("標準外")));
    qint64 total = 0;
    for (std::size_t d = 0; d < read.size(); ++d) {
        if (!row.inDrawing[d]) {
            cells.emplace_back();
            continue;
        }
        const qint64 objects = read[d]->layers[*row.inDrawing[d]].objects;
        cells.emplace_back(objects);
        total += objects;
    }
    cells.emplace_back(total);
    return cells;
}

} // namespace

QString layerStateNote(const SetLayer& layer)
{
    QStringList states;
    if (!layer.on)
        states << QStringLiteral("非表示");
    if (layer.frozen)
        states << QStringLiteral("フリーズ");
    if (layer.locked)
        states << QStringLiteral("ロック");
    return states.join(QStringLiteral("・"));
}

std::vector<SetRow> setRows(const std::vector<SetDrawing>& drawings, const std::optional<QStringList>& standard)
{
    const std::vector<const SetDrawing*> read = readDrawings(drawings);
    std::vector<SetRow> rows;
    QHash<QString, std::size_t> rowOf;
    for (std::size_t d = 0; d < read.size(); ++d) {
        for (std::size_t l = 0; l < read[d]->layers.size(); ++l) {
            const QString& name = read[d]->layers[l].name;
            const QString key = name.toCaseFolded();
            auto it = rowOf.constFind(key);
            if (it == rowOf.constEnd()) {
                it = rowOf.insert(key, rows.size());
                rows.push_back({name, true, std::vector<std::optional<std::size_t>>(read.size())});
            }
            rows[*it].inDrawing[d] = l;
        }
    }
    if (standard) {
        std::vector<acad::LayerWildcard> patterns;
        for (const QString& p : *standard)
            patterns.emplace_back(p);
        for (SetRow& row : rows)
            row.standard = matchesStandard(row.name, patterns);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const SetRow& a, const SetRow& b) {
        if (a.standard != b.standard)
            return !a.standard;
        return acad::sortsBefore(a.name, b.name);
    });
    return rows;
}

bool writeDrawingSetSheet(const excel::ApplicationPtr& oExcel, const excel::WorksheetPtr& sheet,
                          const std::vector<SetDrawing>& drawings, const std::optional<QStringList>& standard)
{
    const std::vector<const SetDrawing*> read = readDrawings(drawings);
    const std::vector<SetRow> rows = setRows(drawings, standard);
    const qint32 firstDrawingColumn = standard ? 3 : 2;

    std::vector<QVariant> header{QStringLiteral("画層名")};
    if (standard)
        header.emplace_back(QStringLiteral("標準"));
    for (const SetDrawing* d : read)
        header.emplace_back(d->fileName);
    header.emplace_back(QStringLiteral("合計"));
    if (!basExcel::pu_fun_bSetArrayToSheet(oExcel, sheet, {header}, 1))
        return false;
    markHeader(sheet, 1, qint32(header.size()));
    // The layer table of a large set is mostly empty (drawings from several
    // offices share few names): it goes in a block of rows at a time, and
    // without borders, so only its filled cells are kept.
    constexpr std::size_t kRowsAtOnce = 1000;
    for (std::size_t first = 0; first < rows.size(); first += kRowsAtOnce) {
        excel::Table block;
        for (std::size_t r = first; r < std::min(rows.size(), first + kRowsAtOnce); ++r)
            block.push_back(layerRow(rows[r], read, standard.has_value()));
        sheet->range(qint32(first) + 2, 1, qint32(first + block.size()) + 1, qint32(header.size()))->setValue(block);
    }

    // A state is the look of the count's cell and its note; the number stays a number.
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const qint32 row = qint32(r) + 2;
        if (!rows[r].standard)
            sheet->range(row, 1, row, 1)->setInteriorColor(kOutsideStandardFill);
        for (std::size_t d = 0; d < read.size(); ++d) {
            if (!rows[r].inDrawing[d])
                continue;
            const SetLayer& layer = read[d]->layers[*rows[r].inDrawing[d]];
            const QString note = layerStateNote(layer);
            if (note.isEmpty())
                continue;
            const excel::RangePtr cell = sheet->range(row, firstDrawingColumn + qint32(d), row, firstDrawingColumn + qint32(d));
            if (!layer.on)
                cell->setFontColor(kOffText);
            if (layer.frozen)
                cell->setInteriorColor(kFrozenFill);
            if (layer.locked)
                cell->setFontItalic(true);
            cell->addComment(note);
        }
    }

    excel::Table list;
    std::vector<QVariant> listHeader{QStringLiteral("図面"), QStringLiteral("バージョン"), QStringLiteral("コードページ"),
                                     QStringLiteral("画層数"), QStringLiteral("オブジェクト数")};
    if (standard)
        listHeader.emplace_back(QStringLiteral("標準外の画層"));
    listHeader.emplace_back(QStringLiteral("状態"));
    list.push_back(listHeader);
    for (const SetDrawing& d : drawings) {
        std::vector<QVariant> cells{d.fileName};
        if (d.read) {
            cells.insert(cells.end(), {d.version, d.codepage, d.layerCount, d.objectCount});
        } else {
            cells.insert(cells.end(), {QVariant(), QVariant(), QVariant(), QVariant()});
        }
        if (standard) {
            qint64 outside = 0;
            const auto at = std::find(read.begin(), read.end(), &d);
            for (const SetRow& row : rows)
                outside += (at != read.end() && !row.standard && row.inDrawing[std::size_t(at - read.begin())]) ? 1 : 0;
            cells.emplace_back(d.read ? QVariant(outside) : QVariant());
        }
        cells.emplace_back(d.read ? d.note : QStringLiteral("読み込めませんでした：") + d.note);
        list.push_back(cells);
    }
    const qint32 listRow = qint32(rows.size()) + 3;
    if (!basExcel::pu_fun_bSetArrayToSheet(oExcel, sheet, list, listRow))
        return false;
    markHeader(sheet, listRow, qint32(listHeader.size()));

    sheet->freezePanes(1, 1);
    sheet->setPrintTitles(QStringLiteral("$1:$1"), QStringLiteral("$A:$A"));
    return true;
}

} // namespace exportexcel
