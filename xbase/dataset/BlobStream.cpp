#include "xbase/dataset/BlobStream.h"

#include "data/Field.h"
#include "xbase/dataset/XBaseDataSet.h"

namespace xbase {

BlobStream::BlobStream(XBaseDataSet& dataSet, data::Field& field, data::BlobStreamMode mode)
    : ValueBlobStream(dataSet, field, mode,
                      mode == data::bmWrite ? std::string() : dataSet.ReadMemoField(field)) {}

void BlobStream::Store(const std::string& bytes) {
    switch (OwnerDataSet().State()) {
        case data::dsEdit:
        case data::dsInsert:
            OwnerDataSet().SetFieldData(OwnerField(), data::BlobBytes{bytes});
            break;
        default:
            break;
    }
}

}  // namespace xbase
