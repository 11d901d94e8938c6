#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

struct zip;
struct zip_source;

namespace excel {

/// A zip archive built with libzip, in memory or into a file. Every entry is
/// deflated and carries the same fixed timestamp (1980-01-01 00:00), so the
/// same entries in the same order always give the same bytes. Throws
/// ExcelError (error::kWriteFailed) when libzip fails.
class ZipBuilder {
public:
    /// An archive in memory, handed over by finish().
    ZipBuilder();
    /// An archive written to `archivePath` by close(); entries added from
    /// files are read only then, one at a time, so memory stays small
    /// whatever the archive holds.
    explicit ZipBuilder(const QString& archivePath);
    ~ZipBuilder();
    ZipBuilder(const ZipBuilder&) = delete;
    ZipBuilder& operator=(const ZipBuilder&) = delete;

    /// Adds an entry; names are stored as UTF-8.
    void add(const QString& name, const QByteArray& bytes);
    /// Adds an entry holding the file at `filePath`, which must stay until close().
    void addFile(const QString& name, const QString& filePath);
    /// The whole archive (in memory). No entries can be added afterwards.
    QByteArray finish();
    /// Writes the archive to its file. No entries can be added afterwards.
    void close();

private:
    void addSource(const QString& name, zip_source* source);

    zip_source* m_source = nullptr;
    zip* m_zip = nullptr;
    /// libzip reads the entries' bytes at close time; they are kept until then.
    std::vector<QByteArray> m_keep;
};

} // namespace excel
