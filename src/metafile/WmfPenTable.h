#pragma once

#include <QPen>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace metafile {

/// A pen as the file makes it, and as the painter draws it at the device
/// scale it was last drawn at.
struct WmfPen {
    QPen pen;
    double width = 0; ///< logical units; 0 draws one pixel wide
    QPen drawn;
    double drawnScale = -1;
};

/// `pen` `width` logical units wide as the painter draws it `deviceScale`
/// device units a logical unit.
QPen drawnPen(const QPen& pen, double width, double deviceScale);

/// The picture's distinct pens, by style, colour and width: a whole drawing
/// makes a pen for nearly every line, from a few hundred distinct ones, and
/// objects and device contexts hold just their index.
class WmfPenTable {
public:
    /// An index for a pen held in place, outside the table (once it is full).
    static constexpr std::uint32_t heldInPlace = 0xFFFFFFFF;

    /// The table starts with `first` at index 0.
    explicit WmfPenTable(WmfPen first) { m_pens.push_back(std::move(first)); }

    /// The pen the table holds for `key` (style, colour and width), made
    /// from `make` the first time; heldInPlace once the table is full.
    template <typename Make>
    std::uint32_t shared(std::uint64_t key, Make&& make)
    {
        if (const auto found = m_index.find(key); found != m_index.end())
            return found->second;
        if (m_pens.size() >= maximumPens)
            return heldInPlace;
        m_pens.push_back(make());
        const auto index = std::uint32_t(m_pens.size() - 1);
        m_index.emplace(key, index);
        return index;
    }

    /// The pen at `index`, or `held` for heldInPlace.
    WmfPen& at(std::uint32_t index, WmfPen& held) { return index == heldInPlace ? held : m_pens[index]; }
    const WmfPen& at(std::uint32_t index, const WmfPen& held) const
    {
        return index == heldInPlace ? held : m_pens[index];
    }

    /// The pen at `index` (or `held`) brought to the painter's pen at
    /// `deviceScale`, made again only when it was last drawn at another.
    const QPen& drawnAt(std::uint32_t index, WmfPen& held, double deviceScale);

private:
    static constexpr std::size_t maximumPens = 65536;

    std::vector<WmfPen> m_pens;
    std::unordered_map<std::uint64_t, std::uint32_t> m_index;
};

} // namespace metafile
