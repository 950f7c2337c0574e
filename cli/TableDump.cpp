#include "cli/TableDump.h"

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/Base64.h"
#include "data/DataError.h"
#include "xbase/file/EngineError.h"

namespace cli {

namespace {

std::string TrimRight(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// What a value that cannot be converted is, by the field's type.
const char* expectedKind(data::FieldType type) {
    switch (type) {
        case data::ftDate:
            return "a date";
        case data::ftDateTime:
            return "a date and time";
        case data::ftBoolean:
            return "a logical value";
        case data::ftString:
        case data::ftMemo:
        case data::ftBlob:
            return "readable";
        default:
            return "a number";
    }
}

class FieldReader {
public:
    FieldReader(xbase::XBaseDataSet& table, const DumpOptions& options, std::ostream& warnings)
        : table_(table), options_(options), warnings_(warnings) {}

    std::string text(const data::Field& field) {
        if (options_.raw) return table_.FieldRawText(field);
        std::string value;
        try {
            // Memo text as text; binary and general contents as base64.
            value = field.DataType() == data::ftBlob ? Base64Encode(field.AsString())
                                                     : field.AsString();
        } catch (const xbase::XBaseError& e) {
            // A value that cannot be converted (or a memo whose block cannot be trusted)
            // is shown as stored; a file that cannot be read (a missing memo file) ends
            // the dump.
            if (e.code() != xbase::err::FieldTypeIncorrect && e.code() != xbase::err::MemoFormat)
                throw;
            return storedText(field);
        } catch (const data::DataError&) {
            return storedText(field);
        }
        // A date whose stored text is no date reads as null: say so unless it is blank.
        if (value.empty() && field.DataType() == data::ftDate) {
            std::string stored = TrimRight(table_.FieldRawText(field));
            if (!stored.empty() && stored != "00000000") return storedText(field);
        }
        return value;
    }

private:
    std::string storedText(const data::Field& field) {
        std::string stored = TrimRight(table_.FieldRawText(field));
        std::string what = "record " + std::to_string(table_.RecNo()) + ", field " +
                           field.FieldName() + ": \"" + stored + "\" is not " +
                           expectedKind(field.DataType());
        if (options_.strict) throw std::runtime_error(what);
        warnings_ << "taxbridge: warning: " << what << "; shown as stored\n";
        return stored;
    }

    xbase::XBaseDataSet& table_;
    const DumpOptions& options_;
    std::ostream& warnings_;
};

std::string JsonText(const nlohmann::ordered_json& value) {
    // Bytes that are no UTF-8 (a table read with the wrong code page) become U+FFFD.
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void DumpJson(xbase::XBaseDataSet& table, FieldReader& reader, std::ostream& out) {
    out << '[';
    bool first = true;
    for (table.First(); !table.Eof(); table.Next()) {
        nlohmann::ordered_json row;
        row["_recno"] = table.RecNo();
        row["_deleted"] = table.RecordDeleted();
        for (const auto& field : table.Fields()) row[field->FieldName()] = reader.text(*field);
        out << (first ? "\n" : ",\n") << JsonText(row);
        first = false;
    }
    out << (first ? "]\n" : "\n]\n");
}

std::string CsvCell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

void DumpCsv(xbase::XBaseDataSet& table, FieldReader& reader, std::ostream& out) {
    out << "_recno,_deleted";
    for (const auto& field : table.Fields()) out << ',' << CsvCell(field->FieldName());
    out << "\r\n";
    for (table.First(); !table.Eof(); table.Next()) {
        out << table.RecNo() << ',' << (table.RecordDeleted() ? "true" : "false");
        for (const auto& field : table.Fields()) out << ',' << CsvCell(reader.text(*field));
        out << "\r\n";
    }
}

}  // namespace

void DumpTable(xbase::XBaseDataSet& table, const DumpOptions& options, std::ostream& out,
               std::ostream& warnings) {
    FieldReader reader(table, options, warnings);
    if (options.format == DumpFormat::Json) {
        DumpJson(table, reader, out);
    } else {
        DumpCsv(table, reader, out);
    }
}

}  // namespace cli
