// Engine error messages, the error list, the hook and the password messages.
#include <gtest/gtest.h>

#include "../table/FieldTestSupport.h"
#include "xbase/file/EngineError.h"

namespace xbase {
namespace {

// Every text of the message list as a person reads it, in search order: a typo in any
// of them fails here.
TEST(EngineErrorList, EveryListedCodeReadsAsWrittenInSearchOrder) {
    const std::string path = "C:\\TAX\\KE_HU.DBF";
    const struct {
        int code;
        const char* message;  // with the path as the report's text
    } cases[] = {
        {2, "File not found - C:\\TAX\\KE_HU.DBF"},
        {3, "Path not found - C:\\TAX\\KE_HU.DBF"},
        {4, "Too many open files - C:\\TAX\\KE_HU.DBF"},
        {5, "File access denied - C:\\TAX\\KE_HU.DBF"},
        {12, "Invalid file access code - C:\\TAX\\KE_HU.DBF"},
        {15, "Invalid drive number - C:\\TAX\\KE_HU.DBF"},
        {32, "File access denied - C:\\TAX\\KE_HU.DBF"},
        {33, "Record locked by another user - C:\\TAX\\KE_HU.DBF"},
        {100, "Disk read error - C:\\TAX\\KE_HU.DBF"},
        {101, "Disk write error - C:\\TAX\\KE_HU.DBF"},
        {102, "File not assigned - C:\\TAX\\KE_HU.DBF"},
        {103, "File not open - C:\\TAX\\KE_HU.DBF"},
        {104, "File not open for input - C:\\TAX\\KE_HU.DBF"},
        {105, "File not open for output - C:\\TAX\\KE_HU.DBF"},
        {106, "Invalid numeric format - C:\\TAX\\KE_HU.DBF"},
        {150, "Disk is write-protected - C:\\TAX\\KE_HU.DBF"},
        {152, "Drive not ready - C:\\TAX\\KE_HU.DBF"},
        {162, "Hardware failure - C:\\TAX\\KE_HU.DBF"},
        {183, "File already exists - C:\\TAX\\KE_HU.DBF"},
        {1001, "dBase DBF file header invalid - C:\\TAX\\KE_HU.DBF"},
        {1002, "dBase record request beyond EOF - C:\\TAX\\KE_HU.DBF"},
        {1003, "dBase field name is invalid - C:\\TAX\\KE_HU.DBF"},
        {1004, "dBase field is of incorrect type - C:\\TAX\\KE_HU.DBF"},
        {1005, "dBase memo record has format error - C:\\TAX\\KE_HU.DBF"},
        {1006, "Formula expression cannot be translated - C:\\TAX\\KE_HU.DBF"},
        {1011, "Number too large to fit in field - C:\\TAX\\KE_HU.DBF"},
        // The password messages put the path in the text itself.
        {1269, "A Password is included for unencrypted file C:\\TAX\\KE_HU.DBF"},
        {1270, "No Password for encrypted file C:\\TAX\\KE_HU.DBF"},
        {1271, "Invalid Password for encrypted file C:\\TAX\\KE_HU.DBF"},
    };
    const auto list = EngineErrorList();
    ASSERT_EQ(list.size(), std::size(cases));
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(list[i].code, c.code) << i;
        const std::string message = c.code >= 1269 ? EncryptionMessage(c.code, path)
                                                   : ComposeEngineMessage(c.code, 1101, path);
        EXPECT_EQ(message, c.message) << c.code;
    }
    EXPECT_EQ(EngineErrorText(221), nullptr);
}

TEST(ComposeEngineMessage, ListedCodeGivesListTextDashAndText) {
    EXPECT_EQ(ComposeEngineMessage(2, 1107, "C:\\TAX\\FA_PIAO.DBF"),
              "File not found - C:\\TAX\\FA_PIAO.DBF");
    EXPECT_EQ(ComposeEngineMessage(33, 1, "T"), "Record locked by another user - T");
    EXPECT_EQ(ComposeEngineMessage(32, 1107, "X"), "File access denied - X");
    // The dash stays when the text is empty.
    EXPECT_EQ(ComposeEngineMessage(1004, 1299, ""), "dBase field is of incorrect type - ");
}

TEST(ComposeEngineMessage, UnlistedCodeGivesCodeSubcodeAndCarriageReturn) {
    EXPECT_EQ(ComposeEngineMessage(9999, 1101, ""), "XBase Error 9999, SubCode 1101.\r");
    // A short file and a file that is none are said in words.
    EXPECT_EQ(ComposeEngineMessage(221, 1207, "C:\\T.DBF"),
              "File is shorter than its header says - C:\\T.DBF");
    EXPECT_EQ(ComposeEngineMessage(1920, 1107, "/tmp/pipe.dbf"),
              "/tmp/pipe.dbf is not a regular file");
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
