#include "ExportFixture.h"

#include "app/RecordingUserInterface.h"
#include "excel/XlsxConnector.h"
#include "viewer/ExportExcelDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using testsupport::TestLayer;

namespace {

class ExportExcelDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        drawing = testsupport::makeDrawing(dir.path(), {{QStringLiteral("壁"), 2},
                                                        {QStringLiteral("窓"), 0},
                                                        {QStringLiteral("寸法"), 1}});
        connector = excel::XlsxConnector::toFile(dir.filePath(QStringLiteral("out.xlsx")));
    }

    std::unique_ptr<frmExportExcel> open(const acad::NameList& preselect)
    {
        auto dialog = std::make_unique<frmExportExcel>(drawing.document, preselect, connector, dir.path());
        dialog->show();
        return dialog;
    }

    static QStringList selected(const QListWidget* list)
    {
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected())
                names << list->item(i)->text();
        return names;
    }

    QTemporaryDir dir;
    app::RecordingUserInterface ui;
    app::ScopedUi scopedUi{ui};
    testsupport::TestDrawing drawing;
    std::shared_ptr<excel::XlsxConnector> connector;
};

TEST_F(ExportExcelDialogTest, ShowsItsControlsListsAndInitialTexts)
{
    auto d = open(acad::emptyNameList());
    EXPECT_EQ(d->windowTitle(), QStringLiteral("画層イメージのExcelシート出力"));
    EXPECT_EQ(d->LblHeader->text(), QStringLiteral("Excelへ出力する画層を下のリストより選択してください"));
    EXPECT_EQ(d->CmdSelectAll->text(), QStringLiteral("ALL"));
    EXPECT_EQ(d->FraLayout->title(), QStringLiteral("画層イメージレイアウト"));
    EXPECT_EQ(d->OptOneSheet->text(), QStringLiteral("指定イメージ数／1シート"));
    EXPECT_TRUE(d->OptOneSheet->isChecked());
    EXPECT_EQ(d->OptSeparateSheet->text(), QStringLiteral("1イメージ／1シート"));
    EXPECT_EQ(d->LblRow->text(), QStringLiteral("行 ×"));
    EXPECT_EQ(d->LblCol->text(), QStringLiteral("列"));
    EXPECT_EQ(d->LblWidth->text(), QStringLiteral("イメージの大きさ（幅）"));
    EXPECT_EQ(d->LblOffset->text(), QStringLiteral("イメージの間隔"));
    EXPECT_EQ(d->ChkFrame->text(), QStringLiteral("イメージを枠で囲む"));
    EXPECT_TRUE(d->ChkFrame->isChecked());
    EXPECT_EQ(d->LblFrame->text(), QStringLiteral("ポイント"));
    EXPECT_EQ(d->CmdCancel->text(), QStringLiteral("ｷｬﾝｾﾙ"));

    struct Expect { QComboBox* combo; int count; const char* first; const char* last; const char* initial; };
    for (const Expect& e : {Expect{d->CboRowNum, 100, "1", "100", "3"}, Expect{d->CboColNum, 50, "1", "50", "2"},
                            Expect{d->CboWidth, 197, "2.0", "100.0", "9.0"},
                            Expect{d->CboOffset, 101, "0.0", "10.0", "1.0"},
                            Expect{d->CboFrame, 19, "1.0", "10.0", "1.0"}}) {
        EXPECT_EQ(e.combo->count(), e.count) << e.combo->objectName().toStdString();
        EXPECT_EQ(e.combo->itemText(0), QLatin1String(e.first));
        EXPECT_EQ(e.combo->itemText(e.count - 1), QLatin1String(e.last));
        EXPECT_EQ(e.combo->currentText(), QLatin1String(e.initial));
    }
    EXPECT_EQ(d->CboOffset->itemText(3), QStringLiteral("0.3"));
}

TEST_F(ExportExcelDialogTest, ArrowKeysAndTheListStartFromTheShownValue)
{
    auto d = open(acad::emptyNameList());
    struct Expect { QComboBox* combo; const char* initial; const char* next; };
    for (const Expect& e : {Expect{d->CboRowNum, "3", "4"}, Expect{d->CboColNum, "2", "3"},
                            Expect{d->CboWidth, "9.0", "9.5"}, Expect{d->CboOffset, "1.0", "1.1"},
                            Expect{d->CboFrame, "1.0", "1.5"}}) {
        const std::string name = e.combo->objectName().toStdString();
        EXPECT_EQ(e.combo->itemText(e.combo->currentIndex()), QLatin1String(e.initial)) << name;
        QTest::keyClick(e.combo, Qt::Key_Down);
        EXPECT_EQ(e.combo->currentText(), QLatin1String(e.next)) << name;
    }
}

