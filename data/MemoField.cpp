#include "data/MemoField.h"

namespace data {

MemoField::MemoField(std::string fieldName) : BlobField(std::move(fieldName), ftMemo) {}

}  // namespace data
