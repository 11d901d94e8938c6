#include "app/RecordingUserInterface.h"
#include "export/ClsCsvFunction2.h"
#include "export/CsvText.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "TestFiles.h"

using csv::CsvTable;

namespace {

using testsupport::readAll;
using testsupport::writeAll;

QList<csv::CsvField> split(const QString& line, const QString& delimiter)
{
    return csv::splitLine(line, delimiter);
}

QStringList texts(const QList<csv::CsvField>& fields)
{
    QStringList out;
    for (const auto& f : fields)
        out << f.text;
    return out;
}

/// The table's rows as "a|b|c" (empty cells as "<>"), dimension 2 being the row.
QStringList rowsOf(const CsvTable& t)
{
    QStringList rows;
    if (!t.hasElements())
        return rows;
    for (qint32 r = t.lowerBound(2); r <= t.upperBound(2); ++r) {
        QStringList cells;
        for (qint32 c = t.lowerBound(1); c <= t.upperBound(1); ++c)
            cells << (t.cell(c, r).isValid() ? t.cell(c, r).toString() : QStringLiteral("<>"));
        rows << cells.join(u'|');
    }
    return rows;
}

class CsvFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.path() + u'/' + name; }

    /// Reads with the program's own call: no header, 1-based, widest line.
    bool readList(const QByteArray& content, CsvTable& table, const QString& delimiter = ",")
    {
        writeAll(path("in.csv"), content);
        return m_csv.pu_fun_bGet_CSV_Array(path("in.csv"), table, nullptr, true, false, false, 0, 0, true,
                                           delimiter);
    }
    bool write(const CsvTable& table, const QString& mode, qint32 iReturn = 1, bool bMode = true,
               const QString& delimiter = ",")
    {
        return m_csv.pu_fun_bOut_Array_CSV(m_dir.path(), "out.csv", table, bMode, mode, false, false, false, false,
                                           false, false, QString(), QString(), false, iReturn, delimiter);
    }

    QTemporaryDir m_dir;
    clsCSV_Function2 m_csv;
    app::RecordingUserInterface m_ui;
    app::ScopedUi m_scopedUi{m_ui};
};

CsvTable row(std::initializer_list<QVariant> cells)
{
    CsvTable t(1, qint32(cells.size()), 1, 1);
    qint32 c = 1;
    for (const QVariant& v : cells)
        t.setCell(c++, 1, v);
    return t;
}

} // namespace

TEST(CsvText, FieldSplittingDialect)
{
    EXPECT_EQ(texts(split("\"a\",b", ",")), QStringList({"a", "b"}));
    EXPECT_EQ(texts(split("a,\"\",b", ",")), QStringList({"a", "", "b"}));
    EXPECT_EQ(texts(split("\"x\"\"y\",z", ",")), QStringList({"x\"\"y", "z"}));  // never undoubled
    EXPECT_EQ(texts(split("a,\"x\"", ",")), QStringList({"a", "x"}));
    // A quote left open runs to the end of the line and loses no character.
    EXPECT_EQ(texts(split("\"dim", ",")), QStringList({"dim"}));
    EXPECT_EQ(texts(split("a,\"dim", ",")), QStringList({"a", "dim"}));
    EXPECT_EQ(texts(split("\"dim\"", ",")), QStringList({"dim"}));
    EXPECT_EQ(texts(split("\"a\"b", ",")), QStringList({"a\"b"}));
    EXPECT_EQ(texts(split("a,\"", ",")), QStringList({"a", ""}));  // a lone quote: empty, no failure
    EXPECT_EQ(texts(split("", ",")), QStringList({""}));
    EXPECT_EQ(texts(split("a,", ",")), QStringList({"a", ""}));
    EXPECT_EQ(texts(split("a<>\"b<>c\"<>d", "<>")), QStringList({"a", "b<>c", "d"}));
    EXPECT_TRUE(split("\"a\",b", ",")[0].enclosed);
    EXPECT_FALSE(split("\"a\",b", ",")[1].enclosed);
}

TEST(CsvText, RecordsEndAtCrLfOrLoneCrOnly)
{
    const QString text = "a\r\nb\rc\nd\r\n";
    const auto lines = csv::splitRecords(text);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2].toString(), "c\nd");
    EXPECT_EQ(csv::splitRecords("x").size(), 1);
    EXPECT_EQ(csv::splitRecords("").size(), 0);
    EXPECT_EQ(csv::splitRecords("\r\n\r\n").size(), 2);
    // For callers whose records hold no line break, a lone LF ends one too.
    EXPECT_EQ(csv::splitRecords(text, true).size(), 4);
    EXPECT_EQ(csv::splitRecords("a\n\r\nb", true).size(), 3);
}

