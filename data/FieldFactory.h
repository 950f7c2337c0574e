// Creates the field object of the class that belongs to a data type.
#pragma once

#include <memory>
#include <string>

#include "data/Field.h"

namespace data {

// ftUnknown yields nullptr; the size is used by string fields only.
std::unique_ptr<Field> NewField(FieldType type, std::string fieldName, int size = 0);

}  // namespace data