TEST_F(ExportExcelDialogTest, ListsEveryLayerAndPreselectsOnlyNamesTheDrawingHolds)
{
    acad::NameList preselect = acad::emptyNameList();
    preselect << QStringLiteral("寸法") << QStringLiteral("ない画層") << QStringLiteral("壁");
    auto d = open(preselect);
    ASSERT_EQ(d->LstLayer->count(), 4);
    EXPECT_EQ(d->LstLayer->item(0)->text(), QStringLiteral("0"));
    EXPECT_EQ(selected(d->LstLayer), (QStringList{QStringLiteral("壁"), QStringLiteral("寸法")}));
    d->CmdSelectAll->click();
    EXPECT_EQ(selected(d->LstLayer).size(), 4);
}

TEST_F(ExportExcelDialogTest, OneImagePerSheetDisablesTheGridFields)
{
    auto d = open(acad::emptyNameList());
    EXPECT_TRUE(d->CboRowNum->isEnabled());
    d->OptSeparateSheet->click();
    EXPECT_FALSE(d->CboRowNum->isEnabled());
    EXPECT_FALSE(d->CboColNum->isEnabled());
    EXPECT_FALSE(d->CboOffset->isEnabled());
    EXPECT_TRUE(d->CboWidth->isEnabled());
    d->OptOneSheet->click();
    EXPECT_TRUE(d->CboColNum->isEnabled());
    EXPECT_TRUE(d->CboOffset->isEnabled());
}

TEST_F(ExportExcelDialogTest, OkWithoutSelectionOrWithABrokenLayoutKeepsTheDialogOpen)
{
    auto d = open(acad::emptyNameList());
    d->CmdOK->click();
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].text, QStringLiteral("イメージ出力したい画層をリストより選択してください。"));
    EXPECT_EQ(ui.messages()[0].icon, app::MsgIcon::Exclamation);
    EXPECT_TRUE(d->isVisible());

    d->LstLayer->item(1)->setSelected(true);
    d->CboColNum->setEditText(QStringLiteral("0"));
    d->CmdOK->click();
    ASSERT_EQ(ui.messages().size(), 2);
    EXPECT_EQ(ui.messages()[1].icon, app::MsgIcon::Exclamation);
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->lastResult().has_value());
}

TEST_F(ExportExcelDialogTest, OkExportsTheSelectedLayersInListOrderAndCloses)
{
    testsupport::writeLayerPicture(dir.path(), QStringLiteral("壁"), QSize(1440, 1440));
    testsupport::writeLayerPicture(dir.path(), QStringLiteral("寸法"), QSize(1440, 1440));
    acad::NameList preselect = acad::emptyNameList();
    preselect << QStringLiteral("寸法") << QStringLiteral("壁") << QStringLiteral("窓");
    auto d = open(preselect);
    d->CboWidth->setEditText(QStringLiteral("4.5"));
    d->CmdOK->click();
    EXPECT_FALSE(d->isVisible());
    ASSERT_EQ(d->lastResult(), exportexcel::ExportResult::Finished);

    const QJsonObject read = testsupport::readWorkbook(dir.filePath(QStringLiteral("out.xlsx")));
    const QJsonArray cells = read["cells"].toObject()["plan.dxf"].toArray();
    ASSERT_EQ(cells.size(), 4);
    EXPECT_EQ(cells[1].toArray()[1].toString(), QStringLiteral("壁"));
    EXPECT_EQ(cells[1].toArray()[2].toInt(), 2);
    EXPECT_EQ(cells[2].toArray()[1].toString(), QStringLiteral("窓"));
    EXPECT_EQ(cells[3].toArray()[1].toString(), QStringLiteral("寸法"));
    const QJsonArray shapes = read["shapes"].toObject()["1"].toArray();
    ASSERT_EQ(shapes.size(), 4);
    EXPECT_NEAR(shapes[0].toObject()["width"].toDouble(), 4.5 * 72 / 2.54, 0.01);
}

TEST_F(ExportExcelDialogTest, CancelClosesWithoutExporting)
{
    auto d = open(acad::emptyNameList());
    d->CmdCancel->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_FALSE(d->lastResult().has_value());
    EXPECT_TRUE(ui.messages().isEmpty());
}

} // namespace
