#include "ExportFixture.h"

#include "acad/LayerWildcard.h"
#include "app/TextEncoding.h"
#include "cad/cli/ExportSetCommand.h"
#include "cad/cli/ExportXlsxArguments.h"
#include "cad/cli/ExportXlsxCommand.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSet>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

QString samples()
{
    return qEnvironmentVariable("KASANEMI_SAMPLES");
}

/// What `kasanemi-cad --inspect` prints for the drawing.
QJsonObject inspect(const QString& path)
{
    QProcess host;
    host.start(qEnvironmentVariable("KASANEMI_BIN") + QStringLiteral("/kasanemi-cad"), {QStringLiteral("--inspect"), path});
    if (!host.waitForFinished(120000) || host.exitCode() != 0) {
        ADD_FAILURE() << "--inspect failed on " << path.toStdString();
        return {};
    }
    return QJsonDocument::fromJson(host.readAllStandardOutput()).object();
}

/// The count --inspect gives a layer: its objects, whatever case they spell it in.
qint64 inspectedCount(const QJsonObject& report, const QString& layer)
{
    qint64 count = 0;
    const QJsonObject counts = report["counts"].toObject();
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.key().compare(layer, Qt::CaseInsensitive) == 0)
            count += it.value().toInteger();
    return count;
}

struct SetRun {
    int exitCode = -1;
    QString errors;
};

SetRun exportSet(const QStringList& args)
{
    SetRun run;
    QString output;
    QTextStream o(&output), e(&run.errors);
    run.exitCode = cad::cli::runExportXlsxCommand(args, o, e);
    return run;
}

/// Row index (in the first sheet's cells) of each layer name, compared without case.
QHash<QString, int> rowsByName(const QJsonArray& cells)
{
    QHash<QString, int> rows;
    for (int r = 1; r < cells.size(); ++r) {
        const QJsonValue name = cells[r].toArray()[0];
        if (name.isNull())
            break; // the blank row before the drawing table
        rows.insert(name.toString().toCaseFolded(), r);
    }
    return rows;
}

QString cellName(int row, int column)
{
    return QString(QChar(u'A' + column)) + QString::number(row + 1);
}

