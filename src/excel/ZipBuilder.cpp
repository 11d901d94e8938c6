#include "ZipBuilder.h"

#include "ExcelError.h"

#include <QFile>

#include <zip.h>

namespace excel {
namespace {

[[noreturn]] void fail(const QString& why)
{
    throw ExcelError(error::kWriteFailed, why);
}

QString libzipError(zip_t* archive)
{
    return QString::fromUtf8(zip_strerror(archive));
}

} // namespace

ZipBuilder::ZipBuilder()
{
    zip_error_t error;
    zip_error_init(&error);
    m_source = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!m_source) {
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        fail(QStringLiteral("cannot create the package buffer: %1").arg(why));
    }
    // The source must outlive the archive: the finished bytes are read from it.
    zip_source_keep(m_source);
    m_zip = zip_open_from_source(m_source, ZIP_TRUNCATE, &error);
    if (!m_zip) {
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        zip_source_free(m_source);
        fail(QStringLiteral("cannot open the package: %1").arg(why));
    }
    zip_error_fini(&error);
}

ZipBuilder::ZipBuilder(const QString& archivePath)
{
    int code = 0;
    m_zip = zip_open(QFile::encodeName(archivePath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!m_zip) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        fail(QStringLiteral("cannot open the package %1: %2").arg(archivePath, why));
    }
}

ZipBuilder::~ZipBuilder()
{
    if (m_zip)
        zip_discard(m_zip);
    zip_source_free(m_source);
}

void ZipBuilder::add(const QString& name, const QByteArray& bytes)
{
    if (!m_zip)
        fail(QStringLiteral("the package is already finished"));
    // Copies of a QByteArray share its data, so the pointer stays valid while it is kept.
    m_keep.push_back(bytes);
    const QByteArray& kept = m_keep.back();
    addSource(name, zip_source_buffer(m_zip, kept.constData(), zip_uint64_t(kept.size()), 0));
}

void ZipBuilder::addFile(const QString& name, const QString& filePath)
{
    if (!m_zip)
        fail(QStringLiteral("the package is already finished"));
    addSource(name, zip_source_file(m_zip, QFile::encodeName(filePath).constData(), 0, -1));
}

void ZipBuilder::addSource(const QString& name, zip_source* source)
{
    if (!source)
        fail(QStringLiteral("cannot add %1: %2").arg(name, libzipError(m_zip)));
    const zip_int64_t index = zip_file_add(m_zip, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        fail(QStringLiteral("cannot add %1: %2").arg(name, libzipError(m_zip)));
    }
    // 1980-01-01 00:00, the earliest DOS date.
    constexpr zip_uint16_t kDosTime = 0;
    constexpr zip_uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;
    if (zip_file_set_dostime(m_zip, zip_uint64_t(index), kDosTime, kDosDate, 0) < 0
        || zip_set_file_compression(m_zip, zip_uint64_t(index), ZIP_CM_DEFLATE, 6) < 0)
        fail(QStringLiteral("cannot set up %1: %2").arg(name, libzipError(m_zip)));
}

void ZipBuilder::close()
{
    if (!m_zip || m_source)
        fail(QStringLiteral("the package is already finished"));
    if (zip_close(m_zip) < 0)
        fail(QStringLiteral("cannot write the package: %1").arg(libzipError(m_zip)));
    m_zip = nullptr;
    m_keep.clear();
}

QByteArray ZipBuilder::finish()
{
    if (!m_zip || !m_source)
        fail(QStringLiteral("the package is already finished"));
    if (zip_close(m_zip) < 0)
        fail(QStringLiteral("cannot write the package: %1").arg(libzipError(m_zip)));
    m_zip = nullptr;
    m_keep.clear();

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(m_source, &st) < 0 || zip_source_open(m_source) < 0)
        fail(QStringLiteral("cannot read the package back"));
    QByteArray out;
    out.resize(qsizetype(st.size));
    const zip_int64_t got = zip_source_read(m_source, out.data(), st.size);
    zip_source_close(m_source);
    if (got < 0 || zip_uint64_t(got) != st.size)
        fail(QStringLiteral("cannot read the package back"));
    return out;
}

} // namespace excel
