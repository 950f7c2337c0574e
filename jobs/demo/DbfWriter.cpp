#include "jobs/demo/DbfWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <stdexcept>

#include "platform/CodePage.h"

namespace jobs::demo {

namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr std::uint8_t kTerminator = 0x0D;
constexpr std::uint8_t kEof = 0x1A;

void Put16(std::uint8_t* p, unsigned v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
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
            std::string oem = platform::utf8ToOem(*text, codePage_, width);
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
            if (!date || !platform::isValidDate(date->year, date->month, date->day)) {
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
    const std::size_t headerLength = kHeaderSize + kDescriptorSize * fields_.size() + 1;
    std::vector<std::uint8_t> bytes(headerLength, 0);
    bytes[0] = 0x03;
    bytes[1] = static_cast<std::uint8_t>((lastUpdate.year - 1900) & 0xFF);
    bytes[2] = static_cast<std::uint8_t>(lastUpdate.month);
    bytes[3] = static_cast<std::uint8_t>(lastUpdate.day);
    Put32(&bytes[4], static_cast<std::uint32_t>(count_));
    Put16(&bytes[8], static_cast<unsigned>(headerLength));
    Put16(&bytes[10], static_cast<unsigned>(recordLength_));
    std::size_t at = kHeaderSize;
    for (const DbfField& f : fields_) {
        std::memcpy(&bytes[at], f.name.data(), f.name.size());
        bytes[at + 11] = static_cast<std::uint8_t>(f.type);
        bytes[at + 16] = static_cast<std::uint8_t>(f.length);
        bytes[at + 17] = static_cast<std::uint8_t>(f.decimals);
        at += kDescriptorSize;
    }
    bytes[at] = kTerminator;
    bytes.insert(bytes.end(), data_.begin(), data_.end());
    bytes.push_back(kEof);
    return bytes;
}

void DbfWriter::Write(const std::string& hostPath) const {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::vector<std::uint8_t> bytes =
        Bytes({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("Cannot write " + hostPath);
}

}  // namespace jobs::demo
