#include "data/FieldFactory.h"

#include "data/BlobField.h"
#include "data/BooleanField.h"
#include "data/DateField.h"
#include "data/DateTimeField.h"
#include "data/FloatField.h"
#include "data/IntegerField.h"
#include "data/MemoField.h"
#include "data/SmallintField.h"
#include "data/StringField.h"

namespace data {

std::unique_ptr<Field> NewField(FieldType type, std::string fieldName, int size) {
    switch (type) {
        case ftString:
            return std::make_unique<StringField>(std::move(fieldName), size);
        case ftSmallint:
            return std::make_unique<SmallintField>(std::move(fieldName));
        case ftInteger:
            return std::make_unique<IntegerField>(std::move(fieldName));
        case ftFloat:
            return std::make_unique<FloatField>(std::move(fieldName));
        case ftBoolean:
            return std::make_unique<BooleanField>(std::move(fieldName));
        case ftDate:
            return std::make_unique<DateField>(std::move(fieldName));
        case ftDateTime:
            return std::make_unique<DateTimeField>(std::move(fieldName));
        case ftMemo:
            return std::make_unique<MemoField>(std::move(fieldName));
        case ftBlob:
            return std::make_unique<BlobField>(std::move(fieldName));
        case ftUnknown:
            break;
    }
    return nullptr;
}

}  // namespace data
