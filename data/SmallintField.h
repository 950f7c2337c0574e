// A 16-bit signed integer field (-32768 to 32767); otherwise an integer field.
#pragma once

#include "data/IntegerField.h"

namespace data {

class SmallintField : public IntegerField {
public:
    explicit SmallintField(std::string fieldName);
};

}  // namespace data
