#include "LoadedText.h"

#include <xxhash.h>

#include <cerrno>
#include <limits>

#include <unistd.h>

namespace cad {

namespace {

TextHash fromXxh(XXH128_hash_t h)
{
    return {h.low64, h.high64};
}

} // namespace

TextHash hashOfText(const char* data, std::size_t size)
{
    return fromXxh(XXH3_128bits(data, size));
}

TextHasher::TextHasher() : m_state(XXH3_createState())
{
    if (!m_state)
        throw std::bad_alloc();
    XXH3_128bits_reset(m_state);
}

TextHasher::~TextHasher()
{
    XXH3_freeState(m_state);
}

void TextHasher::add(const char* data, std::size_t size)
{
    XXH3_128bits_update(m_state, data, size);
}

TextHash TextHasher::result() const
{
    return fromXxh(XXH3_128bits_digest(m_state));
}

OpenFile::OpenFile(int descriptor)
{
    if (descriptor >= 0)
        m_descriptor = std::shared_ptr<int>(new int(descriptor), Closer());
}

void OpenFile::Closer::operator()(int* descriptor) const
{
    ::close(*descriptor);
    delete descriptor;
}

LoadedText LoadedText::inFile(OpenFile file, qint64 size, TextHash hash)
{
    LoadedText text;
    text.m_file = std::move(file);
    text.m_size = size;
    text.m_hash = hash;
    return text;
}

LoadedText LoadedText::held(QByteArray bytes)
{
    LoadedText text;
    text.m_size = bytes.size();
    text.m_hash = hashOfText(bytes.constData(), std::size_t(bytes.size()));
    text.m_held = std::move(bytes);
    return text;
}

LoadedText LoadedText::notKept(qint64 size)
{
    LoadedText text;
    text.m_size = size;
    text.m_kept = false;
    return text;
}

bool LoadedText::matches(const QByteArray& bytes) const
{
    return m_kept && bytes.size() == m_size && hashOfText(bytes.constData(), std::size_t(bytes.size())) == m_hash;
}

std::optional<QByteArray> LoadedText::readBack() const
{
    if (!m_kept)
        return std::nullopt;
    if (!m_file.isOpen())
        return m_held;
    // A file that has only grown since still holds the loaded text in front.
    std::optional<QByteArray> text = readText(m_file.descriptor(), m_size);
    if (!text || !matches(*text))
        return std::nullopt;
    return text;
}

std::optional<QByteArray> readText(int descriptor, qint64 limit)
{
    if (limit < 0 || limit >= std::numeric_limits<qsizetype>::max() / 2)
        return std::nullopt;
    QByteArray text(qsizetype(limit), Qt::Uninitialized);
    qint64 done = 0;
    while (done < limit) {
        const ssize_t got = ::pread(descriptor, text.data() + done, size_t(limit - done), off_t(done));
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        done += got;
    }
    text.truncate(qsizetype(done));
    return text;
}

} // namespace cad
