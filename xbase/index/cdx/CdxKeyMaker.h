// The key and FOR condition of one tag, evaluated over record images of its table: the
// compiled expressions, the key's type and length as learnt when the tag was made, and the
// stored form of each record's key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace xbase {
class DbfFile;
struct FieldDescriptor;
class ExprHandler;
class TableExprLink;
}  // namespace xbase

namespace xbase::cdx {

class CdxKeyMaker {
public:
    // Compiles both expressions against `table` (XBaseExpressionError for a bad one) and
    // learns the key's type and length from its value on a blank record. A key longer
    // than 240 bytes raises XBaseError.
    CdxKeyMaker(DbfFile& table, const std::string& keyExpression, const std::string& forExpression);
    ~CdxKeyMaker();

    char KeyType() const { return keyType_; }
    std::uint16_t KeyLength() const { return keyLength_; }

    // Whether the record `image` (the table's record length) passes the FOR condition.
    bool Selected(const std::uint8_t* image);
    // Writes the stored key (KeyLength() bytes) of the record `image` into `out`.
    void Key(const std::uint8_t* image, std::uint8_t* out);

private:
    // Points the table's record buffer at `image` for the length of one evaluation.
    class View;

    DbfFile& table_;
    std::unique_ptr<TableExprLink> link_;
    std::unique_ptr<ExprHandler> key_;
    std::unique_ptr<ExprHandler> for_;
    char keyType_ = 'C';
    std::uint16_t keyLength_ = 0;
    // A single character field as the key: its bytes are the key, no evaluation needed.
    int fieldOffset_ = -1;
    // A single numeric or date field as the key.
    const FieldDescriptor* field_ = nullptr;
    std::vector<std::uint8_t> blank_;
};

}  // namespace xbase::cdx
