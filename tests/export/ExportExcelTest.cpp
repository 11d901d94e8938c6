// The export end to end: a real drawing in the in-process host, real WMF
// pictures, the workbook backend, and the written file read back by an
// independent reader.

#include "ExportFixture.h"

#include "app/RecordingUserInterface.h"
#include "excel/XlsxApplication.h"
#include "excel/XlsxConnector.h"
#include "excel/XlsxPackageWriter.h"
#include "export/ExportExcel.h"
#include "export/ExportExcelLayout.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

#include <gtest/gtest.h>

#include <cmath>

using namespace exportexcel;
using testsupport::TestLayer;

namespace {

constexpr double kPointsPerCm = 72.0 / 2.54;

class ExportExcelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pictures = dir.filePath(QStringLiteral("LAYER"));
        ASSERT_TRUE(QDir().mkpath(pictures));
        output = dir.filePath(QStringLiteral("out.xlsx"));
    }

    /// A drawing with `layers`, a picture of `pictureSize` twips for every layer
    /// with lines, and the request to export all of them.
    ExportRequest request(const std::vector<TestLayer>& layers, QSize pictureSize = QSize(2880, 1440))
    {
        drawing = testsupport::makeDrawing(dir.path(), layers);
        ExportRequest r;
        r.document = drawing.document;
        r.pictureFolder = pictures;
        for (const TestLayer& layer : layers) {
            r.layerNames << layer.name;
            if (layer.lines > 0)
                testsupport::writeLayerPicture(pictures, layer.name, pictureSize);
        }
        return r;
    }

    ExportResult run(const ExportRequest& r, const ExportExcelOptions& options = {})
    {
        connector = excel::XlsxConnector::toFile(output);
        return exportLayers(*connector, r, options);
    }

    /// The one workbook the last export handed over.
    const excel::WorkbookModel& book()
    {
        EXPECT_EQ(connector->releasedWorkbooks().size(), 1u);
        return *connector->releasedWorkbooks().front();
    }

    QStringList messageTexts() const
    {
        QStringList texts;
        for (const auto& m : ui.messages())
            texts << m.text;
        return texts;
    }

    QTemporaryDir dir;
    QString pictures;
    QString output;
    app::RecordingUserInterface ui;
    app::ScopedUi scopedUi{ui};
    testsupport::TestDrawing drawing;
    std::shared_ptr<excel::XlsxConnector> connector;
};

QStringList jsonStrings(const QJsonValue& value)
{
    QStringList out;
    for (const QJsonValue& v : value.toArray())
        out << v.toString();
    return out;
}

TEST_F(ExportExcelTest, OnlyEmptyLayersGiveTheListAndOneEmptyImageSheet)
{
    const ExportResult result = run(request({{QStringLiteral("空き1"), 0}, {QStringLiteral("空き2"), 0}}));
    ASSERT_EQ(result, ExportResult::Finished);
    ASSERT_EQ(messageTexts(), QStringList{QStringLiteral("画層イメージのExcelシート出力が完了しました。")});
    EXPECT_EQ(ui.messages().front().icon, app::MsgIcon::Information);
    EXPECT_EQ(ui.messages().front().caption, QStringLiteral("Kasanemi Ver4.00"));

    const QJsonObject read = testsupport::readWorkbook(output);
    EXPECT_EQ(jsonStrings(read["sheets"]), (QStringList{QStringLiteral("plan.dxf"), QStringLiteral("1")}));
    EXPECT_EQ(read["active"].toString(), QStringLiteral("plan.dxf"));
    const QJsonArray cells = read["cells"].toObject()["plan.dxf"].toArray();
    ASSERT_EQ(cells.size(), 3);
    EXPECT_EQ(jsonStrings(cells[0]), (QStringList{"No", "画層名", "オブジェクト数"}));
    EXPECT_EQ(cells[1].toArray()[0].toInt(), 1);
    EXPECT_EQ(cells[1].toArray()[1].toString(), QStringLiteral("空き1"));
    EXPECT_EQ(cells[1].toArray()[2].toInt(-1), 0);
    EXPECT_EQ(cells[2].toArray()[2].toInt(-1), 0);
    // Every cell of the table is bordered.
    for (const QJsonValue& row : read["borders"].toObject()["plan.dxf"].toArray())
        for (const QJsonValue& bordered : row.toArray())
            EXPECT_TRUE(bordered.toBool());
    EXPECT_TRUE(read["shapes"].toObject()["1"].toArray().isEmpty());
}

