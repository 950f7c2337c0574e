#include "cli/TableAccess.h"

#include <stdexcept>

#include "cli/Base64.h"
#include "platform/DateText.h"
#include "xbase/table/DbfDate.h"

namespace cli {

namespace {

std::string TagToSelect(const xbase::XBaseDataSet& table, const std::string& tag) {
    if (!tag.empty()) return tag;
    if (table.TagCount() == 1) return table.TagName(0);
    std::string names;
    for (int i = 0; i < table.TagCount(); ++i) names += (i == 0 ? "" : ", ") + table.TagName(i);
    throw std::runtime_error("--tag is needed: the index files hold the tags " + names);
}

}  // namespace

std::unique_ptr<xbase::XBaseDataSet> OpenTable(const std::string& file,
                                               const TableOptions& options) {
    auto table = std::make_unique<xbase::XBaseDataSet>();
    // No DatabaseName: the file name is used as it stands (absolute or relative).
    table->SetTableName(file);
    table->SetUseDeleted(options.useDeleted);
    table->SetReadOnly(options.readOnly);
    table->SetCodePage(options.codePage);
    table->SetIgnoreProductionIndex(options.ignoreProductionIndex);
    std::vector<std::string> indexFiles;
    for (const std::string& index : options.indexFiles) {
        // A bare name is where the command runs, as FILE is, not beside the table.
        indexFiles.push_back(index.find_first_of("\\/:") == std::string::npos ? "./" + index
                                                                              : index);
    }
    table->SetIndexFiles(indexFiles);
    table->Open();
    if (options.orderByTag) table->SetIndexName(TagToSelect(*table, options.tag));
    return table;
}

void GoToRecord(xbase::XBaseDataSet& table, std::int32_t recNo) {
    int count = table.RecordCount();
    if (recNo < 1 || recNo > count) {
        throw std::runtime_error("Record " + std::to_string(recNo) +
                                 " does not exist (the table has " + std::to_string(count) +
                                 " records)");
    }
    table.SetRecNo(recNo);
    if (table.IsEmpty() || table.RecNo() != recNo) {
        throw std::runtime_error("Record " + std::to_string(recNo) + " cannot be reached");
    }
}

std::pair<std::string, std::string> SplitAssignment(const std::string& assignment) {
    std::size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
        throw std::runtime_error("Expected NAME=VALUE, got '" + assignment + "'");
    }
    return {assignment.substr(0, eq), assignment.substr(eq + 1)};
}

namespace {

// A date as the table layer reads one: eight digits YYYYMMDD or the short date form;
// empty for no date.
void AssignDate(data::Field& field, const std::string& text) {
    std::size_t end = text.find_last_not_of(' ');
    std::string trimmed = end == std::string::npos ? std::string() : text.substr(0, end + 1);
    if (trimmed.empty()) {
        field.Clear();
        return;
    }
    std::int32_t julian = 0;
    platform::CivilDate date;
    if (xbase::DbfDate::ReadStorageDigits(trimmed, date)) {
        julian = xbase::DbfDate::JulianFromDate(date);  // 0 for no real date
    } else {
        try {
            julian = xbase::DbfDate::JulianFromText(trimmed);
        } catch (const xbase::DateConversionError&) {
            julian = 0;
        }
    }
    if (julian <= 0) throw std::runtime_error("'" + text + "' is not a valid date");
    field.SetAsDateTime(static_cast<double>(julian - xbase::DbfDate::kJulianOffset));
}

}  // namespace

void AssignFields(xbase::XBaseDataSet& table, const std::vector<std::string>& assignments) {
    for (const std::string& assignment : assignments) {
        auto [name, value] = SplitAssignment(assignment);
        data::Field& field = table.FieldByName(name);
        if (field.DataType() == data::ftDate) {
            AssignDate(field, value);
        } else {
            // Binary and general fields take their bytes in base64, as dumps show them.
            field.SetAsString(field.DataType() == data::ftBlob ? Base64Decode(value) : value);
        }
    }
}

}  // namespace cli
