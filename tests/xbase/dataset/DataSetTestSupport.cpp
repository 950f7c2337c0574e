#include "xbase/dataset/DataSetTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Paths.h"

namespace datasettest {

namespace {

// Maps drive C and the Windows directory (with an "xbase.cfg" that names the alias
// TaxData) to temporary directories for the whole test program.
class DriveEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        root_ = std::make_unique<tabletest::TempDir>();
        std::filesystem::create_directories(root_->file("drive_c/tax"));
        std::filesystem::create_directories(root_->file("windows"));
        std::ofstream(root_->file("windows/xbase.cfg"))
            << "[Other]\nTAXDATA=c:\\elsewhere\n[Alias]\nTaxData=c:\\tax\nEmpty=\n";
        platform::SetDriveRoot('C', root_->file("drive_c"));
        platform::SetWindowsDirectory(root_->file("windows"));
        Root() = root_->file("drive_c");
    }
    void TearDown() override { root_.reset(); }

    static std::string& Root() {
        static std::string root;
        return root;
    }

private:
    std::unique_ptr<tabletest::TempDir> root_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new DriveEnvironment);

}  // namespace

const std::string& DriveCRoot() { return DriveEnvironment::Root(); }

std::string TaxDirectory() { return DriveCRoot() + "/tax"; }

TableDir::TableDir(const std::string& tableName, const tabletest::TableShape& layout)
    : tableName_(tableName) {
    tabletest::WriteFile(TablePath(), tabletest::BuildTable(layout));
}

std::unique_ptr<xbase::XBaseDataSet> TableDir::DataSet() const {
    auto dataSet = std::make_unique<xbase::XBaseDataSet>();
    dataSet->SetDatabaseName(Path());
    dataSet->SetTableName(tableName_);
    return dataSet;
}

std::unique_ptr<xbase::XBaseDataSet> TableDir::Open() const {
    auto dataSet = DataSet();
    dataSet->Open();
    return dataSet;
}

tabletest::TableShape NamesShape(const std::vector<std::string>& names) {
    tabletest::TableShape layout;
    layout.fields = {{"NAME", 'C', 10, 0}, {"QTY", 'N', 8, 2}, {"FLAG", 'L', 1, 0}};
    layout.recordsHaveFlag = true;
    int qty = 0;
    for (const std::string& name : names) {
        bool deleted = !name.empty() && name[0] == '*';
        std::string record(1, deleted ? '*' : ' ');
        record += tabletest::Pad(deleted ? name.substr(1) : name, 10);
        std::string number = std::to_string(++qty) + ".50";
        record += std::string(8 - number.size(), ' ') + number;
        record += 'T';
        layout.records.push_back(record);
    }
    return layout;
}

std::vector<std::string> VisibleNames(xbase::XBaseDataSet& dataSet) {
    std::vector<std::string> names;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        names.push_back(dataSet.FieldByName("name").AsString());
    }
    return names;
}

}  // namespace datasettest