TEST_F(ExportExcelTest, SevenLayersFillSheetOneRowByRowAndSpillToSheetTwo)
{
    std::vector<TestLayer> layers;
    for (int i = 1; i <= 7; ++i)
        layers.push_back({QStringLiteral("L%1").arg(i), i});
    ExportRequest r = request(layers, QSize(2880, 1440)); // 2 in × 1 in: height is half the width
    ASSERT_EQ(run(r), ExportResult::Finished);

    const excel::WorkbookModel& model = book();
    ASSERT_EQ(model.sheets.size(), 3u);
    EXPECT_EQ(model.sheets[1]->name, QStringLiteral("1"));
    EXPECT_EQ(model.sheets[2]->name, QStringLiteral("2"));
    ASSERT_EQ(model.sheets[1]->shapes.size(), 12u); // six pictures, six captions
    ASSERT_EQ(model.sheets[2]->shapes.size(), 2u);

    const double w = 9.0 * kPointsPerCm;
    const double h = w / 2;
    const double spacing = 1.0 * kPointsPerCm;
    for (int k = 1; k <= 6; ++k) {
        const excel::ShapeModel& picture = *model.sheets[1]->shapes[std::size_t(2 * (k - 1))];
        const excel::ShapeModel& caption = *model.sheets[1]->shapes[std::size_t(2 * (k - 1) + 1)];
        const int row = (k + 1) / 2;
        const int column = k % 2 == 1 ? 1 : 2;
        ASSERT_EQ(picture.kind, excel::ShapeModel::Kind::Picture);
        EXPECT_NEAR(picture.width, w, 1e-9);
        EXPECT_NEAR(picture.height, h, 1e-9);
        EXPECT_NEAR(picture.top, (spacing + h + 1.0 + 2 + 30) * (row - 1) + 10, 1e-9) << k;
        EXPECT_NEAR(picture.left, (spacing + w) * (column - 1) + 10, 1e-9) << k;
        EXPECT_TRUE(picture.outlined);
        EXPECT_DOUBLE_EQ(picture.outlineWeight, 1.0);
        EXPECT_NEAR(caption.top, picture.top + h + 1.0 + 2, 1e-9);
        EXPECT_EQ(caption.text, QStringLiteral("L%1\nｵﾌﾞｼﾞｪｸﾄ数：%1").arg(k));
    }
    const excel::ShapeModel& seventh = *model.sheets[2]->shapes[0];
    EXPECT_DOUBLE_EQ(seventh.top, 10);
    EXPECT_DOUBLE_EQ(seventh.left, 10);

    // The independent reader sees the same: sheets, pictures stored as WMF, captions.
    const QJsonObject read = testsupport::readWorkbook(output);
    EXPECT_EQ(jsonStrings(read["sheets"]), (QStringList{"plan.dxf", "1", "2"}));
    const QJsonArray onOne = read["shapes"].toObject()["1"].toArray();
    ASSERT_EQ(onOne.size(), 12);
    const QJsonObject firstPicture = onOne[0].toObject();
    EXPECT_EQ(firstPicture["kind"].toString(), QStringLiteral("picture"));
    EXPECT_EQ(firstPicture["contentType"].toString(), QStringLiteral("image/x-wmf"));
    EXPECT_EQ(firstPicture["mediaBytes"].toInt(),
              QFile(QDir(pictures).filePath(QStringLiteral("L1.wmf"))).size());
    EXPECT_NEAR(firstPicture["width"].toDouble(), w, 0.01);
    EXPECT_NEAR(firstPicture["outline"].toDouble(), 1.0, 1e-6);
    EXPECT_EQ(firstPicture["outlineColor"].toString(), QStringLiteral("000000"));
    const QJsonObject firstCaption = onOne[1].toObject();
    EXPECT_EQ(firstCaption["kind"].toString(), QStringLiteral("textbox"));
    EXPECT_EQ(firstCaption["editAs"].toString(), QStringLiteral("oneCell"));
    EXPECT_EQ(firstCaption["text"].toString(), QStringLiteral("L1\nｵﾌﾞｼﾞｪｸﾄ数：1"));
    EXPECT_EQ(firstCaption["fontSizes"].toArray(), QJsonArray{9});
    EXPECT_EQ(jsonStrings(firstCaption["align"]), (QStringList{"ctr", "ctr"}));
    EXPECT_NEAR(firstCaption["height"].toDouble(), 30, 0.01);
}

