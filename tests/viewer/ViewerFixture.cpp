#include "ViewerFixture.h"

#include "acad/AcadError.h"
#include "acad/PictureProtocol.h"
#include "cad/MacroRegistry.h"
#include "cad/macros/PictureMacros.h"

#include <QFile>
#include <QTextStream>

namespace viewertest {

acad::ApplicationPtr LocalConnector::attachRunning()
{
    if (!application)
        throw acad::AcadError(acad::error::kHostUnreachable, QStringLiteral("no host in this test"));
    return application;
}

acad::ApplicationPtr LocalConnector::startNew()
{
    throw acad::AcadError(acad::error::kHostUnreachable, QStringLiteral("this test starts no host"));
}

std::vector<LayerState> layerStates(cad::CadDocument& document)
{
    std::vector<LayerState> states;
    for (int i = 0; i < document.layerCount(); ++i) {
        const cad::LayerRecord& layer = document.layer(i);
        states.push_back({layer.name, layer.on, layer.frozen});
    }
    return states;
}

QString samplePath(const QString& relative)
{
    return qEnvironmentVariable("KASANEMI_SAMPLES") + QLatin1Char('/') + relative;
}

void ViewerTest::SetUp()
{
    ASSERT_TRUE(home.isValid());
    qputenv("KASANEMI_HOME", home.path().toUtf8());
    static const bool registered = [] {
        cad::macros::registerPictureMacros(cad::MacroRegistry::global());
        return true;
    }();
    Q_UNUSED(registered);

    QFile manifest(home.filePath(QStringLiteral("QEMTIN.dvb")));
    ASSERT_TRUE(manifest.open(QIODevice::WriteOnly));
    QTextStream(&manifest) << acad::macro::kMakeAll << '\n' << acad::macro::kMakePart << '\n'
                           << acad::macro::kMakeAllLayer << '\n' << acad::macro::kMakeViewLayer << '\n';
    manifest.close();

    scopedUi = std::make_unique<app::ScopedUi>(ui);
    window = std::make_unique<frmWMF>();
    window->setHostConnector(connector);
    window->Form_Load(QString());  // shows the window and fills the zoom steps
}

void ViewerTest::TearDown()
{
    window.reset();
    scopedUi.reset();
    qunsetenv("KASANEMI_HOME");
}

void ViewerTest::openDrawing(const QString& sampleRelativePath)
{
    const QString copy = home.filePath(QFileInfo(sampleRelativePath).fileName());
    ASSERT_TRUE(QFile::copy(samplePath(sampleRelativePath), copy)) << samplePath(sampleRelativePath).toStdString();
    std::shared_ptr<cad::CadDocument> document = cad::CadDocument::open(copy);
    connector->application = std::make_shared<cad::LocalApplication>(document);
}

void ViewerTest::openUnsavedDrawing()
{
    connector->application = std::make_shared<cad::LocalApplication>();
}

QStringList ViewerTest::reports() const
{
    QStringList texts;
    for (const auto& message : ui.messages()) {
        if (message.text.startsWith(QStringLiteral("予期せぬエラーが ")))
            texts << message.text;
    }
    return texts;
}

} // namespace viewertest
