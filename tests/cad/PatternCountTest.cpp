// The object counts the viewer and the export show, taken from the in-process
// host: a layer name holding wildcard characters counts what the host's
// wildcard rules match, exactly as the selection filter would.

#include "acad/LayerCounts.h"
#include "cad/CadDocument.h"
#include "cad/local/LocalApplication.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(PatternCountInTheHost, WildcardNamesCountWhatTheHostsRulesMatch)
{
    // layers_r2000.dxf: 壁 (3 objects), Door1 (1, in paper space), door2 (1,
    // the insert), Frozen and 0 (none counted).
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("test.dxf"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KASANEMI_CAD_TESTDATA "/layers_r2000.dxf"), path));
    auto application = std::make_shared<cad::LocalApplication>(std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(path)));
    const acad::DocumentPtr document = application->activeDocument();

    EXPECT_EQ(acad::CountLayerObjects(document, QStringLiteral("壁")), 3);
    EXPECT_EQ(acad::CountLayerObjects(document, QStringLiteral("door*")), 2);
    EXPECT_EQ(acad::CountLayerObjects(document, QStringLiteral("*")), 5);
    EXPECT_EQ(acad::CountLayerObjects(document, QStringLiteral("door`*")), 0);  // a literal star: no such layer
    EXPECT_EQ(acad::CountLayerObjects(document, acad::NameList{QString(), QStringLiteral("door#"), QStringLiteral("~壁")}),
              4);
    EXPECT_EQ(acad::CountLayerObjectsEach(document, acad::NameList{QString(), QStringLiteral("*"), QStringLiteral("D*")}),
              (std::vector<qint32>{5, 2}));
}

} // namespace
