#include "ExportSetCommand.h"

#include "DrawingReport.h"
#include "ExportDrawing.h"

#include "acad/LayerWildcard.h"
#include "app/StaleWorkFolders.h"
#include "cad/local/LocalApplication.h"
#include "excel/XlsxApplication.h"
#include "excel/XlsxPackageStream.h"
#include "export/ExportExcel.h"
#include "export/LayerListReader.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QTemporaryDir>

#include <algorithm>
#include <stdexcept>

namespace cad::cli {

using namespace exportexcel;
namespace {

bool isDrawingFile(const QString& name)
{
    return name.endsWith(QLatin1String(".dxf"), Qt::CaseInsensitive)
        || name.endsWith(QLatin1String(".dwg"), Qt::CaseInsensitive);
}

/// The first few characters of the drawing's name, put before its picture
/// sheets' names so they say whose they are and stay short.
QString picturePrefix(const QString& label)
{
    return QFileInfo(label).completeBaseName().left(20) + u' ';
}

/// The standard's patterns; nullopt when the file cannot be read.
std::optional<QStringList> readStandard(const QString& path, const std::vector<SetDrawing>& drawings)
{
    QStringList names;
    for (const SetDrawing& d : drawings)
        for (const SetLayer& l : d.layers)
            names << l.name;
    // The encoding that makes more of the set's names match wins.
    return csv::readLayerList(path, [&names](const QStringList& patterns) {
        std::vector<acad::LayerWildcard> wildcards(patterns.begin(), patterns.end());
        return qsizetype(std::count_if(names.begin(), names.end(), [&wildcards](const QString& name) {
            return std::any_of(wildcards.begin(), wildcards.end(),
                               [&name](const acad::LayerWildcard& w) { return w.matches(name); });
        }));
    });
}

/// Everything one run keeps: the workbook and where its sheets go.
struct SetWorkbook {
    std::shared_ptr<excel::XlsxApplication> excel = std::make_shared<excel::XlsxApplication>();
    excel::WorksheetsPtr sheets;
    excel::WorkbookModelPtr model;
    excel::WorksheetPtr summary;
    /// Where the searches for free sheet names stopped, across the drawings.
    excel::SheetNameClashes sheetNameClashes;
};

/// Adds one drawing's sheets after the last sheet; a failure takes them out
/// again and is thrown on.
void addDrawingSheets(SetWorkbook& book, const QString& path, const QString& label, const ExportXlsxArguments& a,
                      const ExportExcelOptions& options, SetDrawing& entry, QTextStream& errors)
{
    std::shared_ptr<CadDocument> drawing = openForExport(path, errors);
    entry = setDrawingFromReport(label, drawingReport(*drawing));
    entry.note = drawing->loadWarning();

    const acad::ApplicationPtr host = std::make_shared<LocalApplication>(drawing);
    const acad::DocumentPtr document = host->activeDocument();
    const QStringList chosen = exportedLayers(document, a.layers);

    QTemporaryDir work(app::workFolderTemplate(QStringLiteral("export")));
    if (!work.isValid())
        throw std::runtime_error(QStringLiteral("cannot make a work folder: %1").arg(work.errorString()).toStdString());
    ExportRequest request;
    request.document = document;
    request.layerNames = chosen;
    request.pictureFolder = drawLayerPictures(host, document, work.path());
    request.pictureSheetPrefix = picturePrefix(label);
    request.sheetNameClashes = &book.sheetNameClashes;

    const qint32 before = book.sheets->count();
    try {
        const excel::WorksheetPtr listSheet = book.sheets->addAfter(book.sheets->item(before));
        nameSheetSafely(listSheet, document->name(), &book.sheetNameClashes);
        if (!writeLayerSheets(book.excel, book.sheets, listSheet, request, options))
            throw std::runtime_error("the layer table cannot be written");
    } catch (...) {
        for (qint32 i = book.sheets->count(); i > before; --i)
            book.sheets->item(i)->erase();
        // Their names are free again, below where the searches stopped.
        book.sheetNameClashes.forget();
        throw;
    }
}

QString reasonOf(const std::exception& e)
{
    if (const auto* automation = dynamic_cast<const acad::AutomationError*>(&e))
        return automation->description().simplified();
    return QString::fromLocal8Bit(e.what()).simplified();
}

} // namespace

QStringList setDrawings(const QStringList& inputs, bool recursive, QStringList& labels)
{
    QStringList paths;
    for (const QString& input : inputs) {
        const QFileInfo info(input);
        if (!info.isDir()) {
            paths << input;
            labels << info.fileName();
            continue;
        }
        const QDir folder(input);
        QStringList found;
        QDirIterator it(input, QDir::Files | QDir::Hidden,
                        recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
        while (it.hasNext()) {
            const QString file = it.next();
            if (isDrawingFile(file))
                found << folder.relativeFilePath(file);
        }
        std::sort(found.begin(), found.end(),
                  [](const QString& x, const QString& y) { return QString::compare(x, y, Qt::CaseInsensitive) < 0; });
        for (const QString& relative : found) {
            paths << folder.filePath(relative);
            labels << relative;
        }
    }
    return paths;
}

SetDrawing setDrawingFromReport(const QString& label, const QJsonObject& report)
{
    SetDrawing d;
    d.fileName = label;
    d.read = true;
    d.version = report[QStringLiteral("version")].toString();
    d.codepage = report[QStringLiteral("codepage")].toString();
    d.objectCount = report[QStringLiteral("total")].toInteger();
    const QJsonObject counts = report[QStringLiteral("counts")].toObject();
    // Counts are keyed as the objects spell their layer; the table may spell it otherwise.
    QHash<QString, qint64> countOf;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        countOf[it.key().toCaseFolded()] += it.value().toInteger();
    const QJsonArray layers = report[QStringLiteral("layers")].toArray();
    d.layerCount = layers.size();
    for (const QJsonValue& v : layers) {
        const QJsonObject o = v.toObject();
        SetLayer l;
        l.name = o[QStringLiteral("name")].toString();
        l.on = o[QStringLiteral("on")].toBool();
        l.frozen = o[QStringLiteral("frozen")].toBool();
        l.locked = o[QStringLiteral("locked")].toBool();
        l.objects = countOf.take(l.name.toCaseFolded());
        d.layers.push_back(l);
    }
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (!countOf.contains(it.key().toCaseFolded()))
            continue;
        SetLayer l;
        l.name = it.key();
        l.inTable = false;
        l.objects = countOf.take(it.key().toCaseFolded());
        d.layers.push_back(l);
    }
    return d;
}

int runExportSet(const ExportXlsxArguments& a, const ExportExcelOptions& options, QTextStream& errors)
{
    QStringList labels;
    const QStringList paths = setDrawings(a.inputs, a.recursive, labels);
    if (paths.isEmpty()) {
        errors << "kasanemi-cad: no drawings (*.dxf, *.dwg) in " << a.inputs.join(u' ') << Qt::endl;
        return 2;
    }
    if (!a.standard.isEmpty() && !QFileInfo(a.standard).isFile()) {
        errors << "kasanemi-cad: the standard " << a.standard << " cannot be read" << Qt::endl;
        return 2;
    }
    const std::unique_ptr<QTemporaryDir> staging = makeExportWorkFolder(errors);
    if (!staging)
        return 1;

    SetWorkbook book;
    std::vector<SetDrawing> drawings;
    try {
        const excel::WorkbookPtr workbook = book.excel->workbooks()->add();
        book.sheets = workbook->worksheets();
        book.model = book.excel->workbookModels().back();
        book.summary = book.sheets->item(1);
        book.summary->setName(QStringLiteral("図面一覧"));
        for (qint32 i = book.sheets->count(); i >= 2; --i)
            book.sheets->item(i)->erase();
    } catch (const excel::ExcelError& e) {
        errors << "kasanemi-cad: " << e.description() << Qt::endl;
        return 1;
    }

    excel::XlsxPackageStream stream(staging->path());
    int skipped = 0;
    for (qsizetype k = 0; k < paths.size(); ++k) {
        errors << "kasanemi-cad: [" << (k + 1) << '/' << paths.size() << "] " << labels[k] << Qt::endl;
        SetDrawing entry;
        try {
            addDrawingSheets(book, paths[k], labels[k], a, options, entry, errors);
        } catch (const std::exception& e) {
            entry = SetDrawing{};
            entry.fileName = labels[k];
            entry.note = reasonOf(e);
            ++skipped;
            errors << "kasanemi-cad: skipped " << labels[k] << ": " << entry.note << Qt::endl;
        }
        drawings.push_back(std::move(entry));
        // Out of memory before the next drawing comes in; a failure here is the workbook's.
        try {
            stream.writeOut(*book.model, 1);
        } catch (const excel::ExcelError& e) {
            errors << "kasanemi-cad: " << e.description() << Qt::endl;
            return 1;
        }
    }

    std::optional<QStringList> standard;
    if (!a.standard.isEmpty()) {
        standard = readStandard(a.standard, drawings);
        if (!standard) {
            errors << "kasanemi-cad: the standard " << a.standard << " cannot be read as a layer list" << Qt::endl;
            return 2;
        }
    }
    try {
        if (!writeDrawingSetSheet(book.excel, book.summary, drawings, standard))
            throw excel::ExcelError(excel::error::kRefused, QStringLiteral("the first sheet cannot be written"));
        book.summary->activate();
        stream.finish(*book.model, a.out);
    } catch (const excel::ExcelError& e) {
        errors << "kasanemi-cad: " << e.description() << Qt::endl;
        return 1;
    }
    const qsizetype written = paths.size() - skipped;
    errors << "kasanemi-cad: " << written << " / " << paths.size() << " 図面を " << a.out << " に書き出しました"
           << (skipped ? QStringLiteral("（読めなかった %1 図面は飛ばしました）").arg(skipped) : QString()) << Qt::endl;
    return skipped ? kExitSomeSkipped : 0;
}

} // namespace cad::cli
