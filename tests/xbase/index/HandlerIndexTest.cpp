// The handler's index slots, tag selection, seeks, ranges and the production index.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "IndexTestSupport.h"
#include "TestIndexFormat.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/IndexFile.h"
#include "xbase/index/IndexTag.h"

namespace {

using indextest::Walk;

class HandlerIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = indextest::WriteKeyTable(
            dir_, "T.DBF",
            {{"BOB", 7}, {"ABC", 3}, {"AB", 12}, {"CAT", 3}, {"ABD", 40}, {"ABC", 5}});
    }
    tabletest::TempDir dir_;
    std::string path_;
};

int ErrorCode(const std::function<void()>& action) {
    try {
        action();
    } catch (const xbase::XBaseError& e) {
        return e.code();
    }
    return 0;
}

TEST_F(HandlerIndexTest, OpeningReportsTwiceMissingUnknownAndInvalid) {
    {
        xbase::DbfHandler table(path_, true, true);
        table.CreateIndex(dir_.file("NAMES.NDX"), "", "NAME", "", false, false);
    }
    tabletest::WriteFile(dir_.file("JUNK.NDX"), std::vector<std::uint8_t>(1024, 0xEE));
    tabletest::WriteFile(dir_.file("T.XYZ"), std::vector<std::uint8_t>(1024, 0));
    xbase::DbfHandler table(path_, true, false);
    EXPECT_EQ(table.OpenIndexFile("names"),
              0);  // no extension, no path: NAMES.NDX beside the table
    EXPECT_EQ(table.OpenIndexFile(dir_.file("names.ndx")), -1);
    EXPECT_EQ(table.TagCount(), 1);
    EXPECT_EQ(ErrorCode([&] { table.OpenIndexFile("MISSING.NDX"); }), 2);
    EXPECT_EQ(ErrorCode([&] { table.OpenIndexFile("T.XYZ"); }), 2);
    EXPECT_EQ(ErrorCode([&] { table.OpenIndexFile("JUNK.NDX"); }), 2112);
    EXPECT_EQ(table.TagCount(), 1);
    EXPECT_TRUE(table.HasIndexFiles());
    try {
        table.SelectTag("NOPE");
        FAIL();
    } catch (const xbase::XBaseError& e) {
        EXPECT_STREQ(e.what(), "Cannot find index tag NOPE");
    }
    table.SelectTag(" names ");
    EXPECT_EQ(table.CurrentTagName(), "NAMES");
    EXPECT_EQ(Walk(table), (std::vector<std::int32_t>{3, 2, 6, 5, 1, 4}));
    EXPECT_EQ(Walk(table, true), (std::vector<std::int32_t>{4, 1, 5, 6, 2, 3}));
    table.SelectTag("");
    EXPECT_TRUE(table.ReadAhead());
    EXPECT_EQ(Walk(table), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
    table.CloseIndexFiles();
    EXPECT_FALSE(table.HasIndexFiles());
}

TEST_F(HandlerIndexTest, SeekKeyFollowsExactSoftAndHiddenRecords) {
    xbase::DbfHandler table(path_, true, true);
    table.CreateIndex(dir_.file("NAMES.NDX"), "", "NAME", "", false, false);
    table.CreateIndex(dir_.file("QTY.NDX"), "", "QTY", "", false, false);
    table.GoTo(6);
    table.DeleteRecord();  // the second ABC
    table.SetUseDeleted(false);
    struct Case {
        const char* tag;
        const char* key;
        bool exact;
        bool soft;
        bool found;
        std::int32_t recno;  // 7: past the end
    };
    const Case cases[] = {
        {"NAMES", "ABC", false, false, true, 2},
        {"NAMES", "AB", false, false, true, 3},
        {"NAMES", "ABD", true, false, true, 5},
        {"NAMES", "ABCD", false, false, false, 7},
        {"NAMES", "ABCD", false, true, false, 5},  // stays on the next greater key
        {"NAMES", "B", false, false, true, 1},
        {"NAMES", "B", true, false, false, 7},    // exact: BOB is not B
        {"NAMES", "AB ", false, false, true, 3},  // a blank at the end counts
        {"NAMES", "ZZ", false, true, false, 7},
        {"QTY", "3", false, false, true, 2},
        {"QTY", "12", false, false, true, 3},
        {"QTY", "13", false, true, false, 5},
    };
    for (const Case& c : cases) {
        table.SelectTag(c.tag);
        table.SetExactMatch(c.exact);
        table.SetSoftSeek(c.soft);
        EXPECT_EQ(table.SeekKey(c.key), c.found) << c.tag << " " << c.key;
        EXPECT_EQ(table.Eof() ? 7 : table.CurrentRecord(), c.recno) << c.tag << " " << c.key;
    }
    EXPECT_EQ(table.FindKeyInTag("qty", "40"), 5);
    EXPECT_EQ(table.FindKeyInTag("NAMES", "ZZ"), -1);
}

TEST_F(HandlerIndexTest, RangesLimitTheWalk) {
    xbase::DbfHandler table(path_, true, true);
    table.CreateIndex(dir_.file("NAMES.NDX"), "", "NAME", "", false, false);
    table.SelectTag("NAMES");
    struct Case {
        const char* low;
        const char* high;
        bool partial;
        bool lowIn;
        bool highIn;
        std::vector<std::int32_t> walk;
    };
    const Case cases[] = {
        {"ABC", "BOB", false, true, true, {2, 6, 5, 1}},
        {"ABC", "BOB", false, false, false, {5}},
        {"AB", "AB", true, true, true, {3, 2, 6, 5}},  // every key beginning with AB
        {"AB", "AB", false, true, true, {3}},
        {"", "ABC", false, true, true, {3, 2, 6}},
        {"C", "", false, true, true, {4}},
        {"X", "", false, true, true, {}},
    };
    for (const Case& c : cases) {
        table.SetRange(c.low, c.high, c.partial, c.lowIn, c.highIn);
        EXPECT_EQ(Walk(table), c.walk) << c.low << ".." << c.high;
        std::vector<std::int32_t> back(c.walk.rbegin(), c.walk.rend());
        EXPECT_EQ(Walk(table, true), back) << c.low << ".." << c.high;
    }
    table.ClearRange();
    EXPECT_EQ(Walk(table).size(), 6u);
}

TEST_F(HandlerIndexTest, FilterSetFollowsWrites) {
    xbase::DbfHandler table(path_, true, true);
    table.SetFilterActive(true);
    try {
        table.SetFilter("NAME");
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Filter expression must return boolean result");
    }
    table.SetFilter("QTY > 4");
    EXPECT_EQ(Walk(table), (std::vector<std::int32_t>{1, 3, 5, 6}));
    EXPECT_EQ(Walk(table, true), (std::vector<std::int32_t>{6, 5, 3, 1}));
    indextest::Change(table, 2, "ABC", 50);  // now passes
    indextest::Change(table, 3, "AB", 1);    // now fails
    indextest::Append(table, "NEW", 99);
    EXPECT_EQ(Walk(table), (std::vector<std::int32_t>{1, 2, 5, 6, 7}));
    table.SetFilterActive(false);
    EXPECT_EQ(Walk(table).size(), 7u);
}

// A locate compares field texts (upper-cased when caseless, the last cut when partial) in
// record order. With a tag selected, a case-sensitive locate of the fields a text key
// begins with is a seek: the first match in that tag's order (not in record order), the selected
// tag kept even when another tag served the seek. Other locates scan in record order.
TEST_F(HandlerIndexTest, LocateScansOrSeeksInATagThatBeginsWithTheFields) {
    xbase::DbfHandler table(path_, true, true);
    table.CreateIndex(dir_.file("QTY.NDX"), "", "QTY", "", false, false);
    table.CreateIndex(dir_.file("NAMES.NDX"), "", "NAME", "", false, false);
    struct Case {
        const char* selected;
        const char* fields;
        std::vector<std::string> values;
        bool partial;
        bool caseless;
        std::int32_t recno;  // 0: not found
    };
    const Case cases[] = {
        {"NAMES", "NAME", {"AB"}, true, false, 3},    // AB, ABC, ABC, ABD in tag order
        {"QTY", "NAME", {"AB"}, true, false, 3},      // NAMES serves; QTY stays selected
        {"", "NAME", {"AB"}, true, false, 2},         // no tag: record order
        {"NAMES", "NAME", {"ab"}, true, true, 2},     // caseless: record order
        {"NAMES", "NAME", {"ABC"}, false, false, 2},  // equal keys: the first record
        {"NAMES", "NAME", {"AB"}, false, false, 3},   // exact: "AB" alone
        {"NAMES", "NAME;QTY", {"ABC", "5"}, false, false, 6},
        {"NAMES", "NAME", {"ABX"}, false, false, 0},
        {"NAMES", "NAME", {"ABCDEFGHIJKLMNOP"}, true, false, 0},
        {"", "NAME", {"ABC"}, false, false, 2},
        {"", "NAME;QTY", {"ABC", "5"}, false, false, 6},
        {"", "NAME", {"abd"}, false, true, 5},
        {"", "NAME", {"abd"}, false, false, 0},
        {"", "NAME", {"CA"}, true, false, 4},
        {"", "NAME", {"CA"}, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.selected) + " " + c.values[0]);
        table.SelectTag(c.selected);
        table.GoTo(4);
        const bool found = table.LocateRecord(c.fields, c.values, c.partial, c.caseless);
        EXPECT_EQ(found, c.recno != 0);
        EXPECT_EQ(table.CurrentRecord(), found ? c.recno : 4);
        EXPECT_EQ(table.CurrentTagName(), c.selected);
    }
}

