// The data types a dataset field can have, and their names for messages.
#pragma once

namespace data {

enum FieldType {
    ftUnknown,
    ftString,    // text of at most Size bytes
    ftSmallint,  // 16-bit signed integer
    ftInteger,   // 32-bit signed integer
    ftFloat,     // double
    ftBoolean,
    ftDate,      // day count since 1899-12-30, no time part
    ftDateTime,  // day count since 1899-12-30, fraction = time of day
    ftMemo,      // text of any length, read and written through a blob stream
    ftBlob,      // bytes of any length, read and written through a blob stream
};

// "String", "Integer", ...; used in messages.
const char* FieldTypeName(FieldType type);

}  // namespace data
