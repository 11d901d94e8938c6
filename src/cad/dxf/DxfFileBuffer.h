#pragma once

// The large buffers the reader fills: the file's text, read once into a
// buffer of its own size, and the entity array, both on huge pages where the
// system gives them on request.

#include <QByteArray>
#include <QFile>

#include <cstddef>

namespace cad::dxf {

/// Asks for huge pages under [data, data + size) where the system gives them
/// on request (transparent huge pages in "madvise" mode): a 40 MB drawing
/// then takes some 40 page faults instead of 10,000. Only the whole 2 MB
/// pages inside the range; nothing happens elsewhere.
void adviseHugePages(void* data, std::size_t size);

/// The rest of an open file in one buffer of its size (readAll would round a
/// large file up to the next power of two), on huge pages where possible.
/// The caller checks file.error().
QByteArray readWholeFile(QFile& file);

} // namespace cad::dxf
