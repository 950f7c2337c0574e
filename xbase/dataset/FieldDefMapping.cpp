#include "xbase/dataset/FieldDefMapping.h"

namespace xbase {

data::FieldType DataSetFieldType(const FieldDescriptor& field, std::uint8_t version) {
    switch (field.type) {
        case 'C':
            return data::ftString;
        case 'V':
            return IsVisualFoxVersion(version) ? data::ftString : data::ftUnknown;
        case 'D':
            return data::ftDate;
        case 'N':
        case 'F':
            if (field.decimals > 0 || field.length > kMaxIntegerDigits) return data::ftFloat;
            return field.length <= 4 ? data::ftSmallint : data::ftInteger;
        case 'I':
            return data::ftInteger;
        case 'L':
            return data::ftBoolean;
        case 'M':
            return data::ftMemo;
        case 'B':
            return IsVisualFoxVersion(version) ? data::ftFloat : data::ftBlob;
        case 'Y':
            return IsVisualFoxVersion(version) ? data::ftFloat : data::ftUnknown;
        case 'G':
            return data::ftBlob;
        case 'Q':
            return IsVisualFoxVersion(version) ? data::ftBlob : data::ftUnknown;
        case 'T':
            return data::ftDateTime;
        default:
            return data::ftUnknown;
    }
}

int DataSetFieldSize(const FieldDescriptor& field) {
    return field.type == 'C' || field.type == 'V' ? field.length : 0;
}

int DataSetFieldPrecision(const FieldDescriptor& field) {
    return field.type == 'Y' ? 4 : field.decimals;
}

}  // namespace xbase
