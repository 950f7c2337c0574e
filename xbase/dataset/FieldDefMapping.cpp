#include "xbase/dataset/FieldDefMapping.h"

namespace xbase {

data::FieldType DataSetFieldType(const FieldDescriptor& field) {
    switch (field.type) {
        case 'C': return data::ftString;
        case 'D': return data::ftDate;
        case 'N':
        case 'F':
            if (field.decimals > 0 || field.length > kMaxIntegerDigits) return data::ftFloat;
            return field.length <= 4 ? data::ftSmallint : data::ftInteger;
        case 'I': return data::ftInteger;
        case 'L': return data::ftBoolean;
        case 'M': return data::ftMemo;
        case 'B':
        case 'G': return data::ftBlob;
        case 'T': return data::ftDateTime;
        default: return data::ftUnknown;
    }
}

int DataSetFieldSize(const FieldDescriptor& field) {
    return field.type == 'C' ? field.length : 0;
}

}  // namespace xbase
