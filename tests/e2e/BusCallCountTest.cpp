// What a refresh and each bulk command cost on the bus against the real
// drawing host: a refresh makes about the same number of calls whatever the
// number of layers, a bulk command a handful.

#include "HostProcess.h"

#include "acad/dbus/BusHostConnector.h"
#include "acad/dbus/BusNames.h"
#include "acad/dbus/BusSurface.h"
#include "app/RecordingUserInterface.h"
#include "viewer/FrmWMF.h"
#include "viewer/Toolbar1.h"

#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

// An R12 drawing with `layers` layers (every fourth one off, every seventh
// frozen), one line on each.
QByteArray drawingWithLayers(int layers)
{
    QByteArray dxf = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n9\n$CLAYER\n8\n0\n0\nENDSEC\n"
                     "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLTYPE\n70\n1\n0\nLTYPE\n2\nCONTINUOUS\n70\n0\n3\nSolid\n72\n65\n73\n0\n40\n0.0\n0\nENDTAB\n"
                     "0\nTABLE\n2\nLAYER\n70\n" + QByteArray::number(layers) + "\n";
    for (int i = 0; i < layers; ++i) {
        const QByteArray name = i == 0 ? QByteArray("0") : "L" + QByteArray::number(i);
        const int color = i % 4 == 1 ? -7 : 7;
        const int flags = i % 7 == 3 ? 1 : 0;
        dxf += "0\nLAYER\n2\n" + name + "\n70\n" + QByteArray::number(flags) + "\n62\n" + QByteArray::number(color)
             + "\n6\nCONTINUOUS\n";
    }
    dxf += "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < layers; ++i) {
        const QByteArray name = i == 0 ? QByteArray("0") : "L" + QByteArray::number(i);
        dxf += "0\nLINE\n8\n" + name + "\n10\n" + QByteArray::number(i) + "\n20\n0\n30\n0\n11\n"
             + QByteArray::number(i + 1) + "\n21\n1\n31\n0\n";
    }
    dxf += "0\nENDSEC\n0\nEOF\n";
    return dxf;
}

struct Costs {
    quint64 refresh = 0;
    quint64 hideAll = 0;
    quint64 showAll = 0;
    quint64 hideSelected = 0;
    quint64 showSelected = 0;
    int tiles = 0;
};

class BusCallCount : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(acad::dbus::sessionBus()) << "the end-to-end tests need a session bus";
        ASSERT_TRUE(e2e::waitHostGone(3'000)) << "another drawing host owns the name";
        qputenv("KASANEMI_HOME", home.path().toUtf8());
        ASSERT_TRUE(QFile::copy(e2e::binFolder() + QStringLiteral("/QEMTIN.dvb"), home.filePath("QEMTIN.dvb")));
    }
    void TearDown() override
    {
        e2e::killHostOnBus();
        qunsetenv("KASANEMI_HOME");
    }

    Costs measure(int layers)
    {
        Costs costs;
        const QString path = home.filePath(QStringLiteral("layers%1.dxf").arg(layers));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(drawingWithLayers(layers));
        file.close();
        e2e::HostProcess host(QStringList{path});
        EXPECT_TRUE(host.waitReady());

        frmWMF window;
        window.setHostConnector(std::make_shared<acad::dbus::BusHostConnector>(e2e::binFolder()));
        window.resize(1000, 700);
        window.show();
        viewer::Toolbar1* toolbar = window.findChild<viewer::Toolbar1*>();
        const auto callsOf = [&](int button) {
            const quint64 before = acad::dbus::busCallCount();
            toolbar->Toolbar1_ButtonClick(button);
            return acad::dbus::busCallCount() - before;
        };
        costs.refresh = callsOf(7);
        costs.tiles = window.tiles().tileCount();
        costs.hideAll = callsOf(15);
        costs.showAll = callsOf(14);
        window.LstLayers()->item(1)->setSelected(true);
        window.LstLayers()->item(2)->setSelected(true);
        costs.hideSelected = callsOf(12);
        costs.showSelected = callsOf(11);
        EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().first().text.toStdString();
        return costs;
    }

    QTemporaryDir home;
    app::RecordingUserInterface ui;
    app::ScopedUi scopedUi{ui};
};

} // namespace

TEST_F(BusCallCount, ARefreshCostsTheSameCallsForFewAndManyLayersAndABulkCommandAtMostFive)
{
    const Costs few = measure(200);
    const Costs many = measure(2000);
    EXPECT_EQ(few.tiles, 200);
    EXPECT_EQ(many.tiles, 2000);
    std::printf("bus calls per refresh: %llu (200 layers), %llu (2000 layers)\n",
                static_cast<unsigned long long>(few.refresh), static_cast<unsigned long long>(many.refresh));
    EXPECT_LE(many.refresh > few.refresh ? many.refresh - few.refresh : few.refresh - many.refresh, 60u);
    EXPECT_LE(many.refresh, 60u);
    for (const Costs& c : {few, many}) {
        std::printf("bus calls with %d layers: hide all %llu, show all %llu, hide selected %llu, show selected %llu\n",
                    c.tiles, static_cast<unsigned long long>(c.hideAll), static_cast<unsigned long long>(c.showAll),
                    static_cast<unsigned long long>(c.hideSelected), static_cast<unsigned long long>(c.showSelected));
        EXPECT_LE(c.hideAll, 5u);
        EXPECT_LE(c.showAll, 5u);
        EXPECT_LE(c.hideSelected, 5u);
        EXPECT_LE(c.showSelected, 5u);
    }
}