TEST(CsvText, NumbersAndDates)
{
    for (const char* yes : {"0", "012", " -1.5 ", "+3", "1e5", "2.5E-3", ".5", "5."})
        EXPECT_TRUE(csv::isNumericText(yes)) << yes;
    for (const char* no : {"", " ", "1,000", "0x10", "1e", "--1", "１２", "1 2", "e5"})
        EXPECT_FALSE(csv::isNumericText(no)) << no;
    for (const char* yes : {"2024/1/5", "24/12/31", "1/5", "2024/1/5 9:30", "9:30", "23:59:59"})
        EXPECT_TRUE(csv::isDateText(yes)) << yes;
    EXPECT_TRUE(csv::isDateText(QStringLiteral("2024年2月29日")));
    EXPECT_TRUE(csv::isDateText(QStringLiteral("9時30分")));
    for (const char* no : {"2023/2/29", "13/1", "25:00", "abc", "2024/1/5 x", ""})
        EXPECT_FALSE(csv::isDateText(no)) << no;
}

TEST_F(CsvFiles, MissingFileIsReportedAndFails)
{
    CsvTable table(1, 1, 1, 1);
    table.setCell(1, 1, "old");
    EXPECT_FALSE(m_csv.pu_fun_bGet_CSV_Array(path("nothing.csv"), table, nullptr, true, false, false, 0, 0, true, ","));
    EXPECT_FALSE(table.hasElements());  // cleared first
    ASSERT_EQ(m_ui.messages().size(), 1);
    const auto& m = m_ui.messages()[0];
    EXPECT_EQ(m.text, QStringLiteral("CSVファイルからデータを読み込もうとしましたが、\r"
                                     "指定されたCSVファイルが見つかりませんでした。"));
    EXPECT_EQ(m.caption, "pu_fun_bGet_CSV_Array");
    EXPECT_EQ(m.icon, app::MsgIcon::Critical);
    // A folder is no normal file either.
    EXPECT_FALSE(m_csv.pu_fun_bGet_CSV_Array(m_dir.path(), table, nullptr, true, false, false, 0, 0, true, ","));
    EXPECT_EQ(m_ui.messages().size(), 2);
}

TEST_F(CsvFiles, ReadsRaggedLinesIntoAWidestTable)
{
    CsvTable table;
    ASSERT_TRUE(readList("a,b\r\nc\r\n\r\nd,e,f", table));
    EXPECT_EQ(table.lowerBound(1), 1);
    EXPECT_EQ(table.upperBound(1), 3);
    EXPECT_EQ(table.upperBound(2), 4);
    EXPECT_EQ(rowsOf(table), QStringList({"a|b|<>", "c|<>|<>", "|<>|<>", "d|e|f"}));

    // Column count from line 1 only: wider rows lose their extra fields.
    writeAll(path("in.csv"), "a,b\r\nc,d,e,f\r\n");
    ASSERT_TRUE(m_csv.pu_fun_bGet_CSV_Array(path("in.csv"), table, nullptr, false, false, false, 0, 0, false, ","));
    EXPECT_EQ(table.lowerBound(1), 0);
    EXPECT_EQ(rowsOf(table), QStringList({"a|b", "c|d"}));

    ASSERT_TRUE(readList("", table));
    EXPECT_FALSE(table.hasElements());
}

TEST_F(CsvFiles, JapaneseListsInEitherEncoding)
{
    CsvTable table;
    const QByteArray sjis("\x95\xc7,1\r\n\x92\xca\x90\x63\r\n");  // 壁,1 / 通芯 in code page 932
    ASSERT_TRUE(readList(sjis, table));
    EXPECT_EQ(rowsOf(table), QStringList({QStringLiteral("壁|1"), QStringLiteral("通芯|<>")}));
    ASSERT_TRUE(readList("\xEF\xBB\xBF" + QStringLiteral("壁\r\n通芯").toUtf8(), table));
    EXPECT_EQ(rowsOf(table), QStringList({QStringLiteral("壁"), QStringLiteral("通芯")}));
}

TEST_F(CsvFiles, AwkwardBytesNeverBreakReading)
{
    CsvTable table;
    // NUL bytes, lone LFs inside a record, an unterminated quote, bytes that are no UTF-8.
    ASSERT_TRUE(readList(QByteArray("a\0b,c\r\nx\ny,\"open\r\n\xff\xfe,z", 22), table));
    ASSERT_EQ(table.upperBound(2), 3);
    EXPECT_EQ(table.cell(1, 1).toString(), QString("a") + QChar(0) + "b");
    EXPECT_EQ(table.cell(1, 2).toString(), "x\ny");
    EXPECT_EQ(table.cell(2, 2).toString(), "open");  // a quote never closed loses no character
    EXPECT_EQ(table.cell(2, 3).toString(), "z");

    // An empty delimiter fails instead of looping for ever.
    EXPECT_FALSE(readList("a,b", table, ""));
}