TEST_F(HandlerIndexTest, AProductionIndexThatCannotBeKeptStopsWrites) {
    // The header flags a production index that is not there.
    std::vector<std::uint8_t> bytes = tabletest::ReadFile(path_);
    bytes[28] |= 1;
    tabletest::WriteFile(path_, bytes);
    const std::vector<std::uint8_t> before = tabletest::ReadFile(path_);
    {
        xbase::DbfHandler table(path_, true, true);
        table.GoTo(1);
        try {
            indextest::Change(table, 1, "ZED", 1);
            FAIL() << "written without its production index";
        } catch (const xbase::XBaseError& e) {
            EXPECT_NE(std::string(e.what()).find("T.CDX"), std::string::npos) << e.what();
        }
        EXPECT_THROW(indextest::Append(table, "ZED", 1), xbase::XBaseError);
    }
    EXPECT_EQ(tabletest::ReadFile(path_), before);
    // Reading needs no index; a caller may choose to write without it.
    xbase::DbfHandler table(path_, true, true);
    table.SetIgnoreProductionIndex(true);
    EXPECT_EQ(Walk(table).size(), 6u);
    EXPECT_EQ(indextest::Append(table, "ZED", 1), 7);
}

TEST_F(HandlerIndexTest, HostileNodePointersRaise2112NamingTheFile) {
    {
        xbase::DbfHandler table(path_, true, true);
        for (int i = 0; i < 200; ++i) indextest::Append(table, "K" + std::to_string(i), i);
        table.CreateIndex(dir_.file("NAMES.NDX"), "", "NAME", "", false, false);
    }
    const std::vector<std::uint8_t> good = tabletest::ReadFile(dir_.file("NAMES.NDX"));
    std::uint32_t root;
    std::memcpy(&root, good.data(), 4);
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> spoil;
    };
    const Case cases[] = {
        {"child points at itself", [&](auto& b) { std::memcpy(&b[root * 512 + 4], &root, 4); }},
        {"child outside the file",
         [&](auto& b) {
             std::uint32_t far = 99999;
             std::memcpy(&b[root * 512 + 4], &far, 4);
         }},
        {"second child is the header",
         [&](auto& b) { std::memset(&b[root * 512 + 4 + 16], 0, 4); }},
        {"count beyond the page",
         [&](auto& b) {
             b[root * 512] = 0xFF;
             b[root * 512 + 1] = 0x7F;
         }},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = good;
        c.spoil(bytes);
        tabletest::WriteFile(dir_.file("NAMES.NDX"), bytes);
        xbase::DbfHandler table(path_, true, false);
        try {
            table.OpenIndexFile("NAMES.NDX");
            table.SelectTag("NAMES");
            Walk(table);
            table.SeekKey("K5");
            ADD_FAILURE() << c.what << ": no error";
        } catch (const xbase::XBaseError& e) {
            EXPECT_EQ(e.code(), 2112) << c.what;
            EXPECT_NE(std::string(e.what()).find("NAMES.NDX"), std::string::npos)
                << c.what << ": " << e.what();
        }
    }
}

}  // namespace

