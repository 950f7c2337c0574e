#include "data/FieldType.h"

namespace data {

const char* FieldTypeName(FieldType type) {
    switch (type) {
        case ftString:
            return "String";
        case ftSmallint:
            return "Smallint";
        case ftInteger:
            return "Integer";
        case ftFloat:
            return "Float";
        case ftBoolean:
            return "Boolean";
        case ftDate:
            return "Date";
        case ftDateTime:
            return "DateTime";
        case ftMemo:
            return "Memo";
        case ftBlob:
            return "Blob";
        case ftUnknown:
            break;
    }
    return "Unknown";
}

}  // namespace data
