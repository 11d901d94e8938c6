#include "ExportExcel.h"

#include "ExportExcelBas.h"
#include "ExportExcelLayout.h"

#include "acad/LayerCounts.h"
#include "acad/PictureProtocol.h"
#include "app/AppInfo.h"
#include "app/ErrorReport.h"
#include "app/UserInterface.h"
#include "app/WindowHelpers.h"
#include "excel/SheetName.h"

#include <QDir>

namespace exportexcel {
namespace {

const QString kProcedure = QStringLiteral("CmdOK_Click");
const QString kListSheetFallback = QStringLiteral("画層一覧");

void say(const QString& text, app::MsgIcon icon)
{
    app::ui().closePleaseWait();
    app::ui().message(text, app::MsgButtons::Ok, icon, QString::fromUtf16(app::kAppTitle));
}

/// Said with the completion: the layers whose caption stands over an empty
/// place, since the last refresh made no picture of them (a layer outside
/// its list, one that was off in a list refresh, a picture that is damaged).
QString withoutPictureNote(const QStringList& layers)
{
    constexpr int kNamed = 10;
    QString names = layers.mid(0, kNamed).join(QStringLiteral("、"));
    if (layers.size() > kNamed)
        names += QStringLiteral(" ほか %1 画層").arg(layers.size() - kNamed);
    return QStringLiteral("次の画層はオブジェクトがありますが、前回の更新でイメージが作られていないため、")
         + QChar(13) + QStringLiteral("画層名とオブジェクト数だけを出力しました。") + QChar(13) + names;
}

/// What one export keeps between pictures.
struct PasteState {
    /// Height over width of the last picture placed; 1 before the first.
    double aspect = 1.0;
    /// The layers whose picture was missing or unreadable, in export order.
    QStringList withoutPicture;
};

/// Places one picture and its caption. Lengths in points, except the width
/// and spacing (centimetres) as the dialog gives them.
void pr_subPasteImage(const excel::ApplicationPtr& oExcel, const excel::WorksheetPtr& oSheet,
                      const QString& sLayerName, const QString& sCount, const QString& sPath,
                      double sngWidthCm, double sngOffsetCm, bool bFrame, double sngFrameWeight,
                      qint32 lnRow, qint32 lnCol, PasteState& state)
{
    const double width = oExcel->centimetersToPoints(sngWidthCm);
    const double spacing = oExcel->centimetersToPoints(sngOffsetCm);

    excel::PicturePtr picture;
    try {
        picture = oSheet->pictures()->insert(sPath);
    } catch (const excel::ExcelError&) {
        // A missing or unreadable picture: its caption still takes its place.
        state.withoutPicture << sLayerName;
    }

    double height = width * state.aspect;
    if (picture) {
        const double w0 = picture->width();
        const double h0 = picture->height();
        state.aspect = h0 / w0;
        height = width * state.aspect;
        picture->setWidth(width);
        picture->setHeight(height);
        const excel::BorderPtr border = picture->border();
        if (bFrame) {
            border->setLineStyle(excel::xl::kLineAutomatic);
            border->setWeight(sngFrameWeight);
            border->setColor(0);
        } else {
            border->setLineStyle(excel::xl::kLineNone);
        }
    }

    const double top = pictureTop(spacing, height, sngFrameWeight, lnRow);
    const double left = pictureLeft(spacing, width, lnCol);
    if (picture) {
        picture->setTop(top);
        picture->setLeft(left);
    }

    const excel::TextBoxPtr caption = oSheet->shapes()->addTextbox(
        excel::xl::kOrientationHorizontal, left, captionTop(top, height, sngFrameWeight), width, kCaptionHeight);
    caption->setText(captionText(sLayerName, sCount));
    caption->setHorizontalAlignment(excel::xl::kAlignCenter);
    caption->setFontSize(9);
    caption->setPlacement(excel::xl::kMove);
}

/// The body of the export once a spreadsheet application is held.
ExportResult exportWith(const excel::ApplicationPtr& oExcel, const ExportRequest& request,
                        const ExportExcelOptions& options, QStringList& withoutPicture)
{
    if (oExcel->windowState() == excel::xl::kWindowMinimized)
        oExcel->setWindowState(excel::xl::kWindowNormal);
    app::SetForeground(app::GetWindowHandle(QString(), oExcel->caption()));
    if (request.raiseDialog)
        request.raiseDialog();

    const excel::WorkbookPtr book = oExcel->workbooks()->add();
    const excel::WorksheetsPtr sheets = book->worksheets();
    const excel::WorksheetPtr listSheet = sheets->item(1);
    // Naming and clearing the new workbook ignores every error.
    try {
        try {
            listSheet->setName(request.document->name());
        } catch (const std::exception&) {
            listSheet->setName(kListSheetFallback);
        }
    } catch (const std::exception&) {
    }
    try {
        for (qint32 i = sheets->count(); i >= 2; --i)
            sheets->item(i)->erase();
    } catch (const std::exception&) {
    }

    if (!writeLayerSheets(oExcel, sheets, listSheet, request, options, &withoutPicture)) {
        say(QStringLiteral("Excelシート出力に失敗しました。"), app::MsgIcon::Exclamation);
        return ExportResult::TableFailed;
    }

    sheets->item(1)->activate();
    oExcel->setScreenUpdating(true);
    return ExportResult::Finished;
}

} // namespace

QString nameSheetSafely(const excel::WorksheetPtr& sheet, const QString& wanted, excel::SheetNameClashes* clashes)
{
    try {
        sheet->setName(wanted);
        return wanted;
    } catch (const excel::ExcelError&) {
    }
    // The spreadsheet itself says which candidate is free, by taking it: a
    // few questions, not a reading of every sheet's name (a drawing set holds
    // thousands of sheets).
    const auto claim = [&sheet](const QString& candidate) {
        try {
            sheet->setName(candidate);
            return true;
        } catch (const excel::ExcelError&) {
            return false;
        }
    };
    return excel::firstFreeSheetName(wanted, claim, clashes);
}

excel::WorksheetPtr writeLayerSheets(const excel::ApplicationPtr& oExcel, const excel::WorksheetsPtr& sheets,
                                     const excel::WorksheetPtr& listSheet, const ExportRequest& request,
                                     const ExportExcelOptions& options, QStringList* withoutPicture)
{
    excel::Table table;
    table.push_back({QStringLiteral("No"), QStringLiteral("画層名"), QStringLiteral("オブジェクト数")});
    for (qint32 i = 1; i <= qint32(request.layerNames.size()); ++i) {
        const QString& name = request.layerNames.at(i - 1);
        table.push_back({i, name, acad::CountLayerObjects(request.document, name)});
    }

    if (!basExcel::pu_fun_bSetArrayToSheet(oExcel, listSheet, table, 1))
        return nullptr;

    oExcel->setScreenUpdating(false);
    const qint32 rows = options.rows;
    const qint32 columns = options.columns;
    qint32 j = 0;
    qint32 k = 0;
    // Sheets are only added from here on, so where each name's search
    // stopped stays true to the end.
    excel::SheetNameClashes ownClashes;
    excel::SheetNameClashes* clashes = request.sheetNameClashes ? request.sheetNameClashes : &ownClashes;
    excel::WorksheetPtr sheet = listSheet;
    if (options.imagesPerSheet) {
        sheet = sheets->addAfter(sheet);
        j = 1;
        // Safely: a drawing named "1" would already hold the name.
        nameSheetSafely(sheet, request.pictureSheetPrefix + QStringLiteral("1"), clashes);
    }

    PasteState state;
    for (std::size_t i = 1; i < table.size(); ++i) {
        const qint32 count = table[i][2].toInt();
        if (count <= 0)
            continue;
        ++k;
        const QString name = table[i][1].toString();
        const QString path = QDir(request.pictureFolder).filePath(acad::pictureFileName(name));
        qint32 row = 1;
        qint32 column = 1;
        if (!options.imagesPerSheet) {
            sheet = sheets->addAfter(sheet);
            nameSheetSafely(sheet, request.pictureSheetPrefix + name, clashes);
        } else {
            if (qint64(k) > qint64(rows) * columns * j) {
                sheet = sheets->addAfter(sheet);
                ++j;
                nameSheetSafely(sheet, request.pictureSheetPrefix + QString::number(j), clashes);
            }
            row = pr_fun_lnImageRow(k, rows, columns, j);
            column = pr_fun_lnImageCol(k, columns);
        }
        pr_subPasteImage(oExcel, sheet, name, QString::number(count), path, options.widthCm,
                         options.spacingCm, options.frame, options.frameWeight, row, column, state);
    }
    if (withoutPicture)
        *withoutPicture << state.withoutPicture;
    return sheet;
}

QString captionText(const QString& layerName, const QString& count)
{
    return layerName + QChar(10) + QStringLiteral("ｵﾌﾞｼﾞｪｸﾄ数：") + count;
}

ExportResult exportLayers(excel::ExcelConnector& connector, const ExportRequest& request,
                          const ExportExcelOptions& options)
{
    if (!connector.chooseDestination())
        return ExportResult::Cancelled;
    excel::ApplicationPtr oExcel;
    if (!basExcel::pu_fun_bGetExcel(connector, oExcel)) {
        if (request.raiseDialog)
            request.raiseDialog();
        say(QStringLiteral("Excelが見つかりません。"), app::MsgIcon::Critical);
        return ExportResult::ExcelMissing;
    }

    // Building and writing a large workbook takes seconds: the please-wait
    // window says so until the first message (say() closes it).
    app::ui().showPleaseWait(QStringLiteral("Excelシートを出力中．．．"));
    ExportResult result = ExportResult::Failed;
    QStringList withoutPicture;
    try {
        result = exportWith(oExcel, request, options, withoutPicture);
    } catch (const acad::AcadError& e) {
        app::ui().closePleaseWait();
        app::reportUnexpectedError(kProcedure, e);
    } catch (const excel::ExcelError& e) {
        app::ui().closePleaseWait();
        app::reportUnexpectedError(kProcedure, e.number(), e.description());
    } catch (const std::exception& e) {
        app::ui().closePleaseWait();
        app::reportUnexpectedError(kProcedure, 0, QString::fromLocal8Bit(e.what()));
    }

    try {
        oExcel->setScreenUpdating(true);
    } catch (const excel::ExcelError&) {
    }
    try {
        connector.release(oExcel);
    } catch (const excel::ExcelError& e) {
        say(QStringLiteral("Excelブックを保存できませんでした。") + QChar(13) + e.description(),
            app::MsgIcon::Critical);
        if (result == ExportResult::Finished)
            result = ExportResult::SaveFailed;
        return result;
    }
    app::ui().closePleaseWait();
    // Said once the workbook is written and in place, not before.
    if (result == ExportResult::Finished) {
        QString done = QStringLiteral("画層イメージのExcelシート出力が完了しました。");
        if (!withoutPicture.isEmpty())
            done += QChar(13) + withoutPictureNote(withoutPicture);
        say(done, app::MsgIcon::Information);
    }
    return result;
}

} // namespace exportexcel
