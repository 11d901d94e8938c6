// The in-process automation surface answers as AutoCAD does: layer reads and
// writes, its refusals with their error numbers, selection sets and counts,
// regeneration, the never-saved drawing, and the macro project.

#include "CadTestSupport.h"
#include "JapaneseText.h"

#include "acad/AcadError.h"
#include "cad/MacroRegistry.h"
#include "cad/local/LocalApplication.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

namespace error = acad::error;

/// tests/cad/data/layers_r2000.dxf: layers 0, 壁 (3 entities), Door1 (off,
/// locked, DASHED), door2 and Frozen (frozen, frozen in new viewports); one
/// entity in paper space, one inside a block definition.
QString fixture() { return QStringLiteral(KASANEMI_CAD_TESTDATA "/layers_r2000.dxf"); }

class LocalSurface : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("test.dxf"));
        ASSERT_TRUE(QFile::copy(fixture(), path));
        document = std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(path));
        app = std::make_shared<cad::LocalApplication>(document);
        doc = app->activeDocument();
    }

    qint32 count(const QString& pattern)
    {
        auto sets = doc->selectionSets();
        auto set = sets->add(QStringLiteral("t%1").arg(sets->count()));
        set->select(5, {8}, {pattern});
        const qint32 n = set->count();
        set->erase();
        return n;
    }

    QTemporaryDir dir;
    QString path;
    std::shared_ptr<cad::CadDocument> document;
    std::shared_ptr<cad::LocalApplication> app;
    acad::DocumentPtr doc;
};

/// The refusal `f` ends in, if any.
template <typename F>
std::optional<acad::AcadError> refusalOf(F&& f)
{
    try {
        f();
    } catch (const acad::AcadError& e) {
        return e;
    }
    return std::nullopt;
}

template <typename F>
QString descriptionOf(F&& f)
{
    const std::optional<acad::AcadError> refusal = refusalOf(f);
    return refusal ? refusal->description() : QString();
}

TEST_F(LocalSurface, EveryRefusalIsDescribedInJapaneseWithItsNumberKept)
{
    auto layers = doc->layers();
    auto wall = layers->item(QStringLiteral("壁"));
    doc->setActiveLayer(wall);
    auto sets = doc->selectionSets();
    auto set = sets->add(QStringLiteral("cSet"));
    const std::vector<std::pair<qint32, QString>> refusals = {
        {error::kCurrentLayerFrozen, descriptionOf([&] { wall->setFreeze(true); })},
        {error::kFrozenLayerCurrent, descriptionOf([&] { doc->setActiveLayer(layers->item(4)); })},
        {error::kKeyNotFound, descriptionOf([&] { layers->item(QStringLiteral("nope")); })},
        {error::kKeyNotFound, descriptionOf([&] { wall->setLinetype(QStringLiteral("NOSUCH")); })},
        {error::kIndexOutOfRange, descriptionOf([&] { layers->item(5); })},
        {error::kIndexOutOfRange, descriptionOf([&] { doc->linetypes()->item(9); })},
        {error::kInvalidArgument, descriptionOf([&] { doc->regen(7); })},
        {error::kInvalidArgument, descriptionOf([&] { sets->add(QStringLiteral("CSET")); })},
        {error::kInvalidArgument, descriptionOf([&] { set->select(1, {8}, {QStringLiteral("0")}); })},
        {error::kInvalidArgument, descriptionOf([&] { set->select(5, {62}, {1}); })},
        {error::kMacroProjectMissing, descriptionOf([&] { app->loadDVB(dir.filePath(QStringLiteral("QEMTIN.dvb"))); })},
        {error::kUnknownMacro, descriptionOf([&] { app->runMacro(QStringLiteral("QEMTIN.basWMF.nothing")); })},
        {error::kInvalidArgument, descriptionOf([&] { layers->item(QStringLiteral("door2"))->setName(QString()); })},
    };
    for (const auto& [number, description] : refusals)
        EXPECT_TRUE(testsupport::describedInJapanese(description)) << number << " " << description.toStdString();
    EXPECT_EQ(descriptionOf([&] { wall->setFreeze(true); }), QStringLiteral("現在画層はフリーズできません。"));
    EXPECT_EQ(descriptionOf([&] { layers->item(QStringLiteral("nope")); }),
              QStringLiteral("キーが見つかりません。画層「nope」"));
}

