// Each part of the .xlsx package, pinned by its exact XML: what the
// spreadsheet and LibreOffice read is these bytes, so a change to any of
// them must be a decision, not an accident. (The openpyxl and LibreOffice
// round trips of whole workbooks are in tests/export.)

#include "excel/XlsxCommentsWriter.h"
#include "excel/XlsxDrawingWriter.h"
#include "excel/XlsxParts.h"

#include <gtest/gtest.h>

using namespace excel;

namespace {

const char* const kDeclaration = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";

/// A part as written: the declaration, the body, a line end.
std::string part(const char* body)
{
    return std::string(kDeclaration) + body + "\n";
}

// The parts as they are pinned, one line each (compare with a formatter).
const char* const kWorksheet = R"x(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><dimension ref="A1:B2"/><sheetViews><sheetView tabSelected="1" workbookViewId="0"/></sheetViews><sheetFormatPr defaultRowHeight="15"/><cols><col min="1" max="1" width="10.7109375" customWidth="1"/></cols><sheetData><row r="1"><c r="A1" s="1" t="s"><v>0</v></c><c r="B1" s="1"/></row><row r="2"><c r="A2" s="1" t="s"><v>1</v></c><c r="B2" s="1"><v>3</v></c></row></sheetData><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></worksheet>)x";
const char* const kWorkbook = R"x(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><bookViews><workbookView activeTab="0"/></bookViews><sheets><sheet name="画層一覧" sheetId="1" r:id="rId1"/><sheet name="1" sheetId="2" r:id="rId2"/></sheets></workbook>)x";
const char* const kSharedStrings = R"x(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="2"><si><t xml:space="preserve">画層名</t></si><si><t xml:space="preserve">a_x0001_b_x005F_x0041_</t></si></sst>)x";
const char* const kStylesPlain = R"x(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><fonts count="1"><font><sz val="11"/><name val="Calibri"/><family val="2"/></font></fonts><fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills><borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border><border><left style="thin"><color auto="1"/></left><right style="thin"><color auto="1"/></right><top style="thin"><color auto="1"/></top><bottom style="thin"><color auto="1"/></bottom><diagonal/></border></borders><cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs><cellXfs count="2"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/><xf numFmtId="0" fontId="0" fillId="0" borderId="1" xfId="0" applyBorder="1"/></cellXfs><cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles></styleSheet>)x";
const char* const kStylesLooks = R"x(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><fonts count="3"><font><sz val="11"/><name val="Calibri"/><family val="2"/></font><font><sz val="11"/><color rgb="FF808080"/><name val="Calibri"/><family val="2"/></font><font><i/><sz val="11"/><name val="Calibri"/><family val="2"/></font></fonts><fills count="3"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill><fill><patternFill patternType="solid"><fgColor rgb="FFDDEBF7"/><bgColor indexed="64"/></patternFill></fill></fills><borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border><border><left style="thin"><color auto="1"/></left><right style="thin"><color auto="1"/></right><top style="thin"><color auto="1"/></top><bottom style="thin"><color auto="1"/></bottom><diagonal/></border></borders><cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs><cellXfs count="4"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/><xf numFmtId="0" fontId="0" fillId="0" borderId="1" xfId="0" applyBorder="1"/><xf numFmtId="0" fontId="1" fillId="0" borderId="1" xfId="0" applyBorder="1" applyFont="1"/><xf numFmtId="0" fontId="2" fillId="2" borderId="1" xfId="0" applyBorder="1" applyFont="1" applyFill="1"/></cellXfs><cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles></styleSheet>)x";
const char* const kDrawing = R"x(<xdr:wsDr xmlns:xdr="http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing" xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><xdr:twoCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:colOff>127000</xdr:colOff><xdr:row>0</xdr:row><xdr:rowOff>127000</xdr:rowOff></xdr:from><xdr:to><xdr:col>5</xdr:col><xdr:colOff>319000</xdr:colOff><xdr:row>9</xdr:row><xdr:rowOff>32500</xdr:rowOff></xdr:to><xdr:pic><xdr:nvPicPr><xdr:cNvPr id="2" name="Picture 1"/><xdr:cNvPicPr><a:picLocks noChangeAspect="1"/></xdr:cNvPicPr></xdr:nvPicPr><xdr:blipFill><a:blip r:embed="rId1"/><a:stretch><a:fillRect/></a:stretch></xdr:blipFill><xdr:spPr><a:xfrm><a:off x="127000" y="127000"/><a:ext cx="3240000" cy="1620000"/></a:xfrm><a:prstGeom prst="rect"><a:avLst/></a:prstGeom><a:ln w="12700"><a:solidFill><a:srgbClr val="000000"/></a:solidFill></a:ln></xdr:spPr></xdr:pic><xdr:clientData/></xdr:twoCellAnchor><xdr:twoCellAnchor editAs="oneCell"><xdr:from><xdr:col>0</xdr:col><xdr:colOff>127000</xdr:colOff><xdr:row>9</xdr:row><xdr:rowOff>70600</xdr:rowOff></xdr:from><xdr:to><xdr:col>5</xdr:col><xdr:colOff>319000</xdr:colOff><xdr:row>11</xdr:row><xdr:rowOff>70600</xdr:rowOff></xdr:to><xdr:sp macro="" textlink=""><xdr:nvSpPr><xdr:cNvPr id="3" name="TextBox 2"/><xdr:cNvSpPr txBox="1"/></xdr:nvSpPr><xdr:spPr><a:xfrm><a:off x="127000" y="1785100"/><a:ext cx="3240000" cy="381000"/></a:xfrm><a:prstGeom prst="rect"><a:avLst/></a:prstGeom><a:solidFill><a:srgbClr val="FFFFFF"/></a:solidFill><a:ln w="9525"><a:solidFill><a:srgbClr val="000000"/></a:solidFill></a:ln></xdr:spPr><xdr:txBody><a:bodyPr wrap="square" rtlCol="0" anchor="t"/><a:lstStyle/><a:p><a:pPr algn="ctr"/><a:r><a:rPr lang="ja-JP" altLang="en-US" sz="900"/><a:t>壁</a:t></a:r></a:p><a:p><a:pPr algn="ctr"/><a:r><a:rPr lang="ja-JP" altLang="en-US" sz="900"/><a:t>ｵﾌﾞｼﾞｪｸﾄ数：3</a:t></a:r></a:p></xdr:txBody></xdr:sp><xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>)x";
const char* const kSheetRels = R"x(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing" Target="../drawings/drawing2.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/comments" Target="../comments1.xml"/><Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/vmlDrawing" Target="../drawings/vmlDrawing1.vml"/></Relationships>)x";
const char* const kDrawingRels = R"x(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="../media/image5.wmf"/></Relationships>)x";
const char* const kWorkbookRels = R"x(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet2.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/><Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>)x";
const char* const kRootRels = R"x(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)x";
const char* const kContentTypes = R"x(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Default Extension="wmf" ContentType="image/x-wmf"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/drawings/drawing1.xml" ContentType="application/vnd.openxmlformats-officedocument.drawing+xml"/><Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/><Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>)x";
const char* const kContentTypesNotes = R"x(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Default Extension="wmf" ContentType="image/x-wmf"/><Default Extension="vml" ContentType="application/vnd.openxmlformats-officedocument.vmlDrawing"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/drawings/drawing1.xml" ContentType="application/vnd.openxmlformats-officedocument.drawing+xml"/><Override PartName="/xl/comments1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.comments+xml"/><Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/><Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>)x";
const char* const kWorksheetFrozen = R"x(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><dimension ref="A1:B2"/><sheetViews><sheetView tabSelected="1" workbookViewId="0"><pane xSplit="1" ySplit="1" topLeftCell="B2" activePane="bottomRight" state="frozen"/><selection pane="bottomRight"/></sheetView></sheetViews><sheetFormatPr defaultRowHeight="15"/><cols><col min="1" max="1" width="10.7109375" customWidth="1"/></cols><sheetData><row r="1"><c r="A1" s="1" t="s"><v>0</v></c><c r="B1" s="1"/></row><row r="2"><c r="A2" s="1" t="s"><v>1</v></c><c r="B2" s="2"><v>3</v></c></row></sheetData><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/><legacyDrawing r:id="rId2"/></worksheet>)x";
const char* const kWorkbookTitles = R"x(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><bookViews><workbookView activeTab="0"/></bookViews><sheets><sheet name="図面一覧" sheetId="1" r:id="rId1"/></sheets><definedNames><definedName name="_xlnm.Print_Titles" localSheetId="0">'図面一覧'!$A:$A,'図面一覧'!$1:$1</definedName></definedNames></workbook>)x";
const char* const kComments = R"x(<comments xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><authors><author>Kasanemi</author></authors><commentList><comment ref="B2" authorId="0"><text><t xml:space="preserve">非表示</t></text></comment></commentList></comments>)x";
const char* const kVml = R"x(<xml xmlns:v="urn:schemas-microsoft-com:vml" xmlns:o="urn:schemas-microsoft-com:office:office" xmlns:x="urn:schemas-microsoft-com:office:excel"><o:shapelayout v:ext="edit"><o:idmap v:ext="edit" data="1"/></o:shapelayout><v:shapetype id="_x0000_t202" coordsize="21600,21600" o:spt="202" path="m,l,21600r21600,l21600,xe"><v:stroke joinstyle="miter"/><v:path gradientshapeok="t" o:connecttype="rect"/></v:shapetype><v:shape id="_x0000_s1025" type="#_x0000_t202" style="position:absolute;margin-left:80pt;margin-top:2pt;width:108pt;height:40pt;z-index:1;visibility:hidden" fillcolor="#ffffe1" o:insetmode="auto"><v:fill color2="#ffffe1"/><v:shadow on="t" color="black" obscured="t"/><v:path o:connecttype="none"/><v:textbox style="mso-direction-alt:auto"><div style="text-align:left"/></v:textbox><x:ClientData ObjectType="Note"><x:MoveWithCells/><x:SizeWithCells/><x:Anchor>2, 15, 0, 2, 4, 15, 4, 4</x:Anchor><x:AutoFill>False</x:AutoFill><x:Row>1</x:Row><x:Column>1</x:Column></x:ClientData></v:shape></xml>)x";

