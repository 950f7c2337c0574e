// The expression link of one table at the table level: field variables named by the
// table's fields, the table functions (RECNO, DELETED, BOF, EOF, TYPE, LEN, FIELDNO),
// values read from the table's record buffer in use, memo texts from its memo file.
//
// The link refers to the table and the memo file; both must outlive it and every
// handler compiled against it.
#pragma once

#include "xbase/expr/ExprLink.h"
#include "xbase/table/DbfFile.h"

namespace xbase {

class MemoFile;

// Registers the table functions in a link's registry.
void AddTableFunctions(FunctionRegistry& registry);

class TableExprLink : public ExprLink {
public:
    // `memo`: the table's memo file, nullptr when it has none (memo fields read as "").
    explicit TableExprLink(DbfFile& table, MemoFile* memo = nullptr);

    DbfFile& Table() const { return *table_; }
    void SetMemoFile(MemoFile* memo) { memo_ = memo; }

    const std::uint8_t* Record() const override { return table_->RecordBuffer(); }
    std::uint8_t TableVersion() const override { return table_->Version(); }
    std::string_view FileName() const override { return table_->FullPath(); }
    std::int32_t RecNo() const override { return table_->CurrentRecord(); }
    bool Bof() const override { return table_->Bof(); }
    bool Eof() const override { return table_->Eof(); }
    void ReadMemo(const FieldDescriptor& field, std::string& out) override;

private:
    DbfFile* table_;
    MemoFile* memo_;
};

}  // namespace xbase
