// Export benchmark: the layers of a large drawing (every layer with objects,
// its picture made by the host's picture macro) exported three rows by two
// columns to a workbook; prints the time and file size, and the time of the
// table sheet alone against openpyxl writing the same table in the same run.
//
//   kasanemi-bench-export-xlsx DRAWING.dxf [--out FILE.xlsx]

#include "acad/LayerCounts.h"
#include "app/RecordingUserInterface.h"
#include "cad/CadDocument.h"
#include "cad/local/LocalSurface.h"
#include "cad/macros/PictureMacros.h"
#include "excel/XlsxApplication.h"
#include "excel/XlsxConnector.h"
#include "excel/XlsxPackageWriter.h"
#include "export/ExportExcel.h"
#include "export/ExportExcelBas.h"
#include "cad/cli/ConsoleUserInterface.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRounds = 3;

double seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: kasanemi-bench-export-xlsx DRAWING.dxf [--out FILE.xlsx]\n");
        return 2;
    }
    QTemporaryDir work;
    const int outIndex = int(args.indexOf(QStringLiteral("--out")));
    const QString out = outIndex >= 0 && outIndex + 1 < args.size()
        ? args[outIndex + 1] : QDir(work.path()).filePath(QStringLiteral("bench.xlsx"));

    QTextStream console(stdout);
    QString discarded;
    QTextStream quiet(&discarded);
    cad::cli::ConsoleUserInterface ui(quiet, quiet);
    const app::ScopedUi scopedUi(ui);

    QElapsedTimer timer;
    timer.start();
    std::shared_ptr<cad::CadDocument> drawing = cad::CadDocument::open(args[0]);
    const double loadSeconds = seconds(timer);
    const int current = drawing->currentLayer();
    for (int i = 0; i < drawing->layerCount(); ++i)
        if (i != current) {
            drawing->setLayerFrozen(i, false);
            drawing->setLayerOn(i, true);
        }
    const QString pictures = QDir(work.path()).filePath(QStringLiteral("LAYER"));
    timer.restart();
    const cad::macros::PictureStats stats =
        cad::macros::writeLayerPictures(drawing->drawing(), pictures, cad::macros::LayerChoice::AllLayers);
    const double pictureSeconds = seconds(timer);

    const acad::DocumentPtr document = std::make_shared<cad::LocalDocument>(drawing);
    exportexcel::ExportRequest request;
    request.document = document;
    request.pictureFolder = pictures;
    excel::Table table{{QStringLiteral("No"), QStringLiteral("画層名"), QStringLiteral("オブジェクト数")}};
    QByteArray peerInput;
    const acad::LayersPtr layers = document->layers();
    for (qint32 i = 0; i < layers->count(); ++i) {
        const QString name = layers->item(i)->name();
        const qint32 count = acad::CountLayerObjects(document, name);
        if (count <= 0)
            continue;
        request.layerNames << name;
        const qint32 no = qint32(request.layerNames.size());
        table.push_back({no, name, count});
        peerInput += QStringLiteral("[%1, \"%2\", %3]\n").arg(no).arg(name).arg(count).toUtf8();
    }

    double exportSeconds = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const auto connector = excel::XlsxConnector::toFile(out);
        timer.restart();
        const exportexcel::ExportResult result = exportexcel::exportLayers(*connector, request, {});
        exportSeconds = std::min(exportSeconds, seconds(timer));
        if (result != exportexcel::ExportResult::Finished) {
            std::fprintf(stderr, "export failed: %s\n", qPrintable(discarded));
            return 1;
        }
    }

    double tableSeconds = 1e9;
    const QString tableOut = QDir(work.path()).filePath(QStringLiteral("table.xlsx"));
    for (int round = 0; round < kRounds; ++round) {
        timer.restart();
        auto excelApp = std::make_shared<excel::XlsxApplication>();
        const excel::WorksheetPtr sheet = excelApp->workbooks()->add()->worksheets()->item(1);
        basExcel::pu_fun_bSetArrayToSheet(excelApp, sheet, table, 1);
        excel::writeXlsxFile(*excelApp->workbookModels().front(), tableOut);
        tableSeconds = std::min(tableSeconds, seconds(timer));
    }

    double peerSeconds = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        QProcess peer;
        peer.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral(KASANEMI_BENCH_PEER), QDir(work.path()).filePath(QStringLiteral("peer.xlsx"))});
        peer.write(peerInput);
        peer.closeWriteChannel();
        if (!peer.waitForFinished(120000) || peer.exitCode() != 0) {
            std::fprintf(stderr, "peer failed: %s\n", peer.readAllStandardError().constData());
            return 1;
        }
        peerSeconds = std::min(peerSeconds, peer.readAllStandardOutput().trimmed().toDouble());
    }

    console << "drawing: " << QFileInfo(args[0]).fileName() << ", " << drawing->layerCount() << " layers, "
            << drawing->drawing().entities.size() << " entities (load " << QString::number(loadSeconds, 'f', 2)
            << " s)\n";
    console << "pictures (all-layer macro): " << stats.files << " files, " << stats.bytes / 1024 << " KiB, "
            << QString::number(pictureSeconds, 'f', 2) << " s\n";
    console << "export, " << request.layerNames.size() << " layers with pictures, 3 rows x 2 columns: "
            << QString::number(exportSeconds, 'f', 3) << " s (target < 5 s), file "
            << QFileInfo(out).size() / 1024 << " KiB\n";
    console << "table sheet only: ours " << QString::number(tableSeconds * 1000, 'f', 1) << " ms, openpyxl "
            << QString::number(peerSeconds * 1000, 'f', 1) << " ms, ratio openpyxl/ours "
            << QString::number(peerSeconds / tableSeconds, 'f', 1) << "\n";
    return 0;
}
