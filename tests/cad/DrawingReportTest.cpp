// The inspector's report: its per-layer counts come out in the object's own
// key order whatever order the entities name their layers in, with the same
// values as counting layer by layer.

#include "cad/CadDocument.h"
#include "cad/cli/DrawingReport.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

/// A drawing whose entities use `layerOfEach` in that order (one LINE each).
QByteArray drawingUsing(const QStringList& layerOfEach)
{
    QByteArray text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1021\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (const QString& layer : layerOfEach)
        text += "0\nLINE\n8\n" + layer.toUtf8() + "\n10\n0\n20\n0\n11\n1\n21\n1\n";
    return text + "0\nENDSEC\n0\nEOF\n";
}

TEST(DrawingReport, CountsKeepTheObjectsKeyOrderAndValues)
{
    // Out of order on purpose: Japanese before ASCII, case variants (counted
    // together, as a layer name is matched without case), a name outside
    // the basic plane, a digit-only name.
    const QStringList names = {QStringLiteral("壁"),     QStringLiteral("wall"), QStringLiteral("Z"),
                               QStringLiteral("WALL"),   QStringLiteral("10"),   QStringLiteral("𠮷野家"),
                               QStringLiteral("ｱｲｳ"),    QStringLiteral("0"),    QStringLiteral("A-DOOR 5"),
                               QStringLiteral("A-DOOR-5"), QStringLiteral("壁"), QStringLiteral("wall")};
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("order.dxf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(drawingUsing(names));
    file.close();

    const auto document = cad::CadDocument::open(path);
    const QJsonObject report = cad::cli::drawingReport(*document);

    // What inserting the counts in the entities' order gives.
    QJsonObject expected;
    for (const QString& name : names) {
        qint64 sameName = 0;
        for (const QString& other : names)
            sameName += other.compare(name, Qt::CaseInsensitive) == 0;
        expected.insert(name, sameName);
    }
    EXPECT_EQ(QJsonDocument(report.value(QStringLiteral("counts")).toObject()).toJson(QJsonDocument::Compact),
              QJsonDocument(expected).toJson(QJsonDocument::Compact));
    EXPECT_EQ(report.value(QStringLiteral("total")).toInteger(), names.size());
}

} // namespace
