#include "TestDrawing.h"

#include "cad/CadDocument.h"

#include <QFile>
#include <QTextStream>

namespace testing_support {

namespace {
void pair(QTextStream& out, int code, const QString& value)
{
    out << code << "\r\n" << value << "\r\n";
}
void pair(QTextStream& out, int code, int value)
{
    pair(out, code, QString::number(value));
}
} // namespace

void writeTestDrawing(const QString& path, const QList<TestLayer>& layers, const QString& current)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the test drawing %s", qPrintable(path));
    QTextStream out(&file);
    pair(out, 0, QStringLiteral("SECTION"));
    pair(out, 2, QStringLiteral("HEADER"));
    pair(out, 9, QStringLiteral("$ACADVER"));
    pair(out, 1, QStringLiteral("AC1009"));
    pair(out, 9, QStringLiteral("$CLAYER"));
    pair(out, 8, current);
    pair(out, 0, QStringLiteral("ENDSEC"));

    pair(out, 0, QStringLiteral("SECTION"));
    pair(out, 2, QStringLiteral("TABLES"));
    pair(out, 0, QStringLiteral("TABLE"));
    pair(out, 2, QStringLiteral("LTYPE"));
    pair(out, 70, 3);
    for (const char* name : {"CONTINUOUS", "DASHED", "CENTER"}) {
        pair(out, 0, QStringLiteral("LTYPE"));
        pair(out, 2, QString::fromLatin1(name));
        pair(out, 70, 0);
        pair(out, 3, QString::fromLatin1(name).toLower());
        pair(out, 72, 65);
        pair(out, 73, 0);
        pair(out, 40, 0);
    }
    pair(out, 0, QStringLiteral("ENDTAB"));
    pair(out, 0, QStringLiteral("TABLE"));
    pair(out, 2, QStringLiteral("LAYER"));
    pair(out, 70, int(layers.size()));
    for (const TestLayer& layer : layers) {
        pair(out, 0, QStringLiteral("LAYER"));
        pair(out, 2, layer.name);
        pair(out, 70, (layer.frozen ? 1 : 0) | (layer.locked ? 4 : 0));
        pair(out, 62, layer.on ? layer.color : -layer.color);
        pair(out, 6, layer.linetype);
    }
    pair(out, 0, QStringLiteral("ENDTAB"));
    pair(out, 0, QStringLiteral("ENDSEC"));

    pair(out, 0, QStringLiteral("SECTION"));
    pair(out, 2, QStringLiteral("ENTITIES"));
    int offset = 0;
    for (const TestLayer& layer : layers) {
        for (int i = 0; i < layer.lines; ++i, ++offset) {
            pair(out, 0, QStringLiteral("LINE"));
            pair(out, 8, layer.name);
            pair(out, 10, offset);
            pair(out, 20, 0);
            pair(out, 30, 0);
            pair(out, 11, offset + 5);
            pair(out, 21, 10);
            pair(out, 31, 0);
        }
    }
    pair(out, 0, QStringLiteral("ENDSEC"));
    pair(out, 0, QStringLiteral("EOF"));
}

bool TestHost::layerOn(const QString& name)
{
    return drawing().layer(drawing().layerIndex(name)).on;
}

TestHost openTestHost(const QString& path)
{
    TestHost host;
    host.application = std::make_shared<cad::LocalApplication>(
        std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(path)));
    host.document = host.application->activeDocument();
    return host;
}

QList<TestLayer> numberedLayers(int count)
{
    QList<TestLayer> layers;
    for (int i = 1; i <= count; ++i)
        layers.append(TestLayer{QStringLiteral("L%1").arg(i)});
    return layers;
}

} // namespace testing_support