TEST_F(ExportExcelTest, FrameWeightSetsTheRowPitchDrawnOrNotAndCaptionsSpanThePicture)
{
    ExportExcelOptions options;
    options.frameWeight = 4.0;
    options.rows = 2;
    options.columns = 1;
    options.spacingCm = 0.5;
    const double w = 9.0 * kPointsPerCm;
    const double h = w / 2;
    for (const bool frame : {true, false}) {
        options.frame = frame;
        ASSERT_EQ(run(request({{QStringLiteral("A"), 1}, {QStringLiteral("B"), 1}}, QSize(2880, 1440)), options),
                  ExportResult::Finished);
        const auto& shapes = connector->releasedWorkbooks().back()->sheets[1]->shapes;
        ASSERT_EQ(shapes.size(), 4u);
        EXPECT_EQ(shapes[0]->outlined, frame);
        if (frame)
            EXPECT_DOUBLE_EQ(shapes[0]->outlineWeight, 4.0);
        EXPECT_NEAR(shapes[2]->top, 0.5 * kPointsPerCm + h + 4.0 + 2 + 30 + 10, 1e-9) << frame;
        for (const std::size_t caption : {1u, 3u}) {
            const excel::ShapeModel& picture = *shapes[caption - 1];
            EXPECT_NEAR(shapes[caption]->top, picture.top + h + 4.0 + 2, 1e-9) << frame;
            EXPECT_DOUBLE_EQ(shapes[caption]->left, picture.left);
            EXPECT_DOUBLE_EQ(shapes[caption]->width, w);
            EXPECT_DOUBLE_EQ(shapes[caption]->height, 30);
        }
    }
}

TEST_F(ExportExcelTest, OneImagePerSheetNamesSheetsAfterLayersAndPlacesPicturesAtTheMargin)
{
    ExportExcelOptions options;
    options.imagesPerSheet = false;
    options.frame = false;
    options.rows = 1;
    options.columns = 1;
    const QString longName = QStringLiteral("とても長い画層名はシート名にすると三十一文字を超えてしまう");
    ExportRequest r = request({{QStringLiteral("壁"), 2},
                               {QStringLiteral("空"), 0},
                               {QStringLiteral("a/b"), 1},
                               {longName, 3},
                               {QStringLiteral("plan.dxf"), 1}});
    ASSERT_EQ(run(r, options), ExportResult::Finished);

    const QJsonObject read = testsupport::readWorkbook(output);
    const QStringList sheets = jsonStrings(read["sheets"]);
    ASSERT_EQ(sheets.size(), 5);
    EXPECT_EQ(sheets[0], QStringLiteral("plan.dxf"));
    EXPECT_EQ(sheets[1], QStringLiteral("壁"));
    // Names the spreadsheet refuses become safe, unique ones; the export goes on.
    EXPECT_EQ(sheets[2], QStringLiteral("a_b"));
    EXPECT_EQ(sheets[3], longName.left(31));
    EXPECT_EQ(sheets[4], QStringLiteral("plan.dxf (2)"));

    const QJsonObject picture = read["shapes"].toObject()[QStringLiteral("壁")].toArray()[0].toObject();
    EXPECT_NEAR(picture["left"].toDouble(), 10, 1e-6);
    EXPECT_NEAR(picture["top"].toDouble(), 10, 1e-6);
    EXPECT_TRUE(picture["outline"].isNull());
    const QJsonObject caption = read["shapes"].toObject()[longName.left(31)].toArray()[1].toObject();
    EXPECT_EQ(caption["text"].toString(), longName + QStringLiteral("\nｵﾌﾞｼﾞｪｸﾄ数：3"));
    // The table keeps the layer names exactly.
    const QJsonArray cells = read["cells"].toObject()["plan.dxf"].toArray();
    EXPECT_EQ(cells[4].toArray()[1].toString(), longName);
}

