// The field layer's conversions: reading and writing one field's value in a
// record buffer, between the stored text or binary forms and text, numbers, Julian days
// and booleans.
//
// Free functions over a field descriptor and a record buffer (byte 0 the deletion flag, a
// field's bytes at desc.offset). The table's field layer (DbfFields) looks fields up,
// keeps the changed marks and delegates every conversion here. The buffer must hold
// desc.offset + desc.length bytes for every field passed in.
//
// Errors go through ReportEngineError with the engine's codes. When the hook
// returns instead of throwing, the operation returns its empty result (empty text, 0,
// false) and stores nothing. Every Put returns whether it stored, so the caller can set
// the field's changed mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/table/FieldDescriptor.h"

namespace xbase {

// What the conversions need to know of the table.
struct TableContext {
    std::uint8_t version = 0;   // the table's version byte (0x30: binary B, G, I, M, T, Y)
    std::string_view fileName;  // the table's file name or full path; messages use it
                                // without directory and extension
};

namespace FieldCodec {

// True for the fields stored in binary: types B, G, I, M, T and Y of version 0x30 tables.
bool IsBinary(char type, std::uint8_t version);

// Whether the field holds no value at all: its Visual FoxPro null flag is set, or it is a
// binary date-time without a day (eight zero bytes, as FoxPro writes a blank one, or
// spaces).
bool IsNull(const FieldDescriptor& field, const std::uint8_t* record, const TableContext& table);
// Sets or clears the field's null flag (nothing for a field that has none).
void SetNull(const FieldDescriptor& field, std::uint8_t* record, bool null);

// GetFieldRaw: the stored bytes, stopping early at the first NUL; no trimming.
void GetRaw(const FieldDescriptor& field, const std::uint8_t* record, std::string& out);
std::string GetRaw(const FieldDescriptor& field, const std::uint8_t* record);

// PutFieldRaw: fills the field with spaces, then stores at most the field's length of the
// text's first characters, left-aligned for C, D and L, right-aligned for all other types.
// Always stores (true).
bool PutRaw(const FieldDescriptor& field, std::uint8_t* record, std::string_view text);

// GetFieldText: the display form by type (C as stored without trailing spaces; D in the
// short date format; N and F trimmed, formatted zero when empty; L "T" or "F"; M, B, G
// the memo marks such as "---MEMO---"/"---memo---"). A D field whose text is no date
// throws DateConversionError.
void GetText(const FieldDescriptor& field, const std::uint8_t* record, const TableContext& table,
             std::string& out);
std::string GetText(const FieldDescriptor& field, const std::uint8_t* record,
                    const TableContext& table);
// The same display form without a copy: a view into the record buffer when the display
// is the stored text trimmed (C, non-blank N and F), a constant for L, else into
// `scratch`, which the other types write. Valid while the record and `scratch` are.
std::string_view TextView(const FieldDescriptor& field, const std::uint8_t* record,
                          const TableContext& table, std::string& scratch);

// PutFieldText: D read as a date (DateConversionError when it is none) and stored with
// PutDate; L by its first character (error 1004/1262 for one that is no logical value);
// N read as a number (error 1004/1261 when it is none) and stored with PutNumber; every
// other type stored raw.
bool PutText(const FieldDescriptor& field, std::uint8_t* record, const TableContext& table,
             std::string_view text);

// GetFieldNumber: the binary value of B, G, I, M, T, Y in version 0x30 tables, else the
// stored text read as a number (0 when blank; error 1004 "Invalid number in field ..."
// and 0 when it is none). The field's type is not checked.
double GetNumber(const FieldDescriptor& field, const std::uint8_t* record,
                 const TableContext& table);

// PutFieldNumber: B, F, G, M, N, and in version 0x30 tables I, T, Y (else error
// 1004/1299). Binary types store their binary form; text types the value in fixed
// notation with the field's decimals, right-aligned (error 1011/1261 and nothing stored
// when it does not fit, as infinity and NaN never do).
bool PutNumber(const FieldDescriptor& field, std::uint8_t* record, const TableContext& table,
               double value);

// GetFieldDate: the Julian day of the stored date, 0 when blank or all zeros; error
// 1004 "Invalid date in field ..." and 0 when the text is no date. Type not checked.
std::int32_t GetDate(const FieldDescriptor& field, const std::uint8_t* record,
                     const TableContext& table);

// PutFieldDate: -1 is refused (error 1004/1251); a field not of type D returns false
// without an error; else "yyyymmdd" for a positive day, eight spaces otherwise.
bool PutDate(const FieldDescriptor& field, std::uint8_t* record, std::int32_t julian);

// GetFieldLogical: true when the stored text is exactly one of T t Y y J j.
bool GetLogical(const FieldDescriptor& field, const std::uint8_t* record);

// PutFieldLogical: "T" or "F"; a field not of type L is error 1004/1299.
bool PutLogical(const FieldDescriptor& field, std::uint8_t* record, bool flag);

// CheckFieldType's rule: the same letter passes; a wanted N also accepts B, F, G, I and
// M; a wanted G also accepts B and M.
bool TypeAccepts(char fieldType, char wanted);
// CheckFieldType for a field already looked up: false after error 1004/1299 with the
// name as the caller requested it.
bool CheckFieldType(const FieldDescriptor& field, char wanted, std::string_view requestedName);

// BlankRecord over a buffer of recordLength bytes: every byte a space, then every N and F
// field, and in version 0x30 tables every binary field, set with PutNumber(0). The
// changed marks and the handler's notice are the caller's.
void BlankRecord(std::uint8_t* record, std::size_t recordLength,
                 std::span<const FieldDescriptor> fields, const TableContext& table);

// BuildRecordImage's field list: split at each ";", each name trimmed of leading and
// trailing blanks; every name counts, the last one included ("a; b ;c" gives a, b, c).
// An empty list gives no names.
std::vector<std::string> SplitFieldList(std::string_view fieldList);

// Finds a field by name for BuildRecordImage (the field layer's LookupField, which
// reports an unknown name itself); nullptr when there is none.
using FieldLookup = std::function<const FieldDescriptor*(std::string_view name)>;

// BuildRecordImage: blanks the caller's buffer, then writes the values by name with
// PutText. With valuesAreArray the i-th name gets values[i] (names past the end of the
// array get nothing); otherwise only the first name gets values[0]. A missing value
// (nullopt) is written as empty text. The table's own record buffer is never involved,
// so a failing write cannot leave it pointing at the caller's buffer.
void BuildRecordImage(std::uint8_t* buffer, std::size_t recordLength,
                      std::span<const FieldDescriptor> fields, const TableContext& table,
                      std::string_view fieldList,
                      std::span<const std::optional<std::string>> values, bool valuesAreArray,
                      const FieldLookup& lookup);

// The number grammar of N fields: optional leading spaces, optional sign, digits with an
// optional fraction after a period (".5" and "5." count), optional exponent (e or E,
// optional sign, digits); nothing else, no trailing characters. False when the text is
// no number (or lies beyond the range of a double).
bool ParseNumber(std::string_view text, double& value);

// The value in fixed notation with exactly `decimals` digits after a period (no period
// for 0), '-' for negative values (never for a value that rounds to zero), rounded half
// away from zero on the shortest decimal form of the double (so 2.675 gives 2.68 and 0.5
// with no decimals gives 1), right-aligned with spaces to `width`. The text is longer
// than `width` when the value does not fit. Infinity and NaN give "inf", "-inf", "nan".
void FormatNumber(double value, int width, int decimals, std::string& out);

}  // namespace FieldCodec

}  // namespace xbase
