#pragma once

// The text a drawing was read from, as saving needs it back: not held in
// memory (a large drawing's text is as big as all its entities) but kept as
// an open read-only descriptor of the file as loaded, with the text's size
// and a content hash. At save the text is read back and checked against the
// hash; a file rewritten in place since the load is noticed, never patched.
// The descriptor keeps the loaded file readable after it was deleted or
// replaced by a rename. Text that did not come from a regular file (a pipe,
// the built-in empty drawing) has nothing to read back and is held instead.

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

struct XXH3_state_s;

namespace cad {

/// XXH3's 128-bit hash of a text: a few milliseconds for a 40 MB drawing.
struct TextHash {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool operator==(const TextHash&) const = default;
};

TextHash hashOfText(const char* data, std::size_t size);

/// A hash taken piece by piece, as the text goes by.
class TextHasher {
public:
    TextHasher();
    ~TextHasher();
    TextHasher(const TextHasher&) = delete;
    TextHasher& operator=(const TextHasher&) = delete;
    void add(const char* data, std::size_t size);
    TextHash result() const;

private:
    XXH3_state_s* m_state;
};

/// What a load is for. A document kept open may be saved: its text is hashed
/// as it is read and the file kept open to read it back. A load that only
/// reports on the drawing (and then ends) needs neither.
enum class ReadPurpose { Keep, Report };

/// An open file descriptor, closed by its last holder.
class OpenFile {
public:
    OpenFile() = default;
    explicit OpenFile(int descriptor);
    int descriptor() const { return m_descriptor ? *m_descriptor : -1; }
    bool isOpen() const { return descriptor() >= 0; }

private:
    struct Closer {
        void operator()(int* descriptor) const;
    };
    std::shared_ptr<int> m_descriptor;
};

class LoadedText {
public:
    /// No text: a source that was never loaded.
    LoadedText() = default;
    /// The text of the regular file open at `file`, as loaded.
    static LoadedText inFile(OpenFile file, qint64 size, TextHash hash);
    /// Text that cannot be read back from a file, held as it is.
    static LoadedText held(QByteArray text);
    /// Text of `size` bytes read only to report on: nothing to read it back
    /// from or check it against, so a document with it is never saved.
    static LoadedText notKept(qint64 size);

    /// False for notKept() text.
    bool isKept() const { return m_kept; }

    qint64 size() const { return m_size; }
    TextHash hash() const { return m_hash; }
    /// The bytes of text this holds in memory: 0 when it is read back from its file.
    qsizetype heldBytes() const { return m_held.size(); }
    /// True when `bytes` are the text as loaded (size and hash).
    bool matches(const QByteArray& bytes) const;
    /// The text as loaded, read again through the kept descriptor; nothing
    /// when it cannot be read or is no longer what was loaded (the file was
    /// truncated or rewritten in place since).
    std::optional<QByteArray> readBack() const;

private:
    OpenFile m_file;
    QByteArray m_held;
    qint64 m_size = 0;
    TextHash m_hash;
    bool m_kept = true;
};

/// The first `limit` bytes of the file open at `descriptor` (fewer when it
/// is shorter), read with pread into one buffer of that size; nothing when
/// reading fails.
std::optional<QByteArray> readText(int descriptor, qint64 limit);

} // namespace cad
