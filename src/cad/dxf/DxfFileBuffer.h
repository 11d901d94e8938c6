#pragma once

// The file's text while the reader parses it. A regular file is read
// through a read-only private mapping, read ahead sequentially; the pages the
// parse has passed are given back to the file cache as it goes, so neither
// the text nor its pages stay in memory: what a load holds at its peak is the
// drawing being built. Read to keep (a document that may be saved), the text
// is hashed on the way for the save's check; read to report (a load that
// keeps no document) it is not. After the load nothing reads the mapping (it
// is gone): a file truncated later cannot fault the process. What cannot be
// mapped (a pipe, a special file) is read into one buffer of its size.

#include "cad/LoadedText.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>

namespace cad::dxf {

/// Asks for huge pages under [data, data + size) where the system gives them
/// on request (transparent huge pages in "madvise" mode): a 40 MB array then
/// takes some 40 page faults instead of 10,000. Only the whole 2 MB pages
/// inside the range; nothing happens elsewhere.
void adviseHugePages(void* data, std::size_t size);

/// The rest of an open file in one buffer of its size (readAll would round a
/// large file up to the next power of two), on huge pages where possible.
/// The caller checks file.error().
QByteArray readWholeFile(QFile& file);

/// The file at `path` opened read-only. Throws DxfFormatError when it cannot be.
OpenFile openForReading(const QString& path);

class DxfFileBuffer {
public:
    /// The text of the file open at `file`, from its start; `path` names it
    /// in messages. Throws DxfFormatError when it cannot be read.
    DxfFileBuffer(OpenFile file, const QString& path, ReadPurpose purpose = ReadPurpose::Keep);
    ~DxfFileBuffer();
    DxfFileBuffer(const DxfFileBuffer&) = delete;
    DxfFileBuffer& operator=(const DxfFileBuffer&) = delete;

    /// The whole text, without a copy: valid only while this buffer lives
    /// and before finish(); nothing may keep it or a view into it.
    QByteArray text() const;
    bool isMapped() const { return m_mapped != nullptr; }
    /// The parse needs no byte before `offset` any more: they are hashed
    /// (read to keep) and their pages given back, a few megabytes at a time.
    void doneBefore(qsizetype offset);
    /// True when the file got shorter while it was read: the pages past its
    /// new end read as zeros, and the parse's result is not the file.
    bool wasCut() const;
    /// Throws DxfFormatError (cannot read, cut while read) when wasCut().
    void throwIfCut() const;
    /// Ends the load: what saving needs to read the text back (the open
    /// file, the text's size and hash), or the buffer itself when the text
    /// was not mapped; read to report, only the text's size. The text is
    /// gone afterwards.
    LoadedText finish();

private:
    void unmap();

    OpenFile m_file;
    QString m_path;
    ReadPurpose m_purpose;
    const char* m_mapped = nullptr;
    qsizetype m_size = 0;
    QByteArray m_buffer;
    qsizetype m_released = 0;
    TextHasher m_hasher;
    int m_guardSlot = -1;
};

} // namespace cad::dxf