TEST_F(LocalSurface, LayersReadWithAutoCADsMeaning)
{
    auto layers = doc->layers();
    ASSERT_EQ(layers->count(), 5);
    EXPECT_EQ(layers->item(1)->name(), QStringLiteral("壁"));
    auto door = layers->item(QStringLiteral("DOOR1")); // by name, ignoring case
    EXPECT_EQ(door->name(), QStringLiteral("Door1"));
    EXPECT_FALSE(door->layerOn()); // negative colour
    EXPECT_EQ(door->color(), 3);   // always positive
    EXPECT_TRUE(door->lock());
    EXPECT_EQ(door->linetype(), QStringLiteral("DASHED"));
    auto frozen = layers->item(4);
    EXPECT_TRUE(frozen->freeze());
    EXPECT_TRUE(frozen->viewportDefault());
    EXPECT_EQ(frozen->lineweight(), -3);
    EXPECT_TRUE(frozen->plottable());
    EXPECT_EQ(frozen->plotStyleName(), QString());
    EXPECT_EQ(cadtest::errorOf([&] { layers->item(QStringLiteral("nope")); }), error::kKeyNotFound);
    EXPECT_EQ(cadtest::errorOf([&] { layers->item(5); }), error::kIndexOutOfRange);
    EXPECT_EQ(doc->activeLayer()->name(), QStringLiteral("0"));
    EXPECT_EQ(doc->linetypes()->count(), 4);
    EXPECT_EQ(doc->linetypes()->item(3)->name(), QStringLiteral("DASHED"));
}

TEST_F(LocalSurface, LayerChangesAndRefusals)
{
    auto layers = doc->layers();
    auto wall = layers->item(QStringLiteral("壁"));
    wall->setLayerOn(false);
    EXPECT_FALSE(layers->item(1)->layerOn());
    EXPECT_EQ(layers->item(1)->color(), 1);
    wall->setLinetype(QStringLiteral("dashed"));
    EXPECT_EQ(wall->linetype(), QStringLiteral("DASHED")); // the table's spelling
    EXPECT_EQ(cadtest::errorOf([&] { wall->setLinetype(QStringLiteral("NOSUCH")); }), error::kKeyNotFound);

    // A frozen layer cannot become current; the current one cannot be frozen.
    EXPECT_EQ(cadtest::errorOf([&] { doc->setActiveLayer(layers->item(4)); }), error::kFrozenLayerCurrent);
    doc->setActiveLayer(wall);
    EXPECT_EQ(doc->activeLayer()->name(), QStringLiteral("壁"));
    EXPECT_EQ(cadtest::errorOf([&] { wall->setFreeze(true); }), error::kCurrentLayerFrozen);
    EXPECT_FALSE(wall->freeze());
    layers->item(0)->setFreeze(true); // any other layer may be frozen
    EXPECT_TRUE(layers->item(0)->freeze());
}

TEST_F(LocalSurface, RenamedLayerKeepsItsEntitiesAndStaleProxiesFail)
{
    auto layers = doc->layers();
    auto stale = layers->item(QStringLiteral("door2"));
    auto renamer = layers->item(QStringLiteral("door2"));
    renamer->setName(QStringLiteral("Gate"));
    EXPECT_EQ(renamer->name(), QStringLiteral("Gate"));
    EXPECT_EQ(count(QStringLiteral("Gate")), 1);
    EXPECT_EQ(count(QStringLiteral("door2")), 0);
    EXPECT_EQ(cadtest::errorOf([&] { stale->layerOn(); }), error::kKeyNotFound);
    EXPECT_EQ(cadtest::errorOf([&] { renamer->setName(QStringLiteral("door1")); }), error::kInvalidArgument);
    EXPECT_EQ(cadtest::errorOf([&] { renamer->setName(QString()); }), error::kInvalidArgument);
    // The file names layers in every entity; saving would orphan them.
    EXPECT_EQ(cadtest::errorOf([&] { document->save(); }), error::kHostFailure);
}

TEST_F(LocalSurface, SelectAllCountsModelAndPaperSpaceButNotBlockContents)
{
    EXPECT_EQ(count(QStringLiteral("壁")), 3);    // a POLYLINE with its vertices is one
    EXPECT_EQ(count(QStringLiteral("door1")), 1); // in paper space, layer spelled DOOR1
    EXPECT_EQ(count(QStringLiteral("door2")), 1); // the INSERT, not the line inside B1
    EXPECT_EQ(count(QStringLiteral("door#")), 2);
    EXPECT_EQ(count(QStringLiteral("*")), 5);
    EXPECT_EQ(count(QStringLiteral("~壁")), 2);
    EXPECT_EQ(count(QStringLiteral("Frozen")), 0);
    EXPECT_EQ(count(QStringLiteral("unknown")), 0);
}