TEST_F(ExportExcelTest, PicturesAreAsWideAsAskedInTheirOwnProportions)
{
    ExportExcelOptions options;
    options.widthCm = 9.0;
    ExportRequest r = request({{QStringLiteral("縦長"), 1}}, QSize(1000, 3000));
    ASSERT_EQ(run(r, options), ExportResult::Finished);
    const excel::ShapeModel& picture = *book().sheets[1]->shapes[0];
    EXPECT_NEAR(picture.width, 9.0 * kPointsPerCm, 1e-9);
    EXPECT_NEAR(picture.height / picture.width, 3.0, 1e-9);

    const QJsonObject read = testsupport::readWorkbook(output);
    const QJsonObject inFile = read["shapes"].toObject()["1"].toArray()[0].toObject();
    EXPECT_NEAR(inFile["width"].toDouble() / kPointsPerCm, 9.0, 1e-3);
    EXPECT_NEAR(inFile["height"].toDouble() / inFile["width"].toDouble(), 3.0, 1e-3);
}

TEST_F(ExportExcelTest, AMissingPictureKeepsItsCaptionAndPlace)
{
    ExportRequest r = request({{QStringLiteral("A"), 1}, {QStringLiteral("B"), 1}, {QStringLiteral("C"), 1}});
    QFile::remove(QDir(pictures).filePath(QStringLiteral("B.wmf")));
    QFile broken(QDir(pictures).filePath(QStringLiteral("C.wmf")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a metafile");
    broken.close();
    ASSERT_EQ(run(r), ExportResult::Finished);

    const auto& shapes = book().sheets[1]->shapes;
    ASSERT_EQ(shapes.size(), 4u); // picture A, caption A, caption B, caption C
    EXPECT_EQ(shapes[0]->kind, excel::ShapeModel::Kind::Picture);
    const excel::ShapeModel& captionB = *shapes[2];
    EXPECT_EQ(captionB.kind, excel::ShapeModel::Kind::TextBox);
    // B sits in row 1, column 2, sized like A before it.
    EXPECT_NEAR(captionB.left, pictureLeft(kPointsPerCm, 9 * kPointsPerCm, 2), 1e-9);
    EXPECT_NEAR(captionB.top, shapes[1]->top, 1e-9);
    EXPECT_EQ(shapes[3]->text, QStringLiteral("C\nｵﾌﾞｼﾞｪｸﾄ数：1"));
    EXPECT_NEAR(shapes[3]->top, captionTop(pictureTop(kPointsPerCm, 4.5 * kPointsPerCm, 1, 2),
                                           4.5 * kPointsPerCm, 1), 1e-9);
    testsupport::readWorkbook(output);
}

TEST_F(ExportExcelTest, JapaneseNamesSurviveTheRoundTripAndWidenTheColumns)
{
    const QStringList names{QStringLiteral("平面図_壁"), QStringLiteral("ﾊﾝｶｸ"), QStringLiteral("記号①"),
                            QStringLiteral("_x0041_"), QStringLiteral("𠮷野家")};
    std::vector<TestLayer> layers;
    for (const QString& n : names)
        layers.push_back({n, 1});
    ASSERT_EQ(run(request(layers)), ExportResult::Finished);
    const QJsonObject read = testsupport::readWorkbook(output);
    const QJsonArray cells = read["cells"].toObject()["plan.dxf"].toArray();
    ASSERT_EQ(cells.size(), names.size() + 1);
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(cells[i + 1].toArray()[1].toString(), names[i]) << i;
    // The list sheet is as wide as its widest text, wide characters counting double.
    const QJsonObject widths = read["widths"].toObject()["plan.dxf"].toObject();
    EXPECT_GT(widths["B"].toDouble(), 9.0);
    EXPECT_GT(widths["C"].toDouble(), 14.0); // "オブジェクト数": 7 wide characters
}

TEST_F(ExportExcelTest, SameExportGivesTheSameBytes)
{
    ExportRequest r = request({{QStringLiteral("A"), 2}, {QStringLiteral("B"), 0}});
    ASSERT_EQ(run(r), ExportResult::Finished);
    QFile first(output);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const QByteArray bytes = first.readAll();
    first.close();
    ASSERT_EQ(run(r), ExportResult::Finished);
    QFile second(output);
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_EQ(bytes, second.readAll());
}

TEST_F(ExportExcelTest, AWorkbookThatCannotBeWrittenIsReportedAndLeavesTheOldFile)
{
    ExportRequest r = request({{QStringLiteral("A"), 1}});
    output = dir.filePath(QStringLiteral("no-such-folder/out.xlsx"));
    EXPECT_EQ(run(r), ExportResult::SaveFailed);
    // The failure alone: no completion announced before it.
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].icon, app::MsgIcon::Critical);
    EXPECT_TRUE(ui.messages()[0].text.startsWith(QStringLiteral("Excelブックを保存できませんでした。\r")));
    EXPECT_FALSE(QFile::exists(output));
}

