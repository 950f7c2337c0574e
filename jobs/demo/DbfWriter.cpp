#include "jobs/demo/DbfWriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "xbase/table/DbfFormat.h"
#include "xbase/table/TableLayout.h"

namespace jobs::demo {

namespace {

// 936 of "CP936"; 0 for a name without a number.
int CodePageNumber(const std::string& name) {
    std::size_t digits = name.find_first_of("0123456789");
    if (digits == std::string::npos) return 0;
    return std::atoi(name.c_str() + digits);
}

[[noreturn]] void Refuse(const DbfField& field, const std::string& why) {
    throw std::invalid_argument("field " + field.name + ": " + why);
}

}  // namespace

DbfWriter::DbfWriter(std::vector<DbfField> fields, std::string codePage)
    : fields_(std::move(fields)), codePage_(std::move(codePage)) {
    if (fields_.empty()) throw std::invalid_argument("a table needs at least one field");
    for (const DbfField& f : fields_) {
        if (f.name.empty() || f.name.size() > 10) Refuse(f, "name must have 1 to 10 characters");
        int fixed = f.type == 'D' ? 8 : f.type == 'L' ? 1 : 0;
        if (fixed != 0 && f.length != fixed) Refuse(f, "wrong length for its type");
        if (f.type != 'C' && f.type != 'N' && f.type != 'D' && f.type != 'L') {
            Refuse(f, "unsupported type");
        }
        if (f.length < 1 || f.length > 254) Refuse(f, "length must be 1 to 254");
        if (f.decimals < 0 || (f.decimals > 0 && f.decimals + 2 > f.length)) {
            Refuse(f, "bad decimals");
        }
        recordLength_ += f.length;
    }
}

void DbfWriter::Encode(const DbfField& field, const DbfValue& value, std::uint8_t* out) const {
    const std::size_t width = static_cast<std::size_t>(field.length);
    std::memset(out, ' ', width);
    if (std::holds_alternative<std::monostate>(value)) return;
    switch (field.type) {
        case 'C': {
            const std::string* text = std::get_if<std::string>(&value);
            if (!text) Refuse(field, "text expected");
            std::string oem = platform::Utf8ToOem(*text, codePage_, width);
            std::memcpy(out, oem.data(), oem.size());
            return;
        }
        case 'N': {
            const double* number = std::get_if<double>(&value);
            if (!number || !std::isfinite(*number)) Refuse(field, "number expected");
            char buf[64];
            int n = std::snprintf(buf, sizeof buf, "%*.*f", field.length, field.decimals, *number);
            if (n < 0 || static_cast<std::size_t>(n) > width) Refuse(field, "number does not fit");
            std::memcpy(out, buf, width);
            return;
        }
        case 'D': {
            const platform::CivilDate* date = std::get_if<platform::CivilDate>(&value);
            if (!date || !platform::IsValidDate(date->year, date->month, date->day)) {
                Refuse(field, "date expected");
            }
            char buf[16];
            std::snprintf(buf, sizeof buf, "%04d%02d%02d", date->year, date->month, date->day);
            std::memcpy(out, buf, 8);
            return;
        }
        default: {
            const bool* logical = std::get_if<bool>(&value);
            if (!logical) Refuse(field, "logical expected");
            out[0] = *logical ? 'T' : 'F';
        }
    }
}

void DbfWriter::AddRecord(const std::vector<DbfValue>& values, bool deleted) {
    if (values.size() > fields_.size()) throw std::invalid_argument("more values than fields");
    std::vector<std::uint8_t> record(static_cast<std::size_t>(recordLength_), ' ');
    record[0] = deleted ? '*' : ' ';
    std::size_t offset = 1;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        Encode(fields_[i], i < values.size() ? values[i] : DbfValue{}, record.data() + offset);
        offset += static_cast<std::size_t>(fields_[i].length);
    }
    data_.insert(data_.end(), record.begin(), record.end());
    ++count_;
}

std::vector<std::uint8_t> DbfWriter::Bytes(const platform::CivilDate& lastUpdate) const {
    // The header as the engine lays out every new table, then the records and the end mark.
    std::vector<xbase::NewField> fields;
    for (const DbfField& f : fields_) fields.push_back({f.name, f.type, f.length, f.decimals});
    xbase::NewTableOptions options;
    options.date.year = lastUpdate.year;
    options.date.month = lastUpdate.month;
    options.date.day = lastUpdate.day;
    options.codePageMark = xbase::CodePageMarkFor(CodePageNumber(codePage_));
    std::vector<std::uint8_t> bytes = xbase::TableHeaderBytes(
        xbase::version::DBase3, xbase::CheckedFields(xbase::version::DBase3, fields), options,
        static_cast<std::uint32_t>(count_));
    bytes.insert(bytes.end(), data_.begin(), data_.end());
    bytes.push_back(xbase::dbf::kEofMark);
    return bytes;
}

void DbfWriter::Write(const std::string& hostPath) const {
    const platform::LocalTime now = platform::LocalNow();
    std::vector<std::uint8_t> bytes = Bytes({now.year, now.month, now.day});
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("Cannot write " + hostPath);
}

}  // namespace jobs::demo
