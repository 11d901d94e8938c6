#include "ExportFixture.h"

#include "acad/PictureProtocol.h"
#include "cad/CadDocument.h"
#include "cad/local/LocalSurface.h"
#include "metafile/WmfWriter.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>

#include <gtest/gtest.h>

namespace testsupport {

TestDrawing makeDrawing(const QString& folder, const std::vector<TestLayer>& layers, const QString& fileName)
{
    QByteArray dxf;
    auto pair = [&](int code, const QString& value) {
        dxf += QByteArray::number(code) + '\n' + value.toUtf8() + '\n';
    };
    pair(0, "SECTION"); pair(2, "HEADER");
    pair(9, "$ACADVER"); pair(1, "AC1021");
    pair(9, "$CLAYER"); pair(8, "0");
    pair(0, "ENDSEC");
    pair(0, "SECTION"); pair(2, "TABLES");
    pair(0, "TABLE"); pair(2, "LAYER"); pair(70, QString::number(layers.size() + 1));
    auto layerEntry = [&](const QString& name) {
        pair(0, "LAYER"); pair(2, name); pair(70, "0"); pair(62, "7"); pair(6, "CONTINUOUS");
    };
    layerEntry(QStringLiteral("0"));
    for (const TestLayer& layer : layers)
        layerEntry(layer.name);
    pair(0, "ENDTAB");
    pair(0, "ENDSEC");
    pair(0, "SECTION"); pair(2, "ENTITIES");
    int n = 0;
    for (const TestLayer& layer : layers)
        for (int i = 0; i < layer.lines; ++i, ++n) {
            pair(0, "LINE"); pair(8, layer.name);
            pair(10, QString::number(n)); pair(20, "0"); pair(30, "0");
            pair(11, QString::number(n + 1)); pair(21, "10"); pair(31, "0");
        }
    pair(0, "ENDSEC");
    pair(0, "EOF");

    TestDrawing drawing;
    drawing.path = QDir(folder).filePath(fileName);
    QFile file(drawing.path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(dxf);
    file.close();
    drawing.cad = cad::CadDocument::open(drawing.path);
    drawing.document = std::make_shared<cad::LocalDocument>(drawing.cad);
    return drawing;
}

void writeLayerPicture(const QString& folder, const QString& layerName, QSize logicalSize)
{
    metafile::WmfWriter writer(logicalSize, 1440);
    writer.setPen(Qt::black);
    const std::vector<QPoint> diagonal{{0, 0}, {logicalSize.width(), logicalSize.height()}};
    writer.polyline(diagonal);
    QString error;
    ASSERT_TRUE(metafile::writeFileAtomically(QDir(folder).filePath(acad::pictureFileName(layerName)),
                                              writer.finish(), &error))
        << error.toStdString();
}

QJsonObject readWorkbook(const QString& path)
{
    QProcess reader;
    const QString script = QStringLiteral(KASANEMI_TEST_SOURCE_DIR "/read_xlsx.py");
    reader.start(QStringLiteral("/usr/bin/python3"), {script, path});
    if (!reader.waitForFinished(60000) || reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0) {
        ADD_FAILURE() << "the independent reader refused " << path.toStdString() << ": "
                      << reader.readAllStandardError().toStdString();
        return {};
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(reader.readAllStandardOutput(), &parseError);
    EXPECT_EQ(parseError.error, QJsonParseError::NoError) << parseError.errorString().toStdString();
    return json.object();
}

} // namespace testsupport