/// The workbook backend asking the user, with every step of the export
/// written into one log: the save dialog, reaching the spreadsheet, the
/// write, and each message together with whether the file was there then.
class LoggedExport {
public:
    class Ui : public app::RecordingUserInterface {
    public:
        explicit Ui(LoggedExport& log) : m_log(log) {}
        app::MsgAnswer message(const QString& text, app::MsgButtons buttons, app::MsgIcon icon,
                               const QString& caption) override
        {
            m_log.events << text + (QFile::exists(m_log.path) ? QStringLiteral(" [file there]") : QString());
            return RecordingUserInterface::message(text, buttons, icon, caption);
        }
        QString saveFileName(const QString& caption, const QString& proposed, const QString& filter) override
        {
            m_log.events << QStringLiteral("save dialog");
            return RecordingUserInterface::saveFileName(caption, proposed, filter);
        }
        void showPleaseWait(const QString& text) override
        {
            m_log.events << QStringLiteral("please wait: ") + text;
            RecordingUserInterface::showPleaseWait(text);
        }
        void closePleaseWait() override
        {
            if (pleaseWaitShown())
                m_log.events << QStringLiteral("please wait closed");
            RecordingUserInterface::closePleaseWait();
        }

    private:
        LoggedExport& m_log;
    };
    class Connector : public excel::ExcelConnector {
    public:
        Connector(LoggedExport& log, const QString& proposed)
            : m_log(log), m_inner(excel::XlsxConnector::askingUser(proposed)) {}
        bool chooseDestination() override { return m_inner->chooseDestination(); }
        excel::ApplicationPtr attachRunning() override
        {
            m_log.events << QStringLiteral("spreadsheet reached");
            return m_inner->attachRunning();
        }
        excel::ApplicationPtr startNew() override { return m_inner->startNew(); }
        void release(const excel::ApplicationPtr& application) override
        {
            m_inner->release(application);
            m_log.events << QStringLiteral("released");
        }

    private:
        LoggedExport& m_log;
        std::shared_ptr<excel::XlsxConnector> m_inner;
    };

    explicit LoggedExport(const QString& target) : path(target) {}
    QString path;
    QStringList events;
    Ui ui{*this};
    app::ScopedUi scoped{ui};
    Connector connector{*this, path};
};

TEST_F(ExportExcelTest, TheFileIsNamedFirstAndCompletionIsSaidOnceItIsWritten)
{
    ExportRequest r = request({{QStringLiteral("A"), 1}});
    LoggedExport logged(dir.filePath(QStringLiteral("plan.xlsx")));
    logged.ui.scriptSaveFileNames({logged.path});
    EXPECT_EQ(exportLayers(logged.connector, r, {}), ExportResult::Finished);
    // The write is the slow part: the please-wait window stands over it.
    EXPECT_EQ(logged.events, (QStringList{QStringLiteral("save dialog"), QStringLiteral("spreadsheet reached"),
                                          QStringLiteral("please wait: Excelシートを出力中．．．"),
                                          QStringLiteral("released"), QStringLiteral("please wait closed"),
                                          QStringLiteral("画層イメージのExcelシート出力が完了しました。 [file there]")}));
}

TEST_F(ExportExcelTest, LayersWithObjectsButNoPictureAreNamedOnceInTheCompletion)
{
    ExportRequest r = request({{QStringLiteral("A"), 1}, {QStringLiteral("外壁"), 2}, {QStringLiteral("C"), 1}});
    QFile::remove(QDir(pictures).filePath(QStringLiteral("外壁.wmf")));
    QFile::remove(QDir(pictures).filePath(QStringLiteral("C.wmf")));
    ASSERT_EQ(run(r), ExportResult::Finished);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].text,
              QStringLiteral("画層イメージのExcelシート出力が完了しました。\r次の画層はオブジェクトがありますが、"
                             "前回の更新でイメージが作られていないため、\r画層名とオブジェクト数だけを出力しました。\r"
                             "外壁、C"));
    EXPECT_EQ(ui.messages()[0].icon, app::MsgIcon::Information);
    EXPECT_FALSE(ui.pleaseWaitShown());
}

