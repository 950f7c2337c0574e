// Engine error messages, the error list, the hook and the password messages.
#include <gtest/gtest.h>

#include "../table/FieldTestSupport.h"
#include "xbase/file/EngineError.h"

namespace xbase {
namespace {

TEST(EngineErrorList, HoldsTheTwentyNineCodesInSearchOrder) {
    const int expected[] = {2,   3,   4,   5,   12,  15,  32,   33,   100,  101,
                            102, 103, 104, 105, 106, 150, 152,  162,  183,  1001,
                            1002, 1003, 1004, 1005, 1006, 1011, 1269, 1270, 1271};
    auto list = EngineErrorList();
    ASSERT_EQ(list.size(), std::size(expected));
    for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].code, expected[i]) << i;
    EXPECT_EQ(list[0].text, "File not found");
    EXPECT_EQ(list[25].text, "Number too large to fit in field");
    for (int code : {1269, 1270, 1271})
        EXPECT_NE(EngineErrorText(code)->find("%s"), std::string_view::npos) << code;
    EXPECT_EQ(EngineErrorText(221), nullptr);
}

TEST(ComposeEngineMessage, ListedCodeGivesListTextDashAndText) {
    EXPECT_EQ(ComposeEngineMessage(2, 1107, "C:\\TAX\\FA_PIAO.DBF"), "File not found - C:\\TAX\\FA_PIAO.DBF");
    EXPECT_EQ(ComposeEngineMessage(33, 1, "T"), "Record locked by another user - T");
    EXPECT_EQ(ComposeEngineMessage(32, 1107, "X"), "File access denied - X");
    // The dash stays when the text is empty.
    EXPECT_EQ(ComposeEngineMessage(1004, 1299, ""), "dBase field is of incorrect type - ");
}

TEST(ComposeEngineMessage, UnlistedCodeGivesCodeSubcodeAndCarriageReturn) {
    EXPECT_EQ(ComposeEngineMessage(9999, 1101, ""), "XBase Error 9999, SubCode 1101.\r");
    // A short file and a file that is none are said in words.
    EXPECT_EQ(ComposeEngineMessage(221, 1207, "C:\\T.DBF"), "File is shorter than its header says - C:\\T.DBF");
    EXPECT_EQ(ComposeEngineMessage(1920, 1107, "/tmp/pipe.dbf"), "/tmp/pipe.dbf is not a regular file");
    // Subcode -7 means none: left out of the first part, yet written after the text.
    EXPECT_EQ(ComposeEngineMessage(2112, -7, "X"), "XBase Error 2112.\r X>-7");
    EXPECT_EQ(ComposeEngineMessage(2112, -3, ""), "XBase Error 2112, SubCode -3.\r");
}

TEST(RaiseEngineError, ThrowsXBaseErrorWithCodeSubcodeAndMessage) {
    test::ExpectEngineError([] { RaiseEngineError(1011, 1261, "QTY - 99999"); }, 1011, 1261,
                            "Number too large to fit in field - QTY - 99999");
}

TEST(EngineErrorHook, EveryReportPassesTheReplaceableHook) {
    EXPECT_EQ(EngineErrorHook(), &RaiseEngineError);
    EXPECT_THROW(ReportEngineError(2, 1107, "A"), XBaseError);
    {
        test::RecordingHook hook;
        ReportEngineError(33, 1101, "LOCKED");  // returns: the hook does not throw
        ASSERT_EQ(test::RecordingHook::reports().size(), 1u);
        EXPECT_EQ(test::RecordingHook::reports()[0].code, 33);
        EXPECT_EQ(test::RecordingHook::reports()[0].subcode, 1101);
        EXPECT_EQ(test::RecordingHook::reports()[0].text, "LOCKED");
    }
    EXPECT_EQ(EngineErrorHook(), &RaiseEngineError);
    SetEngineErrorHook(nullptr);  // no hook at all would lose reports: default again
    EXPECT_EQ(EngineErrorHook(), &RaiseEngineError);
}

TEST(EncryptionMessage, FillsTheFullPathIntoThePasswordTexts) {
    const std::string path = "C:\\TAX\\FA_PIAO.DBF";
    EXPECT_EQ(EncryptionMessage(1269, path), "A Password is included for unencrypted file C:\\TAX\\FA_PIAO.DBF");
    EXPECT_EQ(EncryptionMessage(1270, path), "No Password for encrypted file C:\\TAX\\FA_PIAO.DBF");
    EXPECT_EQ(EncryptionMessage(1271, path), "Invalid Password for encrypted file C:\\TAX\\FA_PIAO.DBF");
    try {
        RaiseEncryptionError(1270, path);
        FAIL() << "no exception";
    } catch (const XBaseError&) {
        FAIL() << "password errors are not engine errors";
    } catch (const XBaseEncryptionError& e) {
        EXPECT_STREQ(e.what(), "No Password for encrypted file C:\\TAX\\FA_PIAO.DBF");
    }
}

}  // namespace
}  // namespace xbase
