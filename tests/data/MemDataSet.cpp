#include "MemDataSet.h"

#include "data/DataError.h"

namespace datatest {

using namespace data;

MemDataSet::MemDataSet(std::vector<FieldDef> defs, bool textStore)
    : MemoryDataSet({.keepsText = textStore,
                     .bookmarkDigits = 10,
                     .rangeMessage = "Record request beyond range of table"}),
      defs_(std::move(defs)) {}

MemDataSet::~MemDataSet() { CloseFromDestructor(); }

void MemDataSet::AddRow(std::vector<FieldValue> values) {
    values.resize(defs_.size());
    AddLoadedRow(std::move(values));
}

void MemDataSet::InternalInitFieldDefs() {
    FieldDefs().Clear();
    for (const auto& def : defs_) FieldDefs().Add(def.name, def.dataType, def.size, def.required);
}

void MemDataSet::InternalEdit() {
    RowBuffer& active = RowOf(*ActiveBuffer());
    if (lockedIds.count(active.id) != 0) DatabaseError("Record is locked by another user");
    int index = IndexOfId(active.id);
    if (index >= 0) active.values = Rows()[static_cast<std::size_t>(index)].values;
    oldValues_ = std::make_unique<RowBuffer>(active);
}

void MemDataSet::InternalPost() {
    MemoryDataSet::InternalPost();
    oldValues_.reset();
}

void MemDataSet::InternalCancel() {
    ++cancels;
    oldValues_.reset();
}

RecordBuffer* MemDataSet::GetActiveRecordBuffer() {
    if (State() == dsOldValue && oldValues_) return oldValues_.get();
    return MemoryDataSet::GetActiveRecordBuffer();
}

std::unique_ptr<MemDataSet> MakeNumbered(int rows, bool textStore) {
    std::vector<FieldDef> defs(3);
    defs[0].name = "ID";
    defs[0].dataType = ftInteger;
    defs[1].name = "NAME";
    defs[1].dataType = ftString;
    defs[1].size = 10;
    defs[2].name = "PRICE";
    defs[2].dataType = ftFloat;
    auto dataSet = std::make_unique<MemDataSet>(defs, textStore);
    for (int i = 1; i <= rows; ++i) {
        dataSet->AddRow({std::int32_t{i}, "n" + std::to_string(i), i * 1.5});
    }
    return dataSet;
}

std::vector<std::string> Names(DataSet& dataSet) {
    std::vector<std::string> names;
    dataSet.First();
    while (!dataSet.Eof()) {
        names.push_back(dataSet.FieldByName("NAME").AsString());
        dataSet.Next();
    }
    return names;
}

}  // namespace datatest