TEST_F(ExportExcelTest, AWorkbookNoApplicationCanOpenIsSaidWithItsPath)
{
    ExportRequest r = request({{QStringLiteral("A"), 1}});
    const QString target = dir.filePath(QStringLiteral("plan.xlsx"));
    auto asking = excel::XlsxConnector::askingUser(target);
    ui.scriptSaveFileNames({target});
    ui.setOpenExternallyResult(false);
    EXPECT_EQ(exportLayers(*asking, r, {}), ExportResult::Finished);
    ASSERT_EQ(messageTexts().size(), 2) << messageTexts().join('\n').toStdString();
    EXPECT_EQ(messageTexts()[0],
              QStringLiteral("Excelブックを保存しましたが、開くアプリケーションが見つからないため開けませんでした。\r")
                  + target);
    EXPECT_EQ(messageTexts()[1], QStringLiteral("画層イメージのExcelシート出力が完了しました。"));
    EXPECT_TRUE(QFile::exists(target));
}

TEST_F(ExportExcelTest, CancellingTheSaveDialogEndsTheExportWithNothingMade)
{
    ExportRequest r = request({{QStringLiteral("A"), 1}});
    LoggedExport logged(dir.filePath(QStringLiteral("plan.xlsx")));
    EXPECT_EQ(exportLayers(logged.connector, r, {}), ExportResult::Cancelled);
    EXPECT_EQ(logged.events, QStringList{QStringLiteral("save dialog")});
    EXPECT_TRUE(logged.ui.messages().isEmpty());
    EXPECT_FALSE(QFile::exists(logged.path));
}

TEST_F(ExportExcelTest, TheSaveDialogNamesTheFileAndCancellingDiscardsTheWorkbook)
{
    ExportRequest r = request({{QStringLiteral("A"), 1}});
    const QString proposed = dir.filePath(QStringLiteral("plan.xlsx"));

    auto asking = excel::XlsxConnector::askingUser(proposed);
    EXPECT_EQ(exportLayers(*asking, r, {}), ExportResult::Cancelled);
    ASSERT_EQ(ui.fileDialogs().size(), 1);
    EXPECT_TRUE(ui.fileDialogs()[0].save);
    EXPECT_EQ(ui.fileDialogs()[0].path, proposed);
    EXPECT_TRUE(asking->writtenFiles().isEmpty());
    EXPECT_TRUE(asking->releasedWorkbooks().empty());
    EXPECT_TRUE(ui.openedUrls().isEmpty());
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_FALSE(QFile::exists(proposed));

    ui.scriptSaveFileNames({proposed});
    EXPECT_EQ(exportLayers(*asking, r, {}), ExportResult::Finished);
    EXPECT_EQ(asking->writtenFiles(), QStringList{proposed});
    ASSERT_EQ(ui.openedUrls().size(), 1);
    EXPECT_EQ(ui.openedUrls()[0].toLocalFile(), proposed);
    testsupport::readWorkbook(proposed);
}

/// A spreadsheet that is neither running nor can be started.
class NoSpreadsheet : public excel::ExcelConnector {
public:
    excel::ApplicationPtr attachRunning() override { throw excel::ExcelError(excel::error::kUnavailable, "none"); }
    excel::ApplicationPtr startNew() override { throw excel::ExcelError(excel::error::kUnavailable, "none"); }
    void release(const excel::ApplicationPtr&) override { ++releases; }
    int releases = 0;
};

TEST_F(ExportExcelTest, NoSpreadsheetIsReportedAndTheDialogRaised)
{
    ExportRequest r = request({{QStringLiteral("A"), 1}});
    int raised = 0;
    r.raiseDialog = [&] { ++raised; };
    NoSpreadsheet none;
    EXPECT_EQ(exportLayers(none, r, {}), ExportResult::ExcelMissing);
    EXPECT_EQ(raised, 1);
    ASSERT_EQ(messageTexts(), QStringList{QStringLiteral("Excelが見つかりません。")});
    EXPECT_EQ(ui.messages()[0].icon, app::MsgIcon::Critical);
}

