// The stream through which an XBaseDataSet's memo, binary and general fields are read and
// written: the field's contents for the active record (memo text translated from the OEM
// code page), read, written and sought like a file. Close() after a change assigns the
// new contents to the field while the dataset edits or inserts; the memo file is written
// when the record is posted.
#pragma once

#include <string>

#include "data/ValueBlobStream.h"

namespace xbase {

class XBaseDataSet;

class BlobStream : public data::ValueBlobStream {
public:
    // Write mode starts empty (and counts as a change); the other modes load the field.
    // The dataset has checked a writing mode against its state and the field.
    BlobStream(XBaseDataSet& dataSet, data::Field& field, data::BlobStreamMode mode);

protected:
    void Store(const std::string& bytes) override;
};

}  // namespace xbase
