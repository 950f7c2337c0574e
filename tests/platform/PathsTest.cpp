// Windows-style names on the host: full-path expansion, drive mapping, and finding the
// real file whatever the case of each component.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "TempDir.h"
#include "platform/OsFile.h"
#include "platform/Paths.h"

using platform::ExpandFullPath;
using platform::ResolveHostPath;
using platform_test::TempDir;

namespace {

std::string CurrentDirectory() { return std::filesystem::current_path().string(); }

// Maps drive C: to a temporary directory for the length of a test.
class DriveMapping : public ::testing::Test {
protected:
    void SetUp() override { platform::SetDriveRoot('c', dir_.path()); }
    void TearDown() override { platform::SetDriveRoot('C', ""); }

    TempDir dir_;
};

// Sets an environment variable for the length of a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(UpperAscii, UpperCasesAsciiLettersOnly) {
    EXPECT_EQ(platform::UpperAscii("c:\\tax\\fa_piao.dbf"), "C:\\TAX\\FA_PIAO.DBF");
    EXPECT_EQ(platform::UpperAscii("税控a.dbf"), "税控A.DBF");
    EXPECT_EQ(platform::UpperAscii("\xe0\xff"), "\xe0\xff");
}

TEST(ExpandFullPath, WindowsNamesWithDriveAreNormalisedAndUpperCased) {
    EXPECT_EQ(ExpandFullPath("c:\\tax\\FA_PIAO.dbf"), "C:\\TAX\\FA_PIAO.DBF");
    EXPECT_EQ(ExpandFullPath("c:/tax/fpadd.dbf"), "C:\\TAX\\FPADD.DBF");
    EXPECT_EQ(ExpandFullPath("c:\\tax\\.\\old\\..\\ke_hu.dbf"), "C:\\TAX\\KE_HU.DBF");
    EXPECT_EQ(ExpandFullPath("c:bank.dbf"), "C:\\BANK.DBF");
    EXPECT_EQ(ExpandFullPath("c:\\tax\\"), "C:\\TAX\\");
    EXPECT_EQ(ExpandFullPath("d:\\..\\x.dbf"), "D:\\X.DBF");
}

TEST(ExpandFullPath, NamesWithDoubleBackslashOrLateColonAreTakenAsGiven) {
    EXPECT_EQ(ExpandFullPath("\\\\server\\share\\a.dbf"), "\\\\SERVER\\SHARE\\A.DBF");
    EXPECT_EQ(ExpandFullPath("c:\\tax\\\\a.dbf"), "C:\\TAX\\\\A.DBF");
    EXPECT_EQ(ExpandFullPath("tax:a.dbf"), "TAX:A.DBF");
    EXPECT_EQ(ExpandFullPath("ab:..\\x"), "AB:..\\X");
}

TEST(ExpandFullPath, RelativeNamesJoinTheCurrentDirectory) {
    const std::string cwd = platform::UpperAscii(CurrentDirectory());
    const std::string base = cwd == "/" ? "" : cwd;
    EXPECT_EQ(ExpandFullPath("data.dbf"), base + "/DATA.DBF");
    EXPECT_EQ(ExpandFullPath("sub\\data.dbf"), base + "/SUB/DATA.DBF");
    EXPECT_EQ(ExpandFullPath("./sub/../data.dbf"), base + "/DATA.DBF");
    EXPECT_EQ(platform::ExpandPath("Data.dbf"),
              (cwd == "/" ? "" : CurrentDirectory()) + "/Data.dbf");
}

TEST(ExpandFullPath, HostPathsStayHostPaths) {
    EXPECT_EQ(ExpandFullPath("/tmp/tax/FA_PIAO.dbf"), "/TMP/TAX/FA_PIAO.DBF");
    EXPECT_EQ(ExpandFullPath("/tmp//tax/./x/../a.dbf"), "/TMP/TAX/A.DBF");
    EXPECT_EQ(ExpandFullPath("\\tmp\\a.dbf"), "/TMP/A.DBF");
    EXPECT_EQ(ExpandFullPath("/.."), "/");
    EXPECT_EQ(ExpandFullPath(""), "");
}

TEST_F(DriveMapping, ComponentsAreFoundWithoutRegardToCase) {
    const std::string real = dir_.write("Tax/Fa_Piao.dbf", "x");
    EXPECT_EQ(ResolveHostPath("C:\\TAX\\FA_PIAO.DBF"), real);
    EXPECT_EQ(ResolveHostPath("c:\\tax\\fa_piao.dbf"), real);
    EXPECT_EQ(ResolveHostPath("c:/TaX/fA_pIaO.DbF"), real);
    EXPECT_EQ(ResolveHostPath(ExpandFullPath("c:\\tax\\fa_piao.dbf")), real);
}

TEST_F(DriveMapping, ExactNameWinsOverOtherCases) {
    const std::string lower = dir_.write("data.dbf", "lower");
    const std::string upper = dir_.write("DATA.DBF", "upper");
    EXPECT_EQ(ResolveHostPath("C:\\data.dbf"), lower);
    EXPECT_EQ(ResolveHostPath("C:\\DATA.DBF"), upper);
    // Neither is exact: the smallest name in byte order, the same on every call.
    EXPECT_EQ(ResolveHostPath("C:\\Data.dbf"), upper);
}

