#include "ExportXlsxCommand.h"

#include "ConsoleUserInterface.h"

#include "acad/LayerCounts.h"
#include "acad/LayerStates.h"
#include "acad/PictureProtocol.h"
#include "app/StaleWorkFolders.h"
#include "app/UserInterface.h"
#include "cad/CadDocument.h"
#include "cad/MacroRegistry.h"
#include "cad/local/LocalApplication.h"
#include "cad/macros/PictureMacros.h"
#include "excel/XlsxConnector.h"
#include "export/ExportExcel.h"
#include "export/ExportExcelOptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <optional>
#include <utility>

namespace cad::cli {

using namespace exportexcel;
namespace {

const char* const kUsage =
    "usage: kasanemi-cad --export-xlsx FILE.dxf OUT.xlsx [--separate] [--rows N] [--columns N] "
    "[--width CM] [--spacing CM] [--frame PT | --no-frame] [--layer NAME]...";

struct BatchArguments {
    QString dxf;
    QString out;
    ExportExcelOptionTexts texts{true, "3", "2", "9.0", "1.0", "1.0", true};
    QStringList layers;
};

/// The arguments, or nullopt with the reason in `problem`.
std::optional<BatchArguments> parse(const QStringList& args, QString& problem)
{
    BatchArguments a;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size()) {
                problem = arg + QStringLiteral(" needs a value");
                return std::nullopt;
            }
            return args[++i];
        };
        std::optional<QString> v;
        if (arg == QLatin1String("--separate")) {
            a.texts.imagesPerSheet = false;
        } else if (arg == QLatin1String("--no-frame")) {
            a.texts.frame = false;
        } else if (arg == QLatin1String("--rows")) {
            if (!(v = value())) return std::nullopt;
            a.texts.rows = *v;
        } else if (arg == QLatin1String("--columns")) {
            if (!(v = value())) return std::nullopt;
            a.texts.columns = *v;
        } else if (arg == QLatin1String("--width")) {
            if (!(v = value())) return std::nullopt;
            a.texts.width = *v;
        } else if (arg == QLatin1String("--spacing")) {
            if (!(v = value())) return std::nullopt;
            a.texts.spacing = *v;
        } else if (arg == QLatin1String("--frame")) {
            if (!(v = value())) return std::nullopt;
            a.texts.frameWeight = *v;
        } else if (arg == QLatin1String("--layer")) {
            if (!(v = value())) return std::nullopt;
            a.layers << *v;
        } else if (arg.startsWith(QLatin1String("--"))) {
            problem = QStringLiteral("unknown option ") + arg;
            return std::nullopt;
        } else {
            positional << arg;
        }
    }
    if (positional.size() != 2) {
        problem = QString::fromLatin1(kUsage);
        return std::nullopt;
    }
    a.dxf = positional[0];
    a.out = positional[1];
    return a;
}

} // namespace

int runExportXlsxCommand(const QStringList& args, QTextStream& output, QTextStream& errors)
{
    QString problem;
    const std::optional<BatchArguments> a = parse(args, problem);
    if (!a) {
        errors << "kasanemi-cad: " << problem << Qt::endl;
        return 2;
    }
    const std::optional<ExportExcelOptions> options = readOptions(a->texts, &problem);
    if (!options) {
        errors << "kasanemi-cad: " << problem << Qt::endl;
        return 2;
    }

    std::shared_ptr<cad::CadDocument> drawing;
    bool cutSaid = false;
    try {
        drawing = cad::CadDocument::open(a->dxf);
        if (!drawing->loadWarning().isEmpty())
            errors << "kasanemi-cad: warning: " << drawing->loadWarning() << Qt::endl;
        // Said once, however many pictures the macro draws cut short.
        QObject::connect(drawing.get(), &cad::CadDocument::picturesCut, drawing.get(), [&errors, &cutSaid](qulonglong outlined) {
            if (!std::exchange(cutSaid, true))
                errors << "kasanemi-cad: warning: " << cad::macros::picturesCutNote(outlined) << Qt::endl;
        });
    } catch (const std::exception& e) {
        errors << "kasanemi-cad: " << e.what() << Qt::endl;
        return 2;
    }

    // Folders that killed exports left behind go first; ours names this process.
    app::removeStaleWorkFolders(QStringLiteral("export"), QDir::tempPath());
    QTemporaryDir work(app::workFolderTemplate(QStringLiteral("export")));
    if (!work.isValid()) {
        errors << "kasanemi-cad: cannot make a work folder: " << work.errorString() << Qt::endl;
        return 1;
    }

    ConsoleUserInterface console(output, errors);
    try {
        // The layers to export: those named, or every layer with objects, in table order.
        const acad::ApplicationPtr host = std::make_shared<cad::LocalApplication>(drawing);
        const acad::DocumentPtr document = host->activeDocument();
        const acad::LayersPtr layers = document->layers();
        QStringList wanted = a->layers;
        QStringList chosen;
        for (qint32 i = 0; i < layers->count(); ++i) {
            const QString name = layers->item(i)->name();
            if (a->layers.isEmpty() ? acad::CountLayerObjects(document, name) > 0
                                    : a->layers.contains(name)) {
                chosen << name;
                wanted.removeAll(name);
            }
        }
        if (!wanted.isEmpty()) {
            errors << "kasanemi-cad: the drawing has no layer named " << wanted.first() << Qt::endl;
            return 2;
        }

        // As the refresh does before its pictures.
        acad::switchLayersOnAndThawed(*document);

        // A macro project of the one macro needed, so the pictures go to a
        // work folder of our own.
        cad::macros::registerPictureMacros(cad::MacroRegistry::global());
        const QString project = QDir(work.path()).filePath(QStringLiteral("QEMTIN.dvb"));
        QFile manifest(project);
        // Checked to the end: on a full temporary folder a buffered write
        // succeeds and only the flush fails, which would leave an empty
        // project and a misleading "macro not found".
        const QByteArray manifestText = acad::macro::kMakeAllLayer.toUtf8() + '\n';
        if (!manifest.open(QIODevice::WriteOnly) || manifest.write(manifestText) != manifestText.size()
            || !manifest.flush()) {
            errors << "kasanemi-cad: cannot write " << project << ": " << manifest.errorString() << Qt::endl;
            return 1;
        }
        manifest.close();
        host->loadDVB(project);
        host->runMacro(acad::macro::kMakeAllLayer);

        ExportRequest request;
        request.document = document;
        request.layerNames = chosen;
        request.pictureFolder = cad::macros::pictureFolder(work.path());

        const app::ScopedUi scopedUi(console);
        const auto connector = excel::XlsxConnector::toFile(a->out);
        const ExportResult result = exportLayers(*connector, request, *options);
        return result == ExportResult::Finished ? 0 : 1;
    } catch (const acad::AcadError& e) {
        errors << "kasanemi-cad: " << e.description() << Qt::endl;
        return 1;
    }
}

int runExportXlsx(const QStringList& args)
{
    QTextStream output(stdout), errors(stderr);
    return runExportXlsxCommand(args, output, errors);
}

} // namespace cad::cli