TEST(ExportSet, FirstSheetHoldsWhatInspectGivesForEveryDrawingAndTheSkippedOne)
{
    QTemporaryDir dir;
    QFile broken(dir.filePath(QStringLiteral("broken.dxf")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("PK\x03\x04 this is a zip file, not a drawing\n");
    broken.close();
    const QString out = dir.filePath(QStringLiteral("set.xlsx"));

    const SetRun run = exportSet({samples(), broken.fileName(), out});
    ASSERT_EQ(run.exitCode, cad::cli::kExitSomeSkipped) << run.errors.toStdString();
    QStringList labels;
    const QStringList paths = cad::cli::setDrawings({samples()}, false, labels);
    ASSERT_GE(paths.size(), 20);
    for (qsizetype k = 0; k < paths.size(); ++k)
        EXPECT_TRUE(run.errors.contains(QStringLiteral("[%1/%2] %3").arg(k + 1).arg(paths.size() + 1).arg(labels[k])));
    EXPECT_TRUE(run.errors.contains(QStringLiteral("skipped broken.dxf")));
    EXPECT_TRUE(run.errors.trimmed().endsWith(QStringLiteral("（読めなかった 1 図面は飛ばしました）")))
        << run.errors.toStdString();

    const QJsonObject book = testsupport::readWorkbook(out);
    const QJsonArray sheets = book["sheets"].toArray();
    ASSERT_EQ(sheets[0].toString(), QStringLiteral("図面一覧"));
    EXPECT_EQ(book["active"].toString(), QStringLiteral("図面一覧"));
    EXPECT_EQ(book["frozen"].toObject()[QStringLiteral("図面一覧")].toString(), QStringLiteral("B2"));
    EXPECT_EQ(book["printTitles"].toObject()[QStringLiteral("図面一覧")].toArray(),
              (QJsonArray{QStringLiteral("$1:$1"), QStringLiteral("$A:$A")}));
    const QJsonArray cells = book["cells"].toObject()[QStringLiteral("図面一覧")].toArray();
    const QJsonObject notes = book["notes"].toObject()[QStringLiteral("図面一覧")].toObject();
    const QJsonObject looks = book["looks"].toObject()[QStringLiteral("図面一覧")].toObject();
    const QJsonArray header = cells[0].toArray();
    ASSERT_EQ(header.size(), paths.size() + 2) << "name, a column a drawing read, total";
    EXPECT_EQ(header.last().toString(), QStringLiteral("合計"));
    const QHash<QString, int> rows = rowsByName(cells);

    QSet<QString> allNames;
    for (qsizetype k = 0; k < paths.size(); ++k) {
        const int column = int(k) + 1;
        ASSERT_EQ(header[column].toString(), labels[k]);
        const QJsonObject report = inspect(paths[k]);
        QSet<QString> names;
        for (const QJsonValue& v : report["layers"].toArray()) {
            const QJsonObject layer = v.toObject();
            const QString name = layer["name"].toString();
            names.insert(name.toCaseFolded());
            ASSERT_TRUE(rows.contains(name.toCaseFolded())) << name.toStdString();
            const int row = rows[name.toCaseFolded()];
            EXPECT_EQ(cells[row].toArray()[column].toInteger(-1), inspectedCount(report, name))
                << labels[k].toStdString() << " " << name.toStdString();
            const QString at = cellName(row, column);
            const QString note = notes[at].toString();
            const QJsonObject look = looks[at].toObject();
            EXPECT_EQ(note.contains(QStringLiteral("非表示")), !layer["on"].toBool()) << at.toStdString();
            EXPECT_EQ(look["font"].toString() == QStringLiteral("FF808080"), !layer["on"].toBool()) << at.toStdString();
            EXPECT_EQ(note.contains(QStringLiteral("フリーズ")), layer["frozen"].toBool()) << at.toStdString();
            EXPECT_EQ(look.contains("fill"), layer["frozen"].toBool()) << at.toStdString();
            EXPECT_EQ(note.contains(QStringLiteral("ロック")), layer["locked"].toBool()) << at.toStdString();
            EXPECT_EQ(look["italic"].toBool(), layer["locked"].toBool()) << at.toStdString();
        }
        const QJsonObject counts = report["counts"].toObject();
        for (auto it = counts.begin(); it != counts.end(); ++it)
            names.insert(it.key().toCaseFolded());
        // Every other row is empty in this drawing's column.
        for (auto it = rows.begin(); it != rows.end(); ++it) {
            if (!names.contains(it.key())) {
                EXPECT_TRUE(cells[it.value()].toArray()[column].isNull()) << it.key().toStdString();
            }
        }
        allNames.unite(names);

        // The drawing's own sheets follow, the list sheet named after it.
        // (cut to the 31 characters a sheet name may have)
        EXPECT_TRUE(sheets.contains(QFileInfo(paths[k]).fileName().left(31))) << labels[k].toStdString();
    }
    EXPECT_EQ(qsizetype(rows.size()), allNames.size()) << "one row a layer name of the set, no more";

    // The drawing table: one row a drawing, the skipped one with its reason.
    const int tableRow = int(rows.size()) + 2;
    ASSERT_EQ(cells[tableRow].toArray()[0].toString(), QStringLiteral("図面"));
    const QJsonArray skipped = cells[tableRow + int(paths.size()) + 1].toArray();
    EXPECT_EQ(skipped[0].toString(), QStringLiteral("broken.dxf"));
    EXPECT_TRUE(skipped[1].isNull());
    const QString status = skipped[5].toString(); // 図面, バージョン, コードページ, 画層数, オブジェクト数, 状態
    EXPECT_TRUE(status.startsWith(QStringLiteral("読み込めませんでした：broken.dxf: "))) << status.toStdString();
    EXPECT_GT(status.size(), 30) << "the reason follows";
    const QJsonObject first = inspect(paths[0]);
    const QJsonArray firstRow = cells[tableRow + 1].toArray();
    EXPECT_EQ(firstRow[1].toString(), first["version"].toString());
    EXPECT_EQ(firstRow[3].toInteger(), first["layers"].toArray().size());
    EXPECT_EQ(firstRow[4].toInteger(), first["total"].toInteger());
}

TEST(ExportSet, TheStandardMarksExactlyTheNamesNoPatternMatches)
{
    QTemporaryDir dir;
    // Shift_JIS, as lists written on the original platform are.
    const QStringList patterns{QStringLiteral("0"), QStringLiteral("壁*"), QStringLiteral("A-*"),
                               QStringLiteral("[D-F]*"), QStringLiteral("~*#")};
    QFile standard(dir.filePath(QStringLiteral("standard.csv")));
    ASSERT_TRUE(standard.open(QIODevice::WriteOnly));
    standard.write(*app::encodeText(patterns.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"),
                                    app::TextFileEncoding::Cp932));
    standard.close();
    const QString drawings[] = {QDir(samples()).filePath(QStringLiteral("generated/gen_50L_5k_R2018.dxf")),
                                QDir(samples()).filePath(QStringLiteral("qcad_flange.dxf"))};
    const QString out = dir.filePath(QStringLiteral("std.xlsx"));
    const SetRun run = exportSet({drawings[0], drawings[1], out, QStringLiteral("--standard"), standard.fileName()});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    std::vector<acad::LayerWildcard> wildcards(patterns.begin(), patterns.end());
    auto allowed = [&wildcards](const QString& name) {
        return std::any_of(wildcards.begin(), wildcards.end(), [&](const acad::LayerWildcard& w) { return w.matches(name); });
    };

    const QJsonObject book = testsupport::readWorkbook(out);
    const QJsonArray cells = book["cells"].toObject()[QStringLiteral("図面一覧")].toArray();
    EXPECT_EQ(cells[0].toArray()[1].toString(), QStringLiteral("標準"));
    int outside = 0;
    bool standardSeen = false;
    std::map<int, int> outsideByDrawing;
    int r = 1;
    for (; r < cells.size() && !cells[r].toArray()[0].isNull(); ++r) {
        const QJsonArray row = cells[r].toArray();
        const QString name = row[0].toString();
        const bool marked = row[1].toString() == QStringLiteral("標準外");
        EXPECT_EQ(marked, !allowed(name)) << name.toStdString();
        EXPECT_FALSE(marked && standardSeen) << "names outside the standard come first: " << name.toStdString();
        standardSeen = standardSeen || !marked;
        outside += marked ? 1 : 0;
        for (int d = 0; d < 2; ++d)
            outsideByDrawing[d] += (marked && !row[2 + d].isNull()) ? 1 : 0;
    }
    EXPECT_GT(outside, 5);
    EXPECT_LT(outside, r - 1);
    // The drawing table counts each drawing's layers outside the standard.
    const QJsonArray tableHeader = cells[r + 1].toArray();
    ASSERT_EQ(tableHeader[5].toString(), QStringLiteral("標準外の画層"));
    for (int d = 0; d < 2; ++d)
        EXPECT_EQ(cells[r + 2 + d].toArray()[5].toInt(), outsideByDrawing[d]) << d;
}

TEST(ExportSet, FoldersRecursionAndRefusals)
{
    QTemporaryDir dir;
    QDir root(dir.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("sub/deeper")));
    for (const QString& name : {QStringLiteral("b.DXF"), QStringLiteral("a.dwg"), QStringLiteral("notes.txt"),
                                QStringLiteral("sub/c.dxf"), QStringLiteral("sub/deeper/d.Dxf")}) {
        QFile f(root.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("no drawing here\n");
    }
    QStringList labels;
    EXPECT_EQ(cad::cli::setDrawings({dir.path()}, false, labels).size(), 2);
    EXPECT_EQ(labels, (QStringList{QStringLiteral("a.dwg"), QStringLiteral("b.DXF")}));
    labels.clear();
    cad::cli::setDrawings({dir.path()}, true, labels);
    EXPECT_EQ(labels, (QStringList{QStringLiteral("a.dwg"), QStringLiteral("b.DXF"), QStringLiteral("sub/c.dxf"),
                                   QStringLiteral("sub/deeper/d.Dxf")}));

    const QString out = dir.filePath(QStringLiteral("out.xlsx"));
    QTemporaryDir empty;
    EXPECT_EQ(exportSet({empty.path(), out}).exitCode, 2) << "no drawings";
    EXPECT_EQ(exportSet({dir.path(), out, QStringLiteral("--standard"), dir.filePath(QStringLiteral("none.csv"))}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(out));

    // Every drawing unreadable: the workbook still says which and why.
    const SetRun run = exportSet({dir.path(), out});
    EXPECT_EQ(run.exitCode, cad::cli::kExitSomeSkipped);
    const QJsonObject book = testsupport::readWorkbook(out);
    EXPECT_EQ(book["sheets"].toArray(), QJsonArray{QStringLiteral("図面一覧")});
}

} // namespace

namespace {

TEST(ExportSet, ArgumentsTellTheSingleExportFromASet)
{
    QTemporaryDir dir;
    QString problem;
    const auto single = cad::cli::parseExportXlsxArguments({QStringLiteral("a.dxf"), QStringLiteral("a.xlsx"),
                                                            QStringLiteral("--rows"), QStringLiteral("4")}, problem);
    ASSERT_TRUE(single);
    EXPECT_TRUE(single->isSingleDrawing());
    EXPECT_EQ(single->texts.rows, QStringLiteral("4"));

    const auto set = cad::cli::parseExportXlsxArguments({QStringLiteral("a.dxf"), dir.path(), QStringLiteral("set.xlsx"),
                                                         QStringLiteral("--recursive"), QStringLiteral("--standard"),
                                                         QStringLiteral("std.csv"), QStringLiteral("--layer"),
                                                         QStringLiteral("壁"), QStringLiteral("--layer"),
                                                         QStringLiteral("窓")}, problem);
    ASSERT_TRUE(set);
    EXPECT_FALSE(set->isSingleDrawing());
    EXPECT_EQ(set->inputs, (QStringList{QStringLiteral("a.dxf"), dir.path()}));
    EXPECT_EQ(set->out, QStringLiteral("set.xlsx"));
    EXPECT_TRUE(set->recursive);
    EXPECT_EQ(set->standard, QStringLiteral("std.csv"));
    EXPECT_EQ(set->layers, (QStringList{QStringLiteral("壁"), QStringLiteral("窓")}));
    // A folder alone is a set too.
    EXPECT_FALSE(cad::cli::parseExportXlsxArguments({dir.path(), QStringLiteral("o.xlsx")}, problem)->isSingleDrawing());

    EXPECT_FALSE(cad::cli::parseExportXlsxArguments({QStringLiteral("a.dxf"), QStringLiteral("o.xlsx"),
                                                     QStringLiteral("--frobnicate")}, problem));
    EXPECT_EQ(problem, QStringLiteral("unknown option --frobnicate"));
    EXPECT_FALSE(cad::cli::parseExportXlsxArguments({QStringLiteral("o.xlsx")}, problem));
    EXPECT_EQ(problem, cad::cli::exportXlsxUsage());
}

} // namespace
