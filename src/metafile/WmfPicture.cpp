#include "metafile/WmfPicture.h"

#include "metafile/WmfPlayer.h"
#include "metafile/WmfRecordList.h"

#include <QFile>
#include <QPainter>
#include <QPicture>

#include <algorithm>
#include <cstring>

namespace metafile {

namespace {

constexpr std::uint32_t placeableKey = 0x9AC6CDD7u;
constexpr int placeableHeaderBytes = 22;
constexpr int metaHeaderBytes = 18;
/// Files larger than this are refused rather than held in memory.
constexpr qint64 maximumFileBytes = 256ll * 1024 * 1024;

std::uint16_t readU16(const QByteArray& data, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData()) + at;
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t readU32(const QByteArray& data, qsizetype at)
{
    return readU16(data, at) | (std::uint32_t(readU16(data, at + 2)) << 16);
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

/// The window origin and extent the file sets first, which is the frame of a
/// plain metafile.
QRectF firstWindow(const WmfRecordList& list)
{
    QPointF origin;
    QRectF window;
    list.forEachRecord([&](const WmfRecord& r) {
        if (!window.isNull() || r.wordCount < 2)
            return;
        if (r.function == fn::SetWindowOrg)
            origin = QPointF(list.word(r, 1), list.word(r, 0));
        else if (r.function == fn::SetWindowExt && list.word(r, 0) != 0 && list.word(r, 1) != 0)
            window = QRectF(origin, QSizeF(list.word(r, 1), list.word(r, 0))).normalized();
    });
    return window;
}

/// The frame of a plain metafile that never sets its window: what its
/// records actually draw, measured by playing them into a recording.
QRectF drawnBounds(const WmfRecordList& list)
{
    QPicture recording;
    QPainter painter(&recording);
    WmfPlayer(painter, list, QRectF(), QRectF()).play();
    painter.end();
    // The recording clamps what it saw to the int range; QRect::width() of a
    // box spanning all of it overflows, so the edges are taken one by one.
    const QRect box = recording.boundingRect();
    if (box.right() < box.left() || box.bottom() < box.top())
        return {};
    return QRectF(QPointF(box.left(), box.top()), QPointF(double(box.right()) + 1, double(box.bottom()) + 1));
}

} // namespace

std::int16_t WmfRecordList::word(const WmfRecord& record, std::uint32_t index) const
{
    if (index >= record.wordCount)
        return 0;
    return std::int16_t(readU16(data, qsizetype(record.paramOffset) + 2 * qsizetype(index)));
}

QByteArray WmfRecordList::bytes(const WmfRecord& record, std::uint32_t firstWord, std::uint32_t byteCount) const
{
    const std::uint64_t available = record.wordCount > firstWord ? 2ull * (record.wordCount - firstWord) : 0;
    const std::uint64_t count = std::min<std::uint64_t>(byteCount, available);
    return data.mid(qsizetype(record.paramOffset) + 2 * qsizetype(firstWord), qsizetype(count));
}

WmfPicture::WmfPicture() = default;
WmfPicture::~WmfPicture() = default;
WmfPicture::WmfPicture(const WmfPicture&) = default;
WmfPicture& WmfPicture::operator=(const WmfPicture&) = default;

bool WmfPicture::load(const QString& path, QString* error)
{
    m_records.reset();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    if (file.size() > maximumFileBytes) {
        setError(error, QStringLiteral("%1: the file is too large for a metafile").arg(path));
        return false;
    }
    QString reason;
    if (!loadData(file.readAll(), &reason)) {
        setError(error, QStringLiteral("%1: %2").arg(path, reason));
        return false;
    }
    return true;
}

bool WmfPicture::loadData(const QByteArray& data, QString* error)
{
    m_records.reset();
    auto list = std::make_shared<WmfRecordList>();
    list->data = data;

    qsizetype at = 0;
    QRectF placeableBounds;
    if (data.size() >= 4 && readU32(data, 0) == placeableKey) {
        if (data.size() < placeableHeaderBytes) {
            setError(error, QStringLiteral("the placeable header is cut short"));
            return false;
        }
        list->placeable = true;
        const auto left = std::int16_t(readU16(data, 6)), top = std::int16_t(readU16(data, 8));
        const auto right = std::int16_t(readU16(data, 10)), bottom = std::int16_t(readU16(data, 12));
        placeableBounds = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
        // A zero resolution is taken as the conventional 1440 units per inch.
        const std::uint16_t inch = readU16(data, 14);
        list->unitsPerInch = inch ? inch : 1440.0;
        at = placeableHeaderBytes;
    }

    if (data.size() < at + metaHeaderBytes) {
        setError(error, QStringLiteral("not a Windows metafile (no header)"));
        return false;
    }
    const std::uint16_t type = readU16(data, at);
    const std::uint16_t headerWords = readU16(data, at + 2);
    const std::uint16_t version = readU16(data, at + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300)) {
        setError(error, QStringLiteral("not a Windows metafile (bad header)"));
        return false;
    }
    list->objectCount = readU16(data, at + 10);
    at += metaHeaderBytes;

    // Record sizes are never trusted: a record that claims more than is left,
    // or less than its own size and function words, ends the list.
    list->firstRecord = at;
    while (at + 6 <= data.size()) {
        const std::uint32_t sizeWords = readU32(data, at);
        const std::uint16_t function = readU16(data, at + 4);
        if (sizeWords < 3 || std::uint64_t(sizeWords) * 2 > std::uint64_t(data.size() - at))
            break;
        if (function == fn::Eof)
            break;
        at += qsizetype(sizeWords) * 2;
    }
    list->recordsEnd = at;

    if (!placeableBounds.isEmpty())
        list->bounds = placeableBounds;
    else if (const QRectF window = firstWindow(*list); !window.isEmpty())
        list->bounds = window;
    else
        list->bounds = drawnBounds(*list);
    if (!list->placeable)
        list->unitsPerInch = 1440.0;

    m_records = std::move(list);
    return true;
}

bool WmfPicture::isNull() const
{
    return !m_records;
}

QSizeF WmfPicture::sizeTwips() const
{
    if (!m_records)
        return {};
    const double scale = 1440.0 / m_records->unitsPerInch;
    return m_records->bounds.size() * scale;
}

QRectF WmfPicture::logicalBounds() const
{
    return m_records ? m_records->bounds : QRectF();
}

void WmfPicture::draw(QPainter& painter, const QRectF& target) const
{
    if (!m_records || target.isEmpty() || m_records->bounds.isEmpty())
        return;
    painter.save();
    WmfPlayer(painter, *m_records, m_records->bounds, target).play();
    painter.restore();
}

std::optional<QSizeF> placeableSizeTwips(const QByteArray& data)
{
    if (data.size() < placeableHeaderBytes || readU32(data, 0) != placeableKey)
        return std::nullopt;
    const auto left = std::int16_t(readU16(data, 6)), top = std::int16_t(readU16(data, 8));
    const auto right = std::int16_t(readU16(data, 10)), bottom = std::int16_t(readU16(data, 12));
    const std::uint16_t inch = readU16(data, 14);
    const double scale = 1440.0 / (inch ? inch : 1440.0);
    return QSizeF(std::abs(right - left) * scale, std::abs(bottom - top) * scale);
}

} // namespace metafile
