// Which dataset field type stands for a table field: C string, D date, N/F float with
// decimals or a small integer / integer without, I integer, L Boolean, M memo, B/G blob
// (in Visual FoxPro tables B is a double and so a float, as Y currency is; V is a string
// and Q a blob there), T date-time; any other letter (the _NullFlags column among them) has no
// dataset field.
#pragma once

#include "data/FieldType.h"
#include "xbase/table/FieldDescriptor.h"

namespace xbase {

// N and F fields without decimals of more digits than this hold values beyond a 32-bit
// integer, so they are read as floats (nine digits always fit).
inline constexpr int kMaxIntegerDigits = 9;

data::FieldType DataSetFieldType(const FieldDescriptor& field, std::uint8_t version);
// The size a field definition of that field carries (the length for strings, else 0).
int DataSetFieldSize(const FieldDescriptor& field);
// The decimals a float field keeps: the descriptor's, and four for currency.
int DataSetFieldPrecision(const FieldDescriptor& field);

}  // namespace xbase
