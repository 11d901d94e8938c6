#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

struct zip;
struct zip_source;

namespace excel {

/// A zip archive built in memory with libzip. Every entry is deflated and
/// carries the same fixed timestamp (1980-01-01 00:00), so the same entries in
/// the same order always give the same bytes. Throws ExcelError
/// (error::kWriteFailed) when libzip fails.
class ZipBuilder {
public:
    ZipBuilder();
    ~ZipBuilder();
    ZipBuilder(const ZipBuilder&) = delete;
    ZipBuilder& operator=(const ZipBuilder&) = delete;

    /// Adds an entry; names are stored as UTF-8.
    void add(const QString& name, const QByteArray& bytes);
    /// The whole archive. No entries can be added afterwards.
    QByteArray finish();

private:
    zip_source* m_source = nullptr;
    zip* m_zip = nullptr;
    /// libzip reads the entries' bytes at close time; they are kept until then.
    std::vector<QByteArray> m_keep;
};

} // namespace excel
