// The reader's table from raw name spellings to ids: every spelling keeps
// its own id through the table's growth, and spellings that differ only in
// case, in length or in bytes beyond ASCII stay apart.

#include "cad/dxf/RawNameIds.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RawNameIds, EverySpellingKeepsItsIdThroughGrowth)
{
    cad::dxf::RawNameIds ids;
    std::vector<std::string> names = {"", "0", "WALL", "wall", "WALL ", "WAL", "\x95\xc7", "\xe5\xa3\x81",
                                      std::string("AB\0", 3), std::string("AB\0\0\0\0\0\0\0", 9), "AB"};
    for (int i = 0; i < 5000; ++i)
        names.push_back("A-DOOR-" + std::to_string(i));
    // Long names alike in their first eight bytes, and ones that differ
    // only past them, as Japanese names in UTF-8 often do.
    for (int i = 0; i < 2000; ++i)
        names.push_back("\xe4\xbb\x95\xe4\xb8\x8a\xe3\x81\x92-" + std::to_string(i) + "-\xe5\xa3\x81");
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_FALSE(ids.find(names[i]).has_value()) << names[i];
        ids.insert(names[i], cad::NameId(i));
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(ids.find(names[i]), cad::NameId(i)) << names[i];
    EXPECT_FALSE(ids.find("A-DOOR-5000").has_value());
    EXPECT_FALSE(ids.find("Wall").has_value());
}

} // namespace
