#pragma once

#include <QByteArray>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

class QPainter;

namespace metafile {

struct WmfRecordList;

/// A Windows Metafile held in memory, parsed once, drawn as vector graphics
/// onto any QPainter at any size. Reads placeable (Aldus) and plain WMF files,
/// ours and those of other programs. Malformed data never crashes it: a file
/// whose header is broken is refused, and records that are unknown, short or
/// carry nonsense parameters are skipped when drawing.
///
/// Copies are cheap and share the parsed records, which are never changed
/// after loading.
class WmfPicture {
public:
    WmfPicture();
    ~WmfPicture();
    WmfPicture(const WmfPicture&);
    WmfPicture& operator=(const WmfPicture&);

    /// Loads a WMF file (placeable or plain). False, with a reason in *error,
    /// when it cannot; the picture is then null.
    bool load(const QString& path, QString* error = nullptr);
    /// The same from bytes in memory.
    bool loadData(const QByteArray& data, QString* error = nullptr);

    /// True before a successful load and after a failed one.
    bool isNull() const;

    /// Natural size in twips (1/1440 inch). A placeable file gives its bounds
    /// at its units per inch. A plain file has no physical size; it is taken
    /// from its window extent (SetWindowExt) at 1440 units per inch, so one
    /// logical unit is one twip; without a window extent the size is empty.
    QSizeF sizeTwips() const;

    /// The picture's frame in its own logical units: the placeable bounds, or
    /// the window origin and extent of a plain file.
    QRectF logicalBounds() const;

    /// Draws the whole picture stretched into `target` (vector, sharp at
    /// every zoom). The painter's state is left as it was. Does nothing for a
    /// null picture or an empty target.
    void draw(QPainter& painter, const QRectF& target) const;

private:
    std::shared_ptr<const WmfRecordList> m_records;
};

/// Reads just the placeable header's natural size (twips) without playing;
/// nullopt when the data does not start with a valid placeable header.
std::optional<QSizeF> placeableSizeTwips(const QByteArray& data);

} // namespace metafile