/// The list sheet as the export leaves it: a Japanese heading and a count,
/// both with thin borders, the name column widened.
SheetModel listSheet()
{
    SheetModel sheet;
    sheet.name = QStringLiteral("画層一覧");
    sheet.cells[{1, 1}] = {QStringLiteral("画層名"), true, {}, {}};
    sheet.cells[{1, 2}] = {QVariant(), true, {}, {}};
    sheet.cells[{2, 1}] = {QStringLiteral("壁"), true, {}, {}};
    sheet.cells[{2, 2}] = {3.0, true, {}, {}};
    sheet.columnWidths[1] = 10.7109375;
    return sheet;
}

/// A sheet with one outlined picture and its caption, as an image sheet holds them.
SheetModel imageSheet()
{
    SheetModel sheet;
    sheet.name = QStringLiteral("1");
    auto picture = std::make_shared<ShapeModel>();
    picture->kind = ShapeModel::Kind::Picture;
    picture->left = 10;
    picture->top = 10;
    picture->width = 255.1181102362;
    picture->height = 127.5590551181;
    picture->placement = 1;
    picture->outlined = true;
    picture->outlineWeight = 1;
    picture->outlineRgb = 0x000000;
    auto caption = std::make_shared<ShapeModel>();
    caption->kind = ShapeModel::Kind::TextBox;
    caption->left = 10;
    caption->top = 140.5590551181;
    caption->width = 255.1181102362;
    caption->height = 30;
    caption->placement = 2;
    caption->text = QStringLiteral("壁\nｵﾌﾞｼﾞｪｸﾄ数：3");
    caption->centred = true;
    caption->fontSize = 9;
    sheet.shapes = {picture, caption};
    return sheet;
}

