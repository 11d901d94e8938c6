#pragma once

// The proxy-graphics stream that ACAD_PROXY_ENTITY and other custom entities
// carry (groups 92 or 160 with the byte count, then 310 chunks in hex): the
// picture the writing application drew of the entity, as a list of little-
// endian records (size, type, data). It is read from untrusted bytes, so every
// count is checked against the bytes that remain and the output is bounded.

#include "cad/Entity.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace cad::dxf {

/// What the stream refers to outside itself.
struct ProxyContext {
    /// The name of the layer / linetype at a table index (table order), or
    /// kNoName when the index is outside the table.
    std::function<NameId(std::uint32_t)> layerAt;
    std::function<NameId(std::uint32_t)> linetypeAt;
    /// 8-bit text in the drawing's code page.
    std::function<QString(std::string_view)> decode;
    /// The file is R2010 or later (its LWPOLYLINE records may list vertex ids).
    bool r2010 = true;
};

/// No stream yields more primitives or points than these.
constexpr std::size_t kMaxProxyPrimitives = 100000;
constexpr std::size_t kMaxProxyPoints = 1000000;

/// The primitives drawn by `stream` in order; what follows a damaged record
/// is left out, what came before it is kept.
std::vector<ProxyPrimitive> decodeProxyGraphics(const QByteArray& stream, const ProxyContext& context);

/// The bytes of the hex chunks (310 values) that follow a size group, up to
/// `declaredSize` bytes when that is positive; a chunk that is not hex ends it.
QByteArray proxyBytesFromHex(const std::vector<std::string_view>& chunks, std::int64_t declaredSize);

} // namespace cad::dxf
