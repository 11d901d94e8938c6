#pragma once

#include <QByteArray>
#include <QRectF>

#include <cstdint>

namespace metafile {

/// One record of a metafile: its function number and where its parameters
/// lie in the file. The parameters are never read past `wordCount`.
struct WmfRecord {
    std::uint16_t function = 0;
    std::uint32_t paramOffset = 0; ///< byte offset of the first parameter word
    std::uint32_t wordCount = 0;   ///< number of 16-bit parameter words
};

/// A parsed metafile: the file bytes and where its checked run of records
/// lies in them. Built once by WmfPicture and shared by every copy of it.
/// The records are found again by their sizes at every walk: an index of
/// them would cost nearly as much memory as the picture itself.
struct WmfRecordList {
    QByteArray data;
    qsizetype firstRecord = 0; ///< byte offset of the first record
    qsizetype recordsEnd = 0;  ///< byte offset just past the last checked record
    QRectF bounds;          ///< the picture's frame in logical units
    double unitsPerInch = 1440.0;
    bool placeable = false;
    std::uint16_t objectCount = 0; ///< object table size the header asks for

    /// Parameter word `index` of `record`, as a signed value; 0 when the
    /// record is too short (callers check `wordCount` where it matters).
    std::int16_t word(const WmfRecord& record, std::uint32_t index) const;
    std::uint16_t uword(const WmfRecord& record, std::uint32_t index) const
    {
        return static_cast<std::uint16_t>(word(record, index));
    }
    /// Two words as one 32-bit value (low word first), e.g. a COLORREF.
    std::uint32_t dword(const WmfRecord& record, std::uint32_t index) const
    {
        return uword(record, index) | (std::uint32_t(uword(record, index + 1)) << 16);
    }
    /// The record's parameters as raw bytes (for strings and font names).
    QByteArray bytes(const WmfRecord& record, std::uint32_t firstWord, std::uint32_t byteCount) const;

    /// Calls `visit` with every record in file order. The run was checked
    /// when the picture was loaded: every size in it is sound.
    template <typename Visit>
    void forEachRecord(Visit&& visit) const
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
        for (qsizetype at = firstRecord; at < recordsEnd;) {
            const std::uint32_t sizeWords = std::uint32_t(bytes[at]) | (std::uint32_t(bytes[at + 1]) << 8)
                                            | (std::uint32_t(bytes[at + 2]) << 16)
                                            | (std::uint32_t(bytes[at + 3]) << 24);
            const auto function = std::uint16_t(bytes[at + 4] | (bytes[at + 5] << 8));
            visit(WmfRecord{function, std::uint32_t(at + 6), sizeWords - 3});
            at += qsizetype(sizeWords) * 2;
        }
    }
};

/// Record function numbers the player and writer use.
namespace fn {
constexpr std::uint16_t Eof = 0x0000;
constexpr std::uint16_t SaveDC = 0x001E;
constexpr std::uint16_t RealizePalette = 0x0035;
constexpr std::uint16_t CreatePalette = 0x00F7;
constexpr std::uint16_t SetBkMode = 0x0102;
constexpr std::uint16_t SetMapMode = 0x0103;
constexpr std::uint16_t SetRop2 = 0x0104;
constexpr std::uint16_t SetPolyFillMode = 0x0106;
constexpr std::uint16_t RestoreDC = 0x0127;
constexpr std::uint16_t SelectObject = 0x012D;
constexpr std::uint16_t SetTextAlign = 0x012E;
constexpr std::uint16_t DibCreatePatternBrush = 0x0142;
constexpr std::uint16_t DeleteObject = 0x01F0;
constexpr std::uint16_t CreatePatternBrush = 0x01F9;
constexpr std::uint16_t SetBkColor = 0x0201;
constexpr std::uint16_t SetTextColor = 0x0209;
constexpr std::uint16_t SetWindowOrg = 0x020B;
constexpr std::uint16_t SetWindowExt = 0x020C;
constexpr std::uint16_t SetViewportOrg = 0x020D;
constexpr std::uint16_t SetViewportExt = 0x020E;
constexpr std::uint16_t OffsetWindowOrg = 0x020F;
constexpr std::uint16_t OffsetViewportOrg = 0x0211;
constexpr std::uint16_t LineTo = 0x0213;
constexpr std::uint16_t MoveTo = 0x0214;
constexpr std::uint16_t SelectPalette = 0x0234;
constexpr std::uint16_t CreatePenIndirect = 0x02FA;
constexpr std::uint16_t CreateFontIndirect = 0x02FB;
constexpr std::uint16_t CreateBrushIndirect = 0x02FC;
constexpr std::uint16_t Polygon = 0x0324;
constexpr std::uint16_t Polyline = 0x0325;
constexpr std::uint16_t ScaleWindowExt = 0x0410;
constexpr std::uint16_t ScaleViewportExt = 0x0412;
constexpr std::uint16_t ExcludeClipRect = 0x0415;
constexpr std::uint16_t IntersectClipRect = 0x0416;
constexpr std::uint16_t Ellipse = 0x0418;
constexpr std::uint16_t Rectangle = 0x041B;
constexpr std::uint16_t SetPixel = 0x041F;
constexpr std::uint16_t TextOut = 0x0521;
constexpr std::uint16_t PolyPolygon = 0x0538;
constexpr std::uint16_t RoundRect = 0x061C;
constexpr std::uint16_t CreateRegion = 0x06FF;
constexpr std::uint16_t Arc = 0x0817;
constexpr std::uint16_t Pie = 0x081A;
constexpr std::uint16_t Chord = 0x0830;
constexpr std::uint16_t ExtTextOut = 0x0A32;
} // namespace fn

} // namespace metafile