TEST_F(DriveMapping, MissingComponentsAreKeptAsWritten) {
    dir_.write("Tax/Fa_Piao.dbf", "x");
    EXPECT_EQ(ResolveHostPath("C:\\TAX\\NEW.DBF"), dir_.path() + "/Tax/NEW.DBF");
    EXPECT_EQ(ResolveHostPath("C:\\tax\\New.dbf"), dir_.path() + "/Tax/New.dbf");
    EXPECT_EQ(ResolveHostPath("C:\\NODIR\\Sub\\X.DBF"), dir_.path() + "/NODIR/Sub/X.DBF");
}

TEST_F(DriveMapping, DotsAreFoldedWithinTheDrive) {
    const std::string real = dir_.write("Tax/ke_hu.dbf", "x");
    EXPECT_EQ(ResolveHostPath("C:\\TAX\\OLD\\..\\.\\KE_HU.DBF"), real);
    EXPECT_EQ(ResolveHostPath("C:\\..\\..\\TAX\\KE_HU.DBF"), real);
    EXPECT_EQ(ResolveHostPath("C:\\"), dir_.path());
}

TEST_F(DriveMapping, NothingIsCached) {
    EXPECT_EQ(ResolveHostPath("C:\\TAX\\A.DBF"), dir_.path() + "/TAX/A.DBF");
    const std::string real = dir_.write("tax/a.dbf", "x");
    EXPECT_EQ(ResolveHostPath("C:\\TAX\\A.DBF"), real);
    std::filesystem::rename(dir_.file("tax"), dir_.file("Tax"));
    EXPECT_EQ(ResolveHostPath("C:\\TAX\\A.DBF"), dir_.path() + "/Tax/a.dbf");
}

TEST_F(DriveMapping, HostPathsAreMatchedTheSameWay) {
    const std::string real = dir_.write("Tax/Fa_Piao.dbf", "x");
    EXPECT_EQ(ResolveHostPath(ExpandFullPath(real)), real);
    EXPECT_EQ(ResolveHostPath(dir_.path() + "\\TAX\\FA_PIAO.DBF"), real);
}

TEST_F(DriveMapping, ResolvedPathOpensTheFile) {
    dir_.write("Tax/Fa_Piao.dbf", "invoices");
    platform::OsFile file;
    EXPECT_EQ(file.Open(ResolveHostPath(ExpandFullPath("c:\\tax\\fa_piao.dbf")), false, true), 0);
}

TEST(DriveRoot, SetRootReplacesTheDefaultAndEmptyRestoresIt) {
    ScopedEnv env("TAXBRIDGE_DRIVE_Q", nullptr);
    ScopedEnv xdg("XDG_DATA_HOME", "/xdg/data");
    EXPECT_EQ(platform::DriveRoot('q'), "/xdg/data/taxbridge/drive_q");
    EXPECT_EQ(platform::DriveRoot('Q'), "/xdg/data/taxbridge/drive_q");
    platform::SetDriveRoot('Q', "/mnt/q/");
    EXPECT_EQ(platform::DriveRoot('q'), "/mnt/q");
    platform::SetDriveRoot('q', "");
    EXPECT_EQ(platform::DriveRoot('q'), "/xdg/data/taxbridge/drive_q");
}

TEST(DriveRoot, EnvironmentVariableComesBeforeTheDataDirectory) {
    ScopedEnv env("TAXBRIDGE_DRIVE_R", "/srv/tax-machine");
    EXPECT_EQ(platform::DriveRoot('r'), "/srv/tax-machine");
}

TEST(DriveRoot, DataDirectoryDefaultsUnderHome) {
    ScopedEnv env("TAXBRIDGE_DRIVE_S", nullptr);
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", "/home/clerk");
    EXPECT_EQ(platform::DriveRoot('s'), "/home/clerk/.local/share/taxbridge/drive_s");
    EXPECT_EQ(platform::DriveRoot('1'), "");
}

TEST(WindowsDirectory, SettingEnvironmentAndDefault) {
    ScopedEnv windir("TAXBRIDGE_WINDIR", nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", "/home/clerk");
    EXPECT_EQ(platform::WindowsDirectory(), "/home/clerk/.config/taxbridge");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/etc/xdg-user");
        EXPECT_EQ(platform::WindowsDirectory(), "/etc/xdg-user/taxbridge");
        ScopedEnv set("TAXBRIDGE_WINDIR", "/opt/windows");
        EXPECT_EQ(platform::WindowsDirectory(), "/opt/windows");
        platform::SetWindowsDirectory("/tmp/win/");
        EXPECT_EQ(platform::WindowsDirectory(), "/tmp/win");
        platform::SetWindowsDirectory("");
    }
    EXPECT_EQ(platform::WindowsDirectory(), "/home/clerk/.config/taxbridge");
}

TEST(ProgramDirectory, HoldsTheRunningProgram) {
    const std::string dir = platform::ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.front(), '/');
    EXPECT_TRUE(platform::FileExists(dir + "/platform_tests"));
}