TEST_F(ExportExcelTest, ARunningSpreadsheetGetsASecondWorkbookAndIsRestoredFromMinimised)
{
    ExportRequest r = request({{QStringLiteral("A"), 1}});
    connector = excel::XlsxConnector::toFile(output);
    const excel::ApplicationPtr running = connector->startNew();
    running->workbooks()->add();
    running->setWindowState(excel::xl::kWindowMinimized);
    ASSERT_EQ(exportLayers(*connector, r, {}), ExportResult::Finished);
    EXPECT_EQ(running->windowState(), excel::xl::kWindowNormal);
    EXPECT_TRUE(running->screenUpdating());
    // A running application is used as it is: not made visible.
    EXPECT_FALSE(running->visible());
    ASSERT_EQ(connector->releasedWorkbooks().size(), 2u);
    EXPECT_EQ(connector->releasedWorkbooks()[1]->sheets[0]->name, QStringLiteral("plan.dxf"));
}

} // namespace

namespace {

TEST_F(ExportExcelTest, ADrawingNamedLikeAnImageSheetDoesNotStopTheExport)
{
    drawing = testsupport::makeDrawing(dir.path(), {{QStringLiteral("A"), 1}}, QStringLiteral("1"));
    testsupport::writeLayerPicture(pictures, QStringLiteral("A"), QSize(1440, 1440));
    ExportRequest r;
    r.document = drawing.document;
    r.pictureFolder = pictures;
    r.layerNames << QStringLiteral("A");
    ASSERT_EQ(run(r), ExportResult::Finished);
    EXPECT_EQ(book().sheets[0]->name, QStringLiteral("1"));
    EXPECT_EQ(book().sheets[1]->name, QStringLiteral("1 (2)"));
}

TEST(XlsxPackageRoundTrip, CellTextsWithControlCharactersSurvive)
{
    QTemporaryDir dir;
    excel::XlsxApplication application;
    const excel::WorksheetPtr sheet = application.workbooks()->add()->worksheets()->item(1);
    const QString tricky = QStringLiteral("b\tc_x0041_d");
    const QString control = QStringLiteral("a") + QChar(1) + QStringLiteral("b");
    sheet->range(1, 1, 1, 3)->setValue({{tricky, QStringLiteral("<&>\"'"), control}});
    const QString path = QDir(dir.path()).filePath(QStringLiteral("t.xlsx"));
    excel::writeXlsxFile(*application.workbookModels().front(), path);
    const QJsonArray row = testsupport::readWorkbook(path)["cells"].toObject()["Sheet1"].toArray()[0].toArray();
    EXPECT_EQ(row[0].toString(), tricky);
    EXPECT_EQ(row[1].toString(), QStringLiteral("<&>\"'"));
    // XML cannot carry the control character; the file holds the format's
    // escape, which the reader (whose cells cannot hold it either) shows as is.
    EXPECT_EQ(row[2].toString(), QStringLiteral("a_x0001_b"));
}

} // namespace

namespace {

TEST_F(ExportExcelTest, AFailureMidwayIsReportedAndScreenUpdatingComesBack)
{
    ExportRequest r = request({{QStringLiteral("A"), 1}, {QStringLiteral("B"), 1}});
    connector = excel::XlsxConnector::toFile(output);
    const excel::ApplicationPtr running = connector->startNew();
    ExportExcelOptions options;
    options.widthCm = 1e6; // wider than any sheet: the spreadsheet refuses the picture's width
    EXPECT_EQ(exportLayers(*connector, r, options), ExportResult::Failed);
    EXPECT_TRUE(running->screenUpdating());
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].icon, app::MsgIcon::Critical);
    EXPECT_TRUE(ui.messages()[0].text.startsWith(QStringLiteral("予期せぬエラーが CmdOK_Click で発生しました。\r")))
        << ui.messages()[0].text.toStdString();
    // The workbook stays as far as it got: the list sheet and the first image sheet.
    const QJsonObject read = testsupport::readWorkbook(output);
    EXPECT_EQ(jsonStrings(read["sheets"]), (QStringList{"plan.dxf", "1"}));
}

} // namespace
