#include "xbase/table/TableLayout.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/Paths.h"
#include "xbase/file/ByteOrder.h"
#include "xbase/table/DbfFormat.h"

namespace xbase {

namespace {

bool KnownVersion(std::uint8_t v) {
    return v == version::DBase3 || v == version::DBase3Memo || v == version::DBase4Memo ||
           v == version::FoxProMemo || v == version::VisualFox;
}

[[noreturn]] void Refuse(const std::string& field, const std::string& why) {
    throw std::invalid_argument(field.empty() ? why : "field " + field + ": " + why);
}

// The types a version holds, and the fixed width of each fixed-width type (0: free).
bool TypeAllowed(std::uint8_t v, char type) {
    switch (type) {
        case 'C':
        case 'N':
        case 'D':
        case 'L':
            return true;
        case 'M':
            return v != version::DBase3;
        case 'F':
        case 'G':
            return v == version::DBase4Memo || v == version::FoxProMemo || v == version::VisualFox;
        case 'B':
            return v == version::DBase4Memo || v == version::VisualFox;
        case 'I':
        case 'T':
        case 'Y':
            return v == version::VisualFox;
        default:
            return false;
    }
}

int FixedWidth(std::uint8_t v, char type) {
    const bool fox = v == version::VisualFox;
    switch (type) {
        case 'D':
            return 8;
        case 'L':
            return 1;
        case 'I':
            return 4;
        case 'T':
        case 'Y':
            return 8;
        case 'M':
        case 'G':
            return fox ? 4 : 10;
        case 'B':
            return fox ? 8 : 10;
        default:
            return 0;
    }
}

bool ValidName(const std::string& name) {
    if (name.empty() || name.size() > static_cast<std::size_t>(dbf::kMaxFieldNameLength)) {
        return false;
    }
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (!letter(name[0])) return false;
    return std::all_of(name.begin(), name.end(),
                       [&](char c) { return letter(c) || digit(c) || c == '_'; });
}

}  // namespace

std::vector<NewField> CheckedFields(std::uint8_t v, const std::vector<NewField>& fields) {
    if (!KnownVersion(v)) Refuse({}, "unknown table version");
    if (fields.empty()) Refuse({}, "a table needs at least one field");
    const std::size_t most =
        v == version::VisualFox ? 255 : static_cast<std::size_t>(dbf::kMaxFields);
    if (fields.size() > most) Refuse({}, "too many fields for this table version");
    std::vector<NewField> out;
    out.reserve(fields.size());
    long recordLength = 1;
    for (const NewField& given : fields) {
        NewField f = given;
        if (!ValidName(f.name)) {
            Refuse(f.name, "a name has 1 to 10 letters, digits or '_' and starts with a letter");
        }
        f.name = platform::UpperAscii(f.name);
        f.type = static_cast<char>(platform::UpperAscii(std::string(1, f.type))[0]);
        for (const NewField& earlier : out) {
            if (earlier.name == f.name) Refuse(f.name, "the name is used twice");
        }
        if (!TypeAllowed(v, f.type)) Refuse(f.name, "this table version has no such type");
        const int fixed = FixedWidth(v, f.type);
        if (fixed != 0) {
            if (f.length == 0) f.length = fixed;
            if (f.length != fixed) {
                Refuse(f.name, "the length of this type is " + std::to_string(fixed));
            }
            if (f.decimals != 0 && f.type != 'Y') Refuse(f.name, "this type has no decimals");
        } else if (f.type == 'C') {
            if (f.length < 1 || f.length > 254) Refuse(f.name, "the length must be 1 to 254");
            if (f.decimals != 0) Refuse(f.name, "a character field has no decimals");
        } else {  // N, F
            if (f.length < 1 || f.length > 20) Refuse(f.name, "the length must be 1 to 20");
            if (f.decimals < 0 || f.decimals > 15 ||
                (f.decimals > 0 && f.decimals + 2 > f.length)) {
                Refuse(f.name, "the decimals must leave room for the point and a digit");
            }
        }
        if (f.type == 'Y' && f.decimals == 0) f.decimals = 4;
        if (f.binary && (v != version::VisualFox || (f.type != 'C' && f.type != 'M'))) {
            Refuse(f.name, "only Visual FoxPro character and memo fields can be binary");
        }
        recordLength += f.length;
        out.push_back(f);
    }
    if (recordLength > 65535) Refuse({}, "the record would be longer than 65,535 bytes");
    return out;
}

bool NeedsMemoFile(std::uint8_t v, const std::vector<NewField>& fields) {
    if (v == version::DBase3) return false;
    if (v != version::VisualFox) return true;
    return std::any_of(fields.begin(), fields.end(),
                       [](const NewField& f) { return f.type == 'M' || f.type == 'G'; });
}

int RecordLengthOf(const std::vector<NewField>& fields) {
    int length = 1;
    for (const NewField& f : fields) length += f.length;
    return length;
}

std::vector<std::uint8_t> TableHeaderBytes(std::uint8_t v, const std::vector<NewField>& fields,
                                           const NewTableOptions& options,
                                           std::uint32_t recordCount) {
    using byteorder::PutLe16;
    using byteorder::PutLe32;
    const int headerLength =
        dbf::HeaderTail(v) + dbf::kDescriptorSize * static_cast<int>(fields.size());
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(headerLength), 0);
    std::uint8_t* h = bytes.data();
    h[dbf::kVersion] = v;
    h[dbf::kUpdateYear] = static_cast<std::uint8_t>(options.date.year % 100);
    h[dbf::kUpdateMonth] = static_cast<std::uint8_t>(options.date.month);
    h[dbf::kUpdateDay] = static_cast<std::uint8_t>(options.date.day);
    PutLe32(h + dbf::kRecordCount, recordCount);
    PutLe16(h + dbf::kHeaderLength, static_cast<std::uint16_t>(headerLength));
    PutLe16(h + dbf::kRecordLength, static_cast<std::uint16_t>(RecordLengthOf(fields)));
    if (v == version::VisualFox && NeedsMemoFile(v, fields))
        h[dbf::kTableFlags] = dbf::kFlagHasMemo;
    h[dbf::kCodePage] = options.codePageMark;
    std::uint8_t* d = h + dbf::kHeaderSize;
    int offset = 1;
    for (const NewField& f : fields) {
        std::memcpy(d + dbf::kFieldName, f.name.data(), f.name.size());
        d[dbf::kFieldType] = static_cast<std::uint8_t>(f.type);
        // Visual FoxPro keeps each field's place in the record in its descriptor.
        if (v == version::VisualFox)
            PutLe32(d + dbf::kFieldOffset, static_cast<std::uint32_t>(offset));
        d[dbf::kFieldLength] = static_cast<std::uint8_t>(f.length);
        d[dbf::kFieldDecimals] = static_cast<std::uint8_t>(f.decimals);
        if (v == version::VisualFox && (f.binary || f.type == 'G')) {
            d[dbf::kFieldFlags] = dbf::kFieldFlagBinary;
        }
        offset += f.length;
        d += dbf::kDescriptorSize;
    }
    *d = dbf::kDescriptorEnd;  // the back-link of Visual FoxPro stays zero
    return bytes;
}

std::uint8_t CodePageMarkFor(int codePage) {
    struct Mark {
        int codePage;
        std::uint8_t mark;
    };
    static constexpr Mark kMarks[] = {
        {437, 0x01},  {850, 0x02},  {852, 0x64},  {866, 0x65},  {874, 0x7C},
        {932, 0x7B},  {936, 0x7A},  {949, 0x79},  {950, 0x78},  {1250, 0xC8},
        {1251, 0xC9}, {1252, 0x03}, {1253, 0xCB}, {1254, 0xCA}, {1255, 0x7D},
    };
    for (const Mark& m : kMarks) {
        if (m.codePage == codePage) return m.mark;
    }
    return 0;
}

}  // namespace xbase
