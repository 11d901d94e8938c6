#include "DxfFileBuffer.h"

#include "DxfMessages.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cad::dxf {

namespace {

/// Pages given back at a time: few madvise calls, little text resident.
constexpr qsizetype kReleaseStep = qsizetype(4) << 20;

// Set before main: the signal handler below reads it.
const qsizetype g_pageSize = qsizetype(sysconf(_SC_PAGESIZE));

// A file truncated by another program while it is mapped would raise SIGBUS
// when the parse reaches the missing pages. The guard puts a page of zeros
// in place of a missing page inside a mapping being parsed and notes the
// cut; any other SIGBUS goes on to the handler that was there before.
struct GuardedRange {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> cut{false};
};
constexpr int kGuardSlots = 16;
GuardedRange g_guarded[kGuardSlots];
struct sigaction g_previousBusAction;

void onBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (GuardedRange& range : g_guarded) {
        if (address >= range.begin.load() && address < range.end.load()) {
            const std::uintptr_t page = address & ~std::uintptr_t(g_pageSize - 1);
            if (mmap(reinterpret_cast<void*>(page), size_t(g_pageSize), PROT_READ,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
                range.cut.store(true);
                return;
            }
        }
    }
    if (g_previousBusAction.sa_flags & SA_SIGINFO) {
        if (g_previousBusAction.sa_sigaction)
            g_previousBusAction.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previousBusAction.sa_handler == SIG_IGN)
        return;
    if (g_previousBusAction.sa_handler != SIG_DFL && g_previousBusAction.sa_handler)
        return g_previousBusAction.sa_handler(signal);
    // The default: end the process with the signal, as without the guard
    // (delivered once this handler returns).
    ::signal(SIGBUS, SIG_DFL);
    ::raise(signal);
}

void installBusGuard()
{
    static const bool installed = [] {
        struct sigaction action = {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        return sigaction(SIGBUS, &action, &g_previousBusAction) == 0;
    }();
    static_cast<void>(installed);
}

int guard(const char* data, qsizetype size)
{
    installBusGuard();
    for (int i = 0; i < kGuardSlots; ++i) {
        std::uintptr_t free = 0;
        if (g_guarded[i].begin.compare_exchange_strong(free, reinterpret_cast<std::uintptr_t>(data))) {
            g_guarded[i].cut.store(false);
            g_guarded[i].end.store(reinterpret_cast<std::uintptr_t>(data) + std::uintptr_t(size));
            return i;
        }
    }
    return -1; // more loads at once than slots: unguarded, as any mapping
}

void unguard(int slot)
{
    if (slot < 0)
        return;
    g_guarded[slot].end.store(0);
    g_guarded[slot].begin.store(0);
}

} // namespace

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

OpenFile openForReading(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DxfFormatError(DxfFormatError::Kind::CannotOpen, {path, file.errorString()});
    // A descriptor of its own outlives the QFile.
    const int descriptor = ::fcntl(file.handle(), F_DUPFD_CLOEXEC, 0);
    if (descriptor < 0)
        throw DxfFormatError(DxfFormatError::Kind::CannotOpen, {path, QString::fromLocal8Bit(std::strerror(errno))});
    return OpenFile(descriptor);
}

DxfFileBuffer::DxfFileBuffer(OpenFile file, const QString& path, ReadPurpose purpose)
    : m_file(std::move(file)), m_path(path), m_purpose(purpose)
{
    struct stat status = {};
    if (fstat(m_file.descriptor(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0
        && status.st_size < std::numeric_limits<qsizetype>::max() / 2) {
        void* mapped = mmap(nullptr, size_t(status.st_size), PROT_READ, MAP_PRIVATE, m_file.descriptor(), 0);
        if (mapped != MAP_FAILED) {
            m_mapped = static_cast<const char*>(mapped);
            m_size = qsizetype(status.st_size);
            madvise(mapped, size_t(m_size), MADV_SEQUENTIAL);
            m_guardSlot = guard(m_mapped, m_size);
            return;
        }
    }
    QFile whole;
    if (!whole.open(m_file.descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        throw DxfFormatError(DxfFormatError::Kind::CannotOpen, {path, whole.errorString()});
    m_buffer = readWholeFile(whole);
    if (whole.error() != QFileDevice::NoError)
        throw DxfFormatError(DxfFormatError::Kind::CannotRead, {path, whole.errorString()});
    m_size = m_buffer.size();
}

DxfFileBuffer::~DxfFileBuffer()
{
    unmap();
}

void DxfFileBuffer::unmap()
{
    if (!m_mapped)
        return;
    unguard(m_guardSlot);
    m_guardSlot = -1;
    munmap(const_cast<char*>(m_mapped), size_t(m_size));
    m_mapped = nullptr;
}

QByteArray DxfFileBuffer::text() const
{
    return m_mapped ? QByteArray::fromRawData(m_mapped, m_size) : m_buffer;
}

void DxfFileBuffer::doneBefore(qsizetype offset)
{
    if (!m_mapped || offset - m_released < kReleaseStep)
        return;
    const qsizetype end = std::min(offset, m_size) & ~(g_pageSize - 1);
    if (m_purpose == ReadPurpose::Keep)
        m_hasher.add(m_mapped + m_released, size_t(end - m_released));
    madvise(const_cast<char*>(m_mapped) + m_released, size_t(end - m_released), MADV_DONTNEED);
    m_released = end;
}

bool DxfFileBuffer::wasCut() const
{
    return m_guardSlot >= 0 && g_guarded[m_guardSlot].cut.load();
}

void DxfFileBuffer::throwIfCut() const
{
    if (wasCut())
        throw DxfFormatError(DxfFormatError::Kind::CannotRead,
                             {m_path, QStringLiteral("読み込み中にファイルが短くなりました")});
}

LoadedText DxfFileBuffer::finish()
{
    if (m_purpose == ReadPurpose::Report) {
        unmap();
        m_buffer.clear();
        return LoadedText::notKept(m_size);
    }
    if (!m_mapped)
        return LoadedText::held(std::move(m_buffer));
    m_hasher.add(m_mapped + m_released, size_t(m_size - m_released));
    const TextHash hash = m_hasher.result();
    unmap();
    return LoadedText::inFile(std::move(m_file), m_size, hash);
}

} // namespace cad::dxf
