#include "IndexTestSupport.h"

namespace indextest {

std::string WriteKeyTable(const tabletest::TempDir& dir, const std::string& file,
                          const std::vector<std::pair<std::string, int>>& rows) {
    tabletest::TableShape shape;
    shape.fields = {{"NAME", 'C', 6, 0}, {"QTY", 'N', 5, 0}, {"FLAG", 'L', 1, 0}};
    for (const auto& [name, qty] : rows) {
        std::string number = std::to_string(qty);
        shape.records.push_back(tabletest::Pad(name, 6) + std::string(5 - number.size(), ' ') +
                                number + "T");
    }
    const std::string path = dir.file(file);
    tabletest::WriteFile(path, tabletest::BuildTable(shape));
    return path;
}

std::vector<std::int32_t> Walk(xbase::DbfHandler& table, bool backward) {
    std::vector<std::int32_t> records;
    table.GoTo(backward ? xbase::move::Last : xbase::move::First);
    while (!table.Eof() && !table.Bof()) {
        records.push_back(table.CurrentRecord());
        table.GoTo(backward ? xbase::move::Prior : xbase::move::Next);
    }
    return records;
}

std::int32_t Append(xbase::DbfHandler& table, const std::string& name, int qty) {
    table.BlankRecord();
    table.PutFieldText("NAME", name);
    table.PutFieldNumber("QTY", qty);
    table.PutFieldLogical("FLAG", true);
    if (!table.AppendRecord()) throw std::runtime_error("append refused");
    return table.CurrentRecord();
}

void Change(xbase::DbfHandler& table, std::int32_t n, const std::string& name, int qty) {
    table.GoTo(n);
    table.PutFieldText("NAME", name);
    table.PutFieldNumber("QTY", qty);
    if (!table.ReplaceRecord(n)) throw std::runtime_error("replace refused");
}

}  // namespace indextest
