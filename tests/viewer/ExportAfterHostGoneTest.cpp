// The export button with the host gone: the error report, and nothing after it.

#include "RecordingSurface.h"

#include "acad/AcadError.h"
#include "app/RecordingUserInterface.h"
#include "viewer/ExportExcelDialog.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

TEST(ExportAfterHostGone, TheReportIsTheEndAndNoEmptyDialogFollows)
{
    app::RecordingUserInterface ui;
    app::ScopedUi scoped{ui};
    auto host = std::make_shared<testing_surface::Host>();
    host->layers = {testing_surface::layerRecord(QStringLiteral("壁"))};
    host->failing = {QStringLiteral("Document.Layers")};
    host->failingNumber = acad::error::kHostUnreachable;

    // Any dialog that opens is noted and closed, so a failure cannot hang the test.
    bool dialogShown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialogShown = true;
            modal->close();
        }
    });
    closer.start(50);
    acad::NameList names = acad::emptyNameList();
    names << QStringLiteral("壁");
    frmExportExcel::pu_subShow(testing_surface::makeDocument(host), names);

    EXPECT_FALSE(dialogShown);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages()[0].text.startsWith(
        QStringLiteral("予期せぬエラーが Form_Activate で発生しました。\r番号：%1\r").arg(acad::error::kHostUnreachable)));
}
