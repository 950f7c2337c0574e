// A text field of any length, kept like a blob (read and written through the dataset's
// blob stream). AsString is the text; a grid shows "(MEMO)", or "(memo)" when empty.
#pragma once

#include "data/BlobField.h"

namespace data {

class MemoField : public BlobField {
public:
    explicit MemoField(std::string fieldName);

protected:
    const char* DisplayTag() const override { return "memo"; }
};

}  // namespace data
