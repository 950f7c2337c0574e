// Reading one section of an INI file, as the alias list of "xbase.cfg" is read.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/IniFile.h"

using platform::ReadIniSection;
using platform_test::TempDir;
using Entries = std::vector<std::pair<std::string, std::string>>;

TEST(IniFile, ReadsTheSectionsLinesInFileOrder) {
    TempDir dir;
    const std::string path = dir.write("xbase.cfg",
                                       "; aliases of the tables\r\n"
                                       "[Other]\r\n"
                                       "TAX=d:\\elsewhere\r\n"
                                       "[Alias]\r\n"
                                       "TAX=c:\\tax\r\n"
                                       "  sales = c:\\sales data  \r\n"
                                       "; not an alias\r\n"
                                       "\r\n"
                                       "QUOTED=\"c:\\with space\\\"\r\n"
                                       "EMPTY=\r\n"
                                       "[Next]\r\n"
                                       "LATE=c:\\late\r\n");
    EXPECT_EQ(ReadIniSection(path, "Alias"), (Entries{{"TAX", "c:\\tax"},
                                                      {"sales", "c:\\sales data"},
                                                      {"QUOTED", "c:\\with space\\"},
                                                      {"EMPTY", ""}}));
}

TEST(IniFile, SectionNameIgnoresCase) {
    TempDir dir;
    const std::string path = dir.write("xbase.cfg", "[ALIAS]\nA=1\n");
    EXPECT_EQ(ReadIniSection(path, "alias"), (Entries{{"A", "1"}}));
    EXPECT_EQ(ReadIniSection(path, "Alias"), (Entries{{"A", "1"}}));
}

TEST(IniFile, FirstSectionOfANameCounts) {
    TempDir dir;
    const std::string path = dir.write("xbase.cfg", "[Alias]\nA=1\n[Other]\nX=0\n[alias]\nB=2\n");
    EXPECT_EQ(ReadIniSection(path, "Alias"), (Entries{{"A", "1"}}));
}

TEST(IniFile, ValueKeepsEqualsSignsAndLineWithoutOneIsAKey) {
    TempDir dir;
    const std::string path =
        dir.write("xbase.cfg", "\xEF\xBB\xBF[Alias]\nA=x=y\nLONELY\n=nokey\nLAST=end");
    EXPECT_EQ(ReadIniSection(path, "Alias"),
              (Entries{{"A", "x=y"}, {"LONELY", ""}, {"LAST", "end"}}));
}

TEST(IniFile, MissingFileOrSectionGivesNothing) {
    TempDir dir;
    EXPECT_TRUE(ReadIniSection(dir.file("none.cfg"), "Alias").empty());
    const std::string path = dir.write("xbase.cfg", "[Other]\nA=1\n");
    EXPECT_TRUE(ReadIniSection(path, "Alias").empty());
    EXPECT_TRUE(ReadIniSection(dir.write("empty.cfg", ""), "Alias").empty());
}
