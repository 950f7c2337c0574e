#include "xbase/expr/TableExprLink.h"

#include "xbase/memo/MemoFile.h"
#include "xbase/table/FieldCodec.h"

namespace xbase {

TableExprLink::TableExprLink(DbfFile& table, MemoFile* memo) : table_(&table), memo_(memo) {
    AddTableFunctions(TableFunctions());
    for (const FieldDescriptor& f : table.Fields()) FieldVars().Add(TableFieldVar(*this, f));
}

void TableExprLink::ReadMemo(const FieldDescriptor& field, std::string& out) {
    out.clear();
    if (memo_ == nullptr) return;
    const double block =
        FieldCodec::GetNumber(field, Record(), TableContext{TableVersion(), FileName()});
    // A reference that is no block number of the file is never followed.
    if (!(block >= 1.0 && block <= 2147483647.0)) return;
    out = memo_->ReadMemoText(static_cast<std::int32_t>(block));
}

}  // namespace xbase