TEST_F(CsvFiles, HeaderChecks)
{
    writeAll(path("h.csv"), "名前,色,線種\r\n壁,1,Continuous\r\n");
    CsvTable table;
    QVariant header = QStringList({QStringLiteral("名前"), QStringLiteral("色"), QStringLiteral("線種")});
    ASSERT_TRUE(m_csv.pu_fun_bGet_CSV_Array(path("h.csv"), table, &header, true, false, false, 1, 1, true, ","));
    EXPECT_EQ(rowsOf(table), QStringList({QStringLiteral("壁|1|Continuous")}));  // header line not copied

    header = QStringList({QStringLiteral("名前"), QStringLiteral("色"), QStringLiteral("線")});
    EXPECT_FALSE(m_csv.pu_fun_bGet_CSV_Array(path("h.csv"), table, &header, true, false, false, 1, 1, true, ","));
    EXPECT_EQ(header, QVariant(QStringLiteral("Not Head data")));

    header = QStringList({"a", "b"});
    EXPECT_FALSE(m_csv.pu_fun_bGet_CSV_Array(path("h.csv"), table, &header, true, false, false, 1, 1, true, ","));
    EXPECT_EQ(header, QVariant(QStringLiteral("Not Col Num")));

    header = QStringList({"anything"});  // one element: never compared
    EXPECT_TRUE(m_csv.pu_fun_bGet_CSV_Array(path("h.csv"), table, &header, true, false, false, 0, 0, true, ","));
    EXPECT_EQ(table.upperBound(2), 2);

    // More header lines to skip than the file has: a silent failure.
    EXPECT_FALSE(m_csv.pu_fun_bGet_CSV_Array(path("h.csv"), table, nullptr, true, false, false, 3, 0, true, ","));
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

TEST_F(CsvFiles, TextMarks)
{
    writeAll(path("m.csv"), "012,\"012\",12,0a,0.5\r\n");
    CsvTable table;
    ASSERT_TRUE(m_csv.pu_fun_bGet_CSV_Array(path("m.csv"), table, nullptr, true, true, false, 0, 0, true, ","));
    EXPECT_EQ(rowsOf(table), QStringList({"'012|'012|12|0a|'0.5"}));
    ASSERT_TRUE(m_csv.pu_fun_bGet_CSV_Array(path("m.csv"), table, nullptr, true, true, true, 0, 0, true, ","));
    EXPECT_EQ(rowsOf(table), QStringList({"012|'012|12|0a|0.5"}));  // only enclosed fields are marked
}

TEST_F(CsvFiles, WriterModes)
{
    const CsvTable cells = row({"a", QVariant()});
    ASSERT_TRUE(write(cells, "K3"));
    EXPECT_EQ(readAll(path("out.csv")), "\"a\",\"\"\r\n");
    ASSERT_TRUE(write(cells, ""));  // empty means K3
    EXPECT_EQ(readAll(path("out.csv")), "\"a\",\"\"\r\n");
    ASSERT_TRUE(write(cells, "CSV1"));
    EXPECT_EQ(readAll(path("out.csv")), "\"a\",\r\n");
    ASSERT_TRUE(write(row({"a", "", "x,y"}), "CSV2"));
    EXPECT_EQ(readAll(path("out.csv")), "a,,\"x,y\"\r\n");
    ASSERT_TRUE(write(row({"12", "-3", "012", "abc", "", "1,5", 7, 2.5}), "CSV3"));
    EXPECT_EQ(readAll(path("out.csv")), "12,\"-3\",012,\"abc\",,\"1,5\",7,2.5\r\n");
    EXPECT_FALSE(write(cells, "CSV4"));
    EXPECT_FALSE(write(cells, "k3"));
}

TEST_F(CsvFiles, WriterTerminatorsAndOrientation)
{
    CsvTable t(1, 2, 1, 2);  // (column, row)
    t.setCell(1, 1, "a");
    t.setCell(2, 1, "b");
    t.setCell(1, 2, "c");
    t.setCell(2, 2, "d");
    ASSERT_TRUE(write(t, "CSV2", 2));
    EXPECT_EQ(readAll(path("out.csv")), "a,b\rc,d\r");
    ASSERT_TRUE(write(t, "CSV2", 3));
    EXPECT_EQ(readAll(path("out.csv")), "a,b\nc,d\n");
    ASSERT_TRUE(write(t, "CSV2", 4));
    EXPECT_EQ(readAll(path("out.csv")), "a,b,c,d,");
    ASSERT_TRUE(write(t, "CSV2", 0, false));  // (row, column)
    EXPECT_EQ(readAll(path("out.csv")), "a,c\r\nb,d\r\n");
    ASSERT_TRUE(write(t, "CSV2", 1, true, "<>"));
    EXPECT_EQ(readAll(path("out.csv")), "a<>b\r\nc<>d\r\n");
}

TEST(CsvOutputForm, ExceptionRulesInOrder)
{
    csv::OutputRules rules;
    rules.mode = "K3";
    rules.exceptions = true;
    rules.chkEmpty = true;
    EXPECT_EQ(csv::outputForm("", rules), "");
    rules.optEmptyOK = true;
    EXPECT_EQ(csv::outputForm("", rules), "\"\"");

    rules.chkNum = true;
    EXPECT_EQ(csv::outputForm("12", rules), "12");
    EXPECT_EQ(csv::outputForm("-12", rules), "\"-12\"");  // first character no digit: the mode's form stays
    rules.optNumOK = true;
    EXPECT_EQ(csv::outputForm("12", rules), "\"12\"");
    rules.optNumOK = false;
    rules.chkNum0 = true;
    EXPECT_EQ(csv::outputForm("012", rules), "\"012\"");

    rules.mode = "CSV2";
    rules.chkDate = true;
    rules.dateHead = "#";
    rules.dateBack = "#";
    EXPECT_EQ(csv::outputForm("2024/1/5", rules), "#2024/1/5#");
    EXPECT_EQ(csv::outputForm("2024-1-5", rules), "2024-1-5");  // dates with "-" or "." are left alone
    EXPECT_EQ(csv::outputForm("x,y", rules), "\"x,y\"");
    rules.delimiter = "/";
    // The last rule encloses a text holding the delimiter, even over a date's wrapping.
    EXPECT_EQ(csv::outputForm("1/5", rules), "\"1/5\"");

    rules.exceptions = false;  // without bReigai only the mode counts
    rules.delimiter = ",";
    EXPECT_EQ(csv::outputForm("", rules), "");
}

TEST_F(CsvFiles, FailedWritesKeepTheOldFile)
{
    writeAll(path("out.csv"), "old contents\r\n");
    EXPECT_FALSE(write(CsvTable(), "K3"));  // no elements
    EXPECT_FALSE(write(row({"a", QVariant::fromValue(nullptr)}), "K3"));  // a null has no text form
    EXPECT_FALSE(write(row({QVariantList{1, 2}}), "K3"));
    EXPECT_FALSE(m_csv.pu_fun_bOut_Array_CSV(m_dir.path(), "out.csv", row({QStringLiteral("😀")}), true, "K3", false,
                                             false, false, false, false, false, {}, {}, false, 1, ",",
                                             app::TextFileEncoding::Cp932));
    EXPECT_EQ(readAll(path("out.csv")), "old contents\r\n");
    // A folder that does not exist: nothing written anywhere, no leftovers.
    EXPECT_FALSE(m_csv.pu_fun_bOut_Array_CSV(path("no/such"), "out.csv", row({"a"}), true, "K3", false, false, false,
                                             false, false, false, {}, {}, false, 1, ","));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList({"out.csv"}));
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

TEST_F(CsvFiles, WritesCodePage932AndReadsItBack)
{
    CsvTable t(1, 2, 1, 1);
    t.setCell(1, 1, QStringLiteral("壁"));
    t.setCell(2, 1, QDate(2024, 1, 5));
    ASSERT_TRUE(m_csv.pu_fun_bOut_Array_CSV(m_dir.path() + "/", "sj.csv", t, true, "CSV2", false, false, false, false,
                                            false, false, {}, {}, false, 1, ",", app::TextFileEncoding::Cp932));
    EXPECT_EQ(readAll(path("sj.csv")), QByteArray("\x95\xc7,2024/01/05\r\n"));
    CsvTable back;
    ASSERT_TRUE(m_csv.pu_fun_bGet_CSV_Array(path("sj.csv"), back, nullptr, true, false, false, 0, 0, true, ","));
    EXPECT_EQ(rowsOf(back), QStringList({QStringLiteral("壁|2024/01/05")}));
}

TEST_F(CsvFiles, LargeListReadsInFull)
{
    QByteArray big;
    const QByteArray line = QStringLiteral("画層名称,\"note, with comma\",12345,0,Continuous\r\n").toUtf8();
    const int lines = 8 * 1024 * 1024 / line.size();  // 8 MB: large, yet quick
    big.reserve(line.size() * lines + 64);
    for (int i = 0; i < lines; ++i)
        big += line;
    CsvTable table;
    ASSERT_TRUE(readList(big, table));
    EXPECT_EQ(table.upperBound(1), 5);
    EXPECT_EQ(table.upperBound(2), lines);
    EXPECT_EQ(table.cell(2, lines).toString(), "note, with comma");
}