TEST(XlsxParts, WorksheetWithAJapaneseNameAndBorders)
{
    parts::SharedStrings strings;
    parts::StyleTable styles;
    const SheetModel sheet = listSheet();
    EXPECT_EQ(parts::worksheet(sheet, true, 0, 0, strings, styles).toStdString(), part(kWorksheet));
    EXPECT_EQ(parts::workbook({{sheet.name, {}, {}}, {QStringLiteral("1"), {}, {}}}, 0).toStdString(), part(kWorkbook));
    EXPECT_EQ(strings.texts, (QStringList{QStringLiteral("画層名"), QStringLiteral("壁")}));
}

TEST(XlsxParts, SharedStringsKeepControlCharactersAsEscapes)
{
    parts::SharedStrings strings;
    EXPECT_EQ(strings.add(QStringLiteral("画層名")), 0);
    EXPECT_EQ(strings.add(QStringLiteral("a\x01" "b_x0041_")), 1);
    EXPECT_EQ(strings.add(QStringLiteral("画層名")), 0);
    EXPECT_EQ(parts::sharedStrings(strings).toStdString(), part(kSharedStrings));
}

TEST(XlsxParts, StylesOfTheExportAndOfCellLooks)
{
    parts::StyleTable plain;
    EXPECT_EQ(plain.xml().toStdString(), part(kStylesPlain));

    parts::StyleTable looks;
    CellModel off;
    off.thinBorders = true;
    off.look.fontRgb = 0x808080;
    CellModel frozenLocked;
    frozenLocked.thinBorders = true;
    frozenLocked.look.fillRgb = 0xDDEBF7;
    frozenLocked.look.italic = true;
    EXPECT_EQ(looks.styleOf(off), 2);
    EXPECT_EQ(looks.styleOf(frozenLocked), 3);
    EXPECT_EQ(looks.styleOf(off), 2);
    EXPECT_EQ(looks.styleOf(CellModel{}), 0);
    EXPECT_EQ(looks.xml().toStdString(), part(kStylesLooks));
}