// A build that fails (an unknown field, a key too long for the format, mismatched types)
// leaves the index file byte for byte as it was, whether it was closed or open in this
// handler (then its tag is still selected and walks), and leaves no file where none was.
TEST_F(HandlerIndexTest, AFailedBuildLeavesTheIndexFileAsItWas) {
    std::string tooLong = "NAME";
    for (int i = 0; i < 63; ++i) tooLong += "+NAME";  // longer than any format's key
    for (const char* extension : {".NTX", ".NDX", ".MDX", ".CDX"}) {
        for (const std::string& key : {std::string("NOSUCH"), tooLong, std::string("QTY+NAME")}) {
            SCOPED_TRACE(std::string(extension) + " " + key.substr(0, 12));
            const std::string index = dir_.file(std::string("NAMES") + extension);
            const std::string fresh = dir_.file(std::string("FRESH") + extension);
            std::filesystem::remove(index);
            xbase::DbfHandler table(path_, true, true);
            table.CreateIndex(index, "NAMES", "NAME", "", false, false);
            table.CloseIndexFiles();
            const std::vector<std::uint8_t> before = tabletest::ReadFile(index);
            EXPECT_THROW(table.CreateIndex(index, "NAMES", key, "", false, false), std::exception);
            EXPECT_EQ(tabletest::ReadFile(index), before) << "closed";
            EXPECT_THROW(table.CreateIndex(fresh, "NAMES", key, "", false, false), std::exception);
            EXPECT_FALSE(std::filesystem::exists(fresh));

            ASSERT_EQ(table.OpenIndexFile(index), 0);
            table.SelectTag("NAMES");
            EXPECT_THROW(table.CreateIndex(index, "NAMES", key, "", false, false), std::exception);
            EXPECT_THROW(table.CreateIndex(index, "OTHER", key, "", false, false), std::exception);
            EXPECT_EQ(table.CurrentTagName(), "NAMES");
            EXPECT_EQ(Walk(table), (std::vector<std::int32_t>{3, 2, 6, 5, 1, 4}));
            table.CloseIndexFiles();
            EXPECT_EQ(tabletest::ReadFile(index), before) << "open";
            // A build that replaces the selected tag leaves it selected.
            ASSERT_EQ(table.OpenIndexFile(index), 0);
            table.SelectTag("NAMES");
            table.CreateIndex(index, "NAMES", "NAME", "", false, false);
            EXPECT_EQ(table.CurrentTagName(), "NAMES");
            EXPECT_EQ(Walk(table), (std::vector<std::int32_t>{3, 2, 6, 5, 1, 4}));
            table.CloseIndexFiles();
        }
    }
}
