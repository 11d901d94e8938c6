#include "metafile/WmfPenTable.h"

#include <gtest/gtest.h>

using metafile::WmfPen;
using metafile::WmfPenTable;

TEST(WmfPenTable, OnePenAKeyUntilTheTableIsFull)
{
    // Pens are made once for a key; once the table is full a new key is
    // held in place, while the pens it already has are still found.
    WmfPenTable table(WmfPen{QPen(Qt::black, 0), 0, {}, -1});
    int made = 0;
    const auto make = [&] {
        ++made;
        return WmfPen{QPen(Qt::red, 0), 2, {}, -1};
    };
    const std::uint32_t first = table.shared(1, make);
    EXPECT_EQ(first, 1u); // the table's own first pen is 0
    EXPECT_EQ(table.shared(1, make), first);
    EXPECT_EQ(made, 1);
    for (std::uint64_t key = 2; key < 65536; ++key)
        EXPECT_NE(table.shared(key, make), WmfPenTable::heldInPlace);
    EXPECT_EQ(table.shared(70000, make), WmfPenTable::heldInPlace);
    EXPECT_EQ(table.shared(1, make), first);
    WmfPen held{QPen(Qt::blue, 0), 3, {}, -1};
    EXPECT_EQ(table.at(WmfPenTable::heldInPlace, held).pen.color(), QColor(Qt::blue));
    EXPECT_EQ(table.at(first, held).pen.color(), QColor(Qt::red));
}

TEST(WmfPenTable, APenNarrowerThanAPixelDrawsOnePixelWideAtEveryScale)
{
    // Half a unit wide: one pixel (cosmetic) at one pixel a unit, half a
    // unit at four pixels a unit, and one pixel again when the scale
    // comes back.
    QPen source(Qt::red, 0, Qt::DashLine);
    source.setCosmetic(true);
    WmfPenTable table(WmfPen{source, 0.5, {}, -1});
    WmfPen held;
    EXPECT_TRUE(table.drawnAt(0, held, 1).isCosmetic());
    EXPECT_EQ(table.drawnAt(0, held, 1).widthF(), 0);
    const QPen zoomed = table.drawnAt(0, held, 4);
    EXPECT_FALSE(zoomed.isCosmetic());
    EXPECT_EQ(zoomed.widthF(), 0.5);
    EXPECT_EQ(zoomed.style(), Qt::DashLine);
    EXPECT_EQ(zoomed.color(), QColor(Qt::red));
    EXPECT_TRUE(table.drawnAt(0, held, 1).isCosmetic());
}
