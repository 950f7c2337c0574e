#include "data/SmallintField.h"

namespace data {

SmallintField::SmallintField(std::string fieldName)
    : IntegerField(std::move(fieldName), ftSmallint, -32768, 32767) {}

}  // namespace data
