#include "ExportXlsxCommand.h"

#include "ConsoleUserInterface.h"
#include "ExportDrawing.h"
#include "ExportSetCommand.h"
#include "ExportXlsxArguments.h"

#include "app/UserInterface.h"
#include "cad/local/LocalApplication.h"
#include "excel/XlsxConnector.h"
#include "export/ExportExcel.h"

#include <QTemporaryDir>
#include <QTextStream>

#include <stdexcept>

namespace cad::cli {

using namespace exportexcel;
namespace {

/// The export of one drawing, as the viewer's export makes it.
int runSingle(const ExportXlsxArguments& a, const ExportExcelOptions& options, QTextStream& output,
              QTextStream& errors)
{
    std::shared_ptr<CadDocument> drawing;
    try {
        drawing = openForExport(a.inputs.front(), errors);
    } catch (const std::exception& e) {
        errors << "kasanemi-cad: " << e.what() << Qt::endl;
        return 2;
    }

    const std::unique_ptr<QTemporaryDir> work = makeExportWorkFolder(errors);
    if (!work)
        return 1;

    ConsoleUserInterface console(output, errors);
    try {
        // The layers to export: those named, or every layer with objects, in table order.
        const acad::ApplicationPtr host = std::make_shared<LocalApplication>(drawing);
        const acad::DocumentPtr document = host->activeDocument();
        const QStringList chosen = exportedLayers(document, a.layers);
        QStringList wanted = a.layers;
        for (const QString& name : chosen)
            wanted.removeAll(name);
        if (!wanted.isEmpty()) {
            errors << "kasanemi-cad: the drawing has no layer named " << wanted.first() << Qt::endl;
            return 2;
        }

        ExportRequest request;
        request.document = document;
        request.layerNames = chosen;
        request.pictureFolder = drawLayerPictures(host, document, work->path());

        const app::ScopedUi scopedUi(console);
        const auto connector = excel::XlsxConnector::toFile(a.out);
        const ExportResult result = exportLayers(*connector, request, options);
        return result == ExportResult::Finished ? 0 : 1;
    } catch (const acad::AcadError& e) {
        errors << "kasanemi-cad: " << e.description() << Qt::endl;
        return 1;
    } catch (const std::runtime_error& e) {
        errors << "kasanemi-cad: " << e.what() << Qt::endl;
        return 1;
    }
}

} // namespace

int runExportXlsxCommand(const QStringList& args, QTextStream& output, QTextStream& errors)
{
    QString problem;
    const std::optional<ExportXlsxArguments> a = parseExportXlsxArguments(args, problem);
    if (!a) {
        errors << "kasanemi-cad: " << problem << Qt::endl;
        return 2;
    }
    const std::optional<ExportExcelOptions> options = readOptions(a->texts, &problem);
    if (!options) {
        errors << "kasanemi-cad: " << problem << Qt::endl;
        return 2;
    }
    if (a->isSingleDrawing())
        return runSingle(*a, *options, output, errors);
    return runExportSet(*a, *options, errors);
}

int runExportXlsx(const QStringList& args)
{
    QTextStream output(stdout), errors(stderr);
    return runExportXlsxCommand(args, output, errors);
}

} // namespace cad::cli
