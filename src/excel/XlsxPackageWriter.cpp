#include "XlsxPackageWriter.h"

#include "ExcelError.h"
#include "XlsxParts.h"
#include "ZipBuilder.h"
#include "app/AtomicReplace.h"

namespace excel {
namespace {

[[noreturn]] void fail(const QString& why)
{
    throw ExcelError(error::kWriteFailed, why);
}

} // namespace

QString columnLetters(qint32 column)
{
    QString letters;
    for (qint32 n = column; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QByteArray xlsxPackage(const WorkbookModel& book)
{
    if (book.sheets.empty())
        throw ExcelError(error::kRefused, QStringLiteral("a workbook without sheets"));

    parts::PartNumbering numbering;
    std::vector<parts::SheetNumbers> numbers;
    std::vector<parts::SheetEntry> entries;
    parts::SharedStrings strings;
    parts::StyleTable styles;
    std::vector<std::pair<QString, QByteArray>> sheetParts;
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        const SheetModel& sheet = *book.sheets[i];
        const parts::SheetNumbers& n = numbers.emplace_back(numbering.number(sheet));
        entries.push_back({sheet.name, sheet.printTitleRows, sheet.printTitleColumns});
        for (auto& part : parts::sheetParts(sheet, i == book.activeSheet, n, strings, styles))
            sheetParts.push_back(std::move(part));
    }

    ZipBuilder zip;
    const parts::Inventory& inventory = numbering.inventory();
    zip.add(QStringLiteral("[Content_Types].xml"), parts::contentTypes(inventory));
    zip.add(QStringLiteral("_rels/.rels"), parts::rootRelationships());
    zip.add(QStringLiteral("xl/workbook.xml"), parts::workbook(entries, book.activeSheet));
    zip.add(QStringLiteral("xl/_rels/workbook.xml.rels"), parts::workbookRelationships(inventory.sheetParts));
    zip.add(QStringLiteral("xl/styles.xml"), styles.xml());
    zip.add(QStringLiteral("xl/sharedStrings.xml"), parts::sharedStrings(strings));
    for (const auto& [name, bytes] : sheetParts)
        zip.add(name, bytes);
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        std::size_t picture = 0;
        for (const auto& shape : book.sheets[i]->shapes)
            if (shape->kind == ShapeModel::Kind::Picture)
                zip.add(QStringLiteral("xl/media/image%1.wmf").arg(numbers[i].media[picture++]), shape->pictureData);
    }
    return zip.finish();
}

void writeXlsxFile(const WorkbookModel& book, const QString& path)
{
    replaceFile(path, [&](QIODevice& file) {
        const QByteArray bytes = xlsxPackage(book);
        return file.write(bytes) == bytes.size();
    });
}

void replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    if (const QString why = app::replaceFile(path, write); !why.isEmpty())
        fail(QStringLiteral("%1: %2").arg(path, why));
}

} // namespace excel
