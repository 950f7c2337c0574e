// A small writer of whole dBase III tables for the demo folder, tests and benchmarks: the
// header comes from the engine's table layout (as CreateTable writes it), the records
// with their deletion flag and the end-of-file mark are laid out here in one piece.
// Text is converted from UTF-8 to the OEM code page and cut at a character boundary;
// a number that does not fit its field is refused rather than written wrong.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/DateText.h"

namespace jobs::demo {

struct DbfField {
    std::string name;  // up to 10 characters
    char type = 'C';   // C, N, D or L
    int length = 10;
    int decimals = 0;
};

// Blank, text (C), number (N), date (D) or logical (L).
using DbfValue = std::variant<std::monostate, std::string, double, platform::CivilDate, bool>;

class DbfWriter {
public:
    explicit DbfWriter(std::vector<DbfField> fields, std::string codePage = "CP936");

    const std::vector<DbfField>& Fields() const { return fields_; }
    int RecordLength() const { return recordLength_; }
    std::size_t RecordCount() const { return count_; }

    // Values in field order; missing trailing values are blank. Throws
    // std::invalid_argument for a value of the wrong kind or a number that does not fit.
    void AddRecord(const std::vector<DbfValue>& values, bool deleted = false);

    // The whole file; `lastUpdate` goes into the header.
    std::vector<std::uint8_t> Bytes(const platform::CivilDate& lastUpdate) const;
    // Writes the file (replacing one that exists), dated today.
    void Write(const std::string& hostPath) const;

private:
    void Encode(const DbfField& field, const DbfValue& value, std::uint8_t* out) const;

    std::vector<DbfField> fields_;
    std::string codePage_;
    int recordLength_ = 1;
    std::vector<std::uint8_t> data_;  // the records, one after the other
    std::size_t count_ = 0;
};

}  // namespace jobs::demo