TEST(XlsxParts, DrawingWithAnOutlinedPictureAndATextBox)
{
    EXPECT_EQ(drawingXml(imageSheet()).toStdString(), part(kDrawing));
}

TEST(XlsxParts, RelationshipsOfASheetWithDrawingAndNotes)
{
    SheetModel sheet = imageSheet();
    sheet.cells[{2, 2}].note = QStringLiteral("非表示・ロック");
    parts::SharedStrings strings;
    parts::StyleTable styles;
    const auto entries = parts::sheetParts(sheet, false, {4, 2, {5}, 1}, strings, styles);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].first, QStringLiteral("xl/worksheets/sheet4.xml"));
    EXPECT_EQ(entries[1].first, QStringLiteral("xl/worksheets/_rels/sheet4.xml.rels"));
    EXPECT_EQ(entries[1].second.toStdString(), part(kSheetRels));
    EXPECT_EQ(entries[2].first, QStringLiteral("xl/drawings/drawing2.xml"));
    EXPECT_EQ(entries[3].first, QStringLiteral("xl/drawings/_rels/drawing2.xml.rels"));
    EXPECT_EQ(entries[3].second.toStdString(), part(kDrawingRels));
    EXPECT_EQ(entries[4].first, QStringLiteral("xl/comments1.xml"));
    EXPECT_EQ(entries[5].first, QStringLiteral("xl/drawings/vmlDrawing1.vml"));
    EXPECT_EQ(parts::workbookRelationships({2, 1}).toStdString(), part(kWorkbookRels));
    EXPECT_EQ(parts::rootRelationships().toStdString(), part(kRootRels));
}

TEST(XlsxParts, ContentTypes)
{
    parts::Inventory single;
    single.sheetParts = {1, 2};
    single.drawingParts = {1};
    single.media = true;
    EXPECT_EQ(parts::contentTypes(single).toStdString(), part(kContentTypes));
    parts::Inventory withNotes = single;
    withNotes.commentParts = {1};
    EXPECT_EQ(parts::contentTypes(withNotes).toStdString(), part(kContentTypesNotes));
}

TEST(XlsxParts, FrozenPanesPrintTitlesAndNotes)
{
    SheetModel sheet = listSheet();
    sheet.name = QStringLiteral("図面一覧");
    sheet.frozenRows = 1;
    sheet.frozenColumns = 1;
    sheet.cells[{2, 2}].note = QStringLiteral("非表示");
    sheet.cells[{2, 2}].look.fontRgb = 0x808080;
    parts::SharedStrings strings;
    parts::StyleTable styles;
    EXPECT_EQ(parts::worksheet(sheet, true, 0, 2, strings, styles).toStdString(), part(kWorksheetFrozen));
    EXPECT_EQ(parts::workbook({{sheet.name, QStringLiteral("$1:$1"), QStringLiteral("$A:$A")}}, 0).toStdString(),
              part(kWorkbookTitles));
    EXPECT_EQ(commentsXml(sheet).toStdString(), part(kComments));
    EXPECT_EQ(commentsVml(sheet, 1).toStdString(), std::string(kVml) + "\n");
}

} // namespace
