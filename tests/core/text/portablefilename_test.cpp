#include "core/text/portablefilename.h"

#include <gtest/gtest.h>

TEST(PortableFileName, KeepsOnlyWhatAShellAndPovRayStringsTakeAsItIs) {
    const struct {
        const char* title;
        const char* name;
    } cases[] = {
        {"My Marble 512\u00D7512", "My_Marble_512x512"},
        {"Plain_name-2.0", "Plain_name-2.0"},
        {"  two   blanks\tand a tab ", "two_blanks_and_a_tab"},
        {"Caf\u00E9 Gr\u00FCn \u00C6ther Stra\u00DFe \u00D8re", "Cafe_Grun_AEther_Strasse_Ore"},
        {"say \"cheese\"", "say_cheese"},
        {"it's", "it_s"},
        {"C:\\maps\\wood", "C_maps_wood"},
        {"a/b", "a_b"},
        {"$HOME `rm` *?;|&<>()", "HOME_rm"},
        {"\u00F7 divided", "divided"},
        {"Wood \u2013 oak", "Wood_-_oak"},
        {"\u041C\u0440\u0430\u043C\u043E\u0440 1", "1"},
        {"-rf", "rf"},
        {".hidden.", "hidden"},
        {"a \U0001F600 b", "a_b"},
        {"bad \xFF byte", "bad_byte"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortableFileName(c.title, "Texture_Map"), c.name) << c.title;
}

TEST(PortableFileName, ANameWithNothingLeftIsTheFallback) {
    for (const char* title : {"", "   ", "\"\"", "\u041C\u0440\u0430\u043C\u043E\u0440", "..."})
        EXPECT_EQ(PortableFileName(title, "Texture_Map"), "Texture_Map") << title;
}
