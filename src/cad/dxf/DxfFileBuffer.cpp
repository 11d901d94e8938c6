#include "DxfFileBuffer.h"

#include <cstdint>
#include <limits>

#include <sys/mman.h>

namespace cad::dxf {

void adviseHugePages(void* data, std::size_t size)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t huge = std::uintptr_t(2) << 20;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + huge - 1) & ~(huge - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(huge - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    static_cast<void>(data);
    static_cast<void>(size);
#endif
}

QByteArray readWholeFile(QFile& file)
{
    const qint64 size = file.size() - file.pos();
    if (size <= 0 || size >= std::numeric_limits<qsizetype>::max() / 2 || file.isSequential())
        return file.readAll();
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    adviseHugePages(bytes.data(), std::size_t(size));
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(bytes.data() + done, size - done);
        if (got <= 0)
            break;
        done += got;
    }
    bytes.truncate(qsizetype(done));
    // The file grew while it was read: take the rest too.
    if (done == size && !file.atEnd())
        bytes += file.readAll();
    return bytes;
}

} // namespace cad::dxf
