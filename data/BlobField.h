// A binary field of any length. Its bytes are read and written through the dataset's
// blob stream (DataSet::CreateBlobStream); AsString gives and takes the bytes as they
// are. A grid shows "(BLOB)", or "(blob)" when the field is empty.
#pragma once

#include "data/Field.h"

namespace data {

class BlobField : public Field {
public:
    explicit BlobField(std::string fieldName);

    bool IsBlob() const override { return true; }
    std::string AsString() const override;
    void SetAsString(std::string_view text) override;
    std::string DisplayText() const override;
    FieldValue Value() const override;  // BlobBytes of the content, or null
    void SetValue(const FieldValue& value) override;

    // Whole content, through a blob stream.
    std::string LoadBytes() const;
    void StoreBytes(std::string_view bytes);

    std::string FormatValue(const FieldValue& value) const override;
    FieldValue ParseText(std::string_view text) const override;
    FieldValue Convert(const FieldValue& value) const override;

protected:
    BlobField(std::string fieldName, FieldType dataType);
    // "(BLOB)" / "(MEMO)" in upper case when the field holds something.
    virtual const char* DisplayTag() const { return "blob"; }
};

}  // namespace data
