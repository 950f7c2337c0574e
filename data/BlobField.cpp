#include "data/BlobField.h"

#include <cctype>

#include "data/DataSet.h"

namespace data {

BlobField::BlobField(std::string fieldName) : BlobField(std::move(fieldName), ftBlob) {}

BlobField::BlobField(std::string fieldName, FieldType dataType)
    : Field(std::move(fieldName), dataType, 0) {}

std::string BlobField::LoadBytes() const {
    DataSet* dataSet = GetDataSet();
    if (dataSet == nullptr || IsNull()) return {};
    auto stream = dataSet->CreateBlobStream(const_cast<BlobField&>(*this), bmRead);
    return stream->ReadAll();
}

void BlobField::StoreBytes(std::string_view bytes) {
    DataSet* dataSet = GetDataSet();
    if (dataSet == nullptr) {
        SetData(std::monostate{});  // raises the no-dataset message
        return;
    }
    auto stream = dataSet->CreateBlobStream(*this, bmWrite);
    stream->Write(bytes.data(), bytes.size());
    stream->Close();
}

std::string BlobField::AsString() const { return LoadBytes(); }

void BlobField::SetAsString(std::string_view text) { StoreBytes(text); }

FieldValue BlobField::Value() const {
    if (IsNull()) return {};
    return BlobBytes{LoadBytes()};
}

void BlobField::SetValue(const FieldValue& value) {
    FieldValue typed = Convert(value);
    auto* blob = std::get_if<BlobBytes>(&typed);
    StoreBytes(blob ? std::string_view(blob->bytes) : std::string_view{});
}

std::string BlobField::DisplayText() const {
    std::string tag = DisplayTag();
    if (!IsNull()) {
        for (char& c : tag) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return "(" + tag + ")";
}

FieldValue BlobField::Convert(const FieldValue& value) const {
    if (auto* blob = std::get_if<BlobBytes>(&value)) {
        if (blob->bytes.empty()) return {};
        return *blob;
    }
    if (auto* s = std::get_if<std::string>(&value)) return ParseText(*s);
    if (std::holds_alternative<std::int32_t>(value)) AccessError("Integer");
    if (std::holds_alternative<double>(value)) AccessError("Float");
    if (std::holds_alternative<bool>(value)) AccessError("Boolean");
    return {};
}

std::string BlobField::FormatValue(const FieldValue& value) const {
    if (auto* blob = std::get_if<BlobBytes>(&value)) return blob->bytes;
    if (auto* s = std::get_if<std::string>(&value)) return *s;
    return {};
}

FieldValue BlobField::ParseText(std::string_view text) const {
    if (text.empty()) return {};
    return BlobBytes{std::string(text)};
}

}  // namespace data
