#include "cli/TableDump.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/Base64.h"

namespace cli {

namespace {

std::string fieldText(xbase::XBaseDataSet& table, const data::Field& field, bool raw) {
    if (raw) return table.FieldRawText(field);
    // Memo text as text; binary and general contents as base64.
    if (field.DataType() == data::ftBlob) return base64Encode(field.AsString());
    return field.AsString();
}

std::string jsonText(const nlohmann::ordered_json& value) {
    // Bytes that are no UTF-8 (a table read with the wrong code page) become U+FFFD.
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void dumpJson(xbase::XBaseDataSet& table, bool raw, std::ostream& out) {
    out << '[';
    bool first = true;
    for (table.First(); !table.Eof(); table.Next()) {
        nlohmann::ordered_json row;
        row["_recno"] = table.RecNo();
        row["_deleted"] = table.RecordDeleted();
        for (const auto& field : table.Fields()) {
            row[field->FieldName()] = fieldText(table, *field, raw);
        }
        out << (first ? "\n" : ",\n") << jsonText(row);
        first = false;
    }
    out << (first ? "]\n" : "\n]\n");
}

std::string csvCell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

void dumpCsv(xbase::XBaseDataSet& table, bool raw, std::ostream& out) {
    out << "_recno,_deleted";
    for (const auto& field : table.Fields()) out << ',' << csvCell(field->FieldName());
    out << "\r\n";
    for (table.First(); !table.Eof(); table.Next()) {
        out << table.RecNo() << ',' << (table.RecordDeleted() ? "true" : "false");
        for (const auto& field : table.Fields()) out << ',' << csvCell(fieldText(table, *field, raw));
        out << "\r\n";
    }
}

}  // namespace

void dumpTable(xbase::XBaseDataSet& table, const DumpOptions& options, std::ostream& out) {
    if (options.format == DumpFormat::Json) {
        dumpJson(table, options.raw, out);
    } else {
        dumpCsv(table, options.raw, out);
    }
}

}  // namespace cli
