#include "XlsxPackageStream.h"

#include "ExcelError.h"
#include "XlsxPackageWriter.h"
#include "ZipBuilder.h"

#include <QDir>
#include <QFile>

namespace excel {
namespace {

[[noreturn]] void fail(const QString& why)
{
    throw ExcelError(error::kWriteFailed, why);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    file.close();
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
}

/// Copies the finished archive to `path`, replacing it only once every byte
/// is written.
void placeFile(const QString& archive, const QString& path)
{
    QFile in(archive);
    if (!in.open(QIODevice::ReadOnly))
        fail(QStringLiteral("%1: %2").arg(archive, in.errorString()));
    replaceFile(path, [&](QIODevice& out) {
        QByteArray chunk;
        while (!(chunk = in.read(1 << 20)).isEmpty())
            if (out.write(chunk) != chunk.size())
                return false;
        if (in.error() != QFileDevice::NoError)
            fail(QStringLiteral("%1: %2").arg(archive, in.errorString()));
        return true;
    });
}

} // namespace

XlsxPackageStream::XlsxPackageStream(QString stagingFolder) : m_folder(std::move(stagingFolder)) {}

QString XlsxPackageStream::stage(const QString& entry, const QByteArray& bytes)
{
    const QString file = QDir(m_folder).filePath(QStringLiteral("part%1").arg(m_entries.size() + 1));
    writeFile(file, bytes);
    m_entries.emplace_back(entry, file);
    return file;
}

void XlsxPackageStream::writeOut(WorkbookModel& book, std::size_t first)
{
    writeSheets(book, first, false);
}

void XlsxPackageStream::writeSheets(WorkbookModel& book, std::size_t first, bool final)
{
    for (std::size_t i = first; i < book.sheets.size(); ++i) {
        SheetModel& sheet = *book.sheets[i];
        if (sheet.streamedPart)
            continue;
        const parts::SheetNumbers n = m_numbering.number(sheet);
        for (const auto& [entry, bytes] : parts::sheetParts(sheet, final && i == book.activeSheet, n, m_strings, m_styles))
            stage(entry, bytes);
        std::size_t picture = 0;
        for (const auto& shape : sheet.shapes)
            if (shape->kind == ShapeModel::Kind::Picture)
                stage(QStringLiteral("xl/media/image%1.wmf").arg(n.media[picture++]), shape->pictureData);

        sheet.streamedPart = n.sheet;
        sheet.cells.clear();
        sheet.columnWidths.clear();
        sheet.shapes.clear();
        sheet.shapes.shrink_to_fit();
    }
}

void XlsxPackageStream::finish(WorkbookModel& book, const QString& path)
{
    if (book.sheets.empty())
        throw ExcelError(error::kRefused, QStringLiteral("a workbook without sheets"));
    writeSheets(book, 0, true);

    // The tab order is the model's, whatever order the sheets were written in.
    std::vector<parts::SheetEntry> entries;
    std::vector<int> sheetParts;
    for (const auto& sheet : book.sheets) {
        entries.push_back({sheet->name, sheet->printTitleRows, sheet->printTitleColumns});
        sheetParts.push_back(sheet->streamedPart);
    }

    const QString archive = QDir(m_folder).filePath(QStringLiteral("package.xlsx"));
    ZipBuilder zip(archive);
    zip.addFile(QStringLiteral("[Content_Types].xml"), stage({}, parts::contentTypes(m_numbering.inventory())));
    zip.addFile(QStringLiteral("_rels/.rels"), stage({}, parts::rootRelationships()));
    zip.addFile(QStringLiteral("xl/workbook.xml"), stage({}, parts::workbook(entries, book.activeSheet)));
    zip.addFile(QStringLiteral("xl/_rels/workbook.xml.rels"), stage({}, parts::workbookRelationships(sheetParts)));
    zip.addFile(QStringLiteral("xl/styles.xml"), stage({}, m_styles.xml()));
    zip.addFile(QStringLiteral("xl/sharedStrings.xml"), stage({}, parts::sharedStrings(m_strings)));
    for (const auto& [entry, file] : m_entries)
        if (!entry.isEmpty())
            zip.addFile(entry, file);
    zip.close();
    placeFile(archive, path);
}

} // namespace excel
