// The alias list: "xbase.cfg" lines, directory names registered by DatabaseName, and
// the directory a dataset's DatabaseName resolves to.
#include <gtest/gtest.h>

#include <fstream>

#include "data/DataError.h"
#include "platform/Paths.h"
#include "xbase/dataset/AliasList.h"
#include "xbase/dataset/DataSetTestSupport.h"

namespace {

using datasettest::NamesShape;
using xbase::AliasList;
using Lines = std::vector<std::string>;

AliasList ListFrom(const tabletest::TempDir& dir, const std::string& content) {
    std::ofstream(dir.file("xbase.cfg")) << content;
    return AliasList(dir.file("xbase.cfg"));
}

TEST(AliasList, ConfigLinesAreUpperCasedInFileOrderAndLaterNamesReplace) {
    tabletest::TempDir dir;
    AliasList list = ListFrom(dir,
                              "[alias]\ntaxdata=c:\\tax\nOld=d:\\x\nEmpty=\nTAXDATA=c:\\tax2\n"
                              "[Other]\nNot=this\n");
    EXPECT_EQ(list.Lines(), (Lines{"Default Directory", "TAXDATA=C:\\TAX2", "OLD=D:\\X"}));
}

TEST(AliasList, MissingFileLeavesTheFirstLineOnly) {
    tabletest::TempDir dir;
    EXPECT_EQ(AliasList(dir.file("nothing.cfg")).Lines(), Lines{"Default Directory"});
}

TEST(AliasList, DirectoryNamesInAnySpellingRegisterOneLine) {
    tabletest::TempDir dir;
    AliasList list = ListFrom(dir, "");
    EXPECT_EQ(list.Register("c:\\tax"), "C:\\TAX");
    EXPECT_EQ(list.Register("c:\\tax\\"), "C:\\TAX");
    EXPECT_EQ(list.Register("C:\\TAX"), "C:\\TAX");
    EXPECT_EQ(list.Lines(), (Lines{"Default Directory", "C:\\TAX=C:\\TAX"}));
    EXPECT_EQ(list.Resolve("c:\\tax"), "C:\\TAX\\");
    EXPECT_EQ(list.Resolve("C:\\TAX"), "C:\\TAX\\");
}

TEST(AliasList, DefaultDirectoryInAnyCaseIsTheProgramDirectory) {
    tabletest::TempDir dir;
    AliasList list = ListFrom(dir, "");
    EXPECT_EQ(list.Register("dEFAULT dIRECTORY"), "dEFAULT dIRECTORY");
    std::string program = platform::ProgramDirectory();
    for (const char* name : {"Default Directory", "DEFAULT DIRECTORY", "default directory"}) {
        std::string resolved = list.Resolve(name);
        EXPECT_EQ(resolved.substr(0, program.size()), program) << name;
        EXPECT_EQ(resolved.size(), program.size() + (program.back() == '/' ? 0 : 1)) << name;
    }
    EXPECT_EQ(list.Lines(), Lines{"Default Directory"});
}

TEST(AliasList, EmptyNameResolvesToNoDirectory) {
    tabletest::TempDir dir;
    AliasList list = ListFrom(dir, "");
    EXPECT_EQ(list.Resolve(""), "");
}

TEST(AliasDataSet, TaxDirectorySpellingsOpenTheSameTable) {
    tabletest::WriteFile(datasettest::TaxDirectory() + "/FA_PIAO.dbf",
                         tabletest::BuildTable(NamesShape({"inv"})));
    std::size_t before = AliasList::Global().Lines().size();
    for (const char* name : {"c:\\tax", "c:\\tax\\", "C:\\TAX"}) {
        xbase::XBaseDataSet dataSet;
        dataSet.SetDatabaseName(name);
        EXPECT_EQ(dataSet.DatabaseName(), "C:\\TAX");
        EXPECT_EQ(dataSet.ResolvedDirectory(), "C:\\TAX\\");
        dataSet.SetTableName("FA_PIAO.dbf");
        dataSet.Open();
        EXPECT_EQ(dataSet.FieldByName("NAME").AsString(), "inv") << name;
        EXPECT_EQ(dataSet.Handler()->FullPath(), "C:\\TAX\\FA_PIAO.DBF");
    }
    Lines lines = AliasList::Global().Lines();
    EXPECT_LE(lines.size(), before + 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "C:\\TAX=C:\\TAX"), 1);
}

TEST(AliasDataSet, AliasFromTheConfigurationWorksInAnyCase) {
    tabletest::WriteFile(datasettest::TaxDirectory() + "/KE_HU.DBF",
                         tabletest::BuildTable(NamesShape({"cust"})));
    for (const char* name : {"taxdata", "TaxData", "TAXDATA"}) {
        xbase::XBaseDataSet dataSet;
        dataSet.SetDatabaseName(name);
        dataSet.SetTableName("ke_hu.dbf");
        dataSet.Open();
        EXPECT_EQ(dataSet.FieldByName("NAME").AsString(), "cust") << name;
    }
    EXPECT_FALSE(AliasList::Global().Contains("EMPTY"));
}

TEST(AliasDataSet, DatabaseNameOfAnOpenDataSetIsRefusedButTheNameIsRegistered) {
    datasettest::TableDir table("T.DBF", NamesShape({"a"}));
    auto dataSet = table.Open();
    try {
        dataSet->SetDatabaseName("c:\\somewhere\\else");
        FAIL();
    } catch (const data::DataError& e) {
        EXPECT_STREQ(e.what(), "Cannot perform this operation on an open dataset");
    }
    EXPECT_TRUE(AliasList::Global().Contains("C:\\SOMEWHERE\\ELSE"));
}

TEST(AliasDataSet, DefaultDirectoryFindsTablesBesideTheProgram) {
    xbase::XBaseDataSet dataSet;
    dataSet.SetDatabaseName("default DIRECTORY");
    EXPECT_EQ(dataSet.DatabaseName(), "default DIRECTORY");
    std::string program = platform::ProgramDirectory();
    EXPECT_EQ(dataSet.ResolvedDirectory().substr(0, program.size()), program);
}

}  // namespace