TEST_F(LocalSurface, SelectionSetsBehaveLikeTheHosts)
{
    auto sets = doc->selectionSets();
    auto other = sets->add(QStringLiteral("other"));
    EXPECT_EQ(cadtest::errorOf([&] { sets->add(QStringLiteral("OTHER")); }), error::kInvalidArgument);
    auto set = sets->add(QStringLiteral("cSet"));
    EXPECT_EQ(sets->count(), 2);
    EXPECT_EQ(sets->item(1)->name(), QStringLiteral("cSet"));

    // Select adds to the set without repeating entities; Clear empties it.
    set->select(5, {8}, {QStringLiteral("壁")});
    set->select(5, {8}, {QStringLiteral("壁,door2")});
    EXPECT_EQ(set->count(), 4);
    set->clear();
    EXPECT_EQ(set->count(), 0);

    EXPECT_EQ(cadtest::errorOf([&] { set->select(1, {8}, {QStringLiteral("0")}); }), error::kInvalidArgument);
    EXPECT_EQ(cadtest::errorOf([&] { set->select(5, {8, 8}, {QStringLiteral("0")}); }), error::kInvalidArgument);
    EXPECT_EQ(cadtest::errorOf([&] { set->select(5, {62}, {1}); }), error::kInvalidArgument);

    // Deleting position 0 repeatedly empties the document of sets.
    while (sets->count() > 0)
        sets->item(0)->erase();
    EXPECT_EQ(cadtest::errorOf([&] { other->count(); }), error::kKeyNotFound);
    EXPECT_EQ(cadtest::errorOf([&] { sets->item(0); }), error::kIndexOutOfRange);
}

TEST_F(LocalSurface, RegenNotifiesListeners)
{
    QSignalSpy spy(document.get(), &cad::CadDocument::regenerated);
    doc->regen(1);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(cadtest::errorOf([&] { doc->regen(7); }), error::kInvalidArgument);
}

TEST(LocalApplicationTest, NewDrawingHasNeverBeenSaved)
{
    cad::LocalApplication app;
    auto doc = app.activeDocument();
    EXPECT_EQ(doc->name(), QStringLiteral("Drawing1.dwg"));
    EXPECT_FALSE(doc->fullName().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(doc->fullName()));
    EXPECT_EQ(doc->layers()->count(), 1);
    EXPECT_EQ(doc->linetypes()->count(), 3);
    EXPECT_EQ(doc->activeLayer()->name(), QStringLiteral("0"));
    EXPECT_TRUE(app.caption().contains(QStringLiteral("Drawing1.dwg")));
    EXPECT_EQ(cadtest::errorOf([&] { app.document().save(); }), error::kHostFailure);
}

TEST(LocalApplicationTest, MacroProjectLoadingAndRunning)
{
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("QEMTIN.dvb"));
    cad::LocalApplication app;
    EXPECT_EQ(cadtest::errorOf([&] { app.loadDVB(project); }), error::kMacroProjectMissing);
    EXPECT_EQ(cadtest::errorOf([&] { app.loadDVB(dir.path()); }), error::kMacroProjectMissing);

    QFile f(project);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# test project\nTEST.mod.Registered\nTEST.mod.Unimplemented\n");
    f.close();
    QString seenFolder;
    cad::MacroRegistry::global().registerMacro(
        QStringLiteral("TEST.mod.Registered"),
        [&](cad::LocalApplication&, const QString& folder) { seenFolder = folder; });
    cad::MacroRegistry::global().registerMacro(QStringLiteral("TEST.mod.NotInProject"),
                                               [](cad::LocalApplication&, const QString&) {});
    // Not loaded yet.
    EXPECT_EQ(cadtest::errorOf([&] { app.runMacro(QStringLiteral("TEST.mod.Registered")); }), error::kUnknownMacro);
    app.loadDVB(project);
    app.runMacro(QStringLiteral("test.MOD.registered"));
    EXPECT_EQ(seenFolder, QFileInfo(dir.path()).absoluteFilePath());
    EXPECT_EQ(cadtest::errorOf([&] { app.runMacro(QStringLiteral("TEST.mod.Unimplemented")); }), error::kUnknownMacro);
    EXPECT_EQ(cadtest::errorOf([&] { app.runMacro(QStringLiteral("TEST.mod.NotInProject")); }), error::kUnknownMacro);
}

} // namespace
