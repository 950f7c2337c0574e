#include "xbase/index/cdx/CdxKeyMaker.h"

#include <cctype>
#include <cstring>

#include "xbase/expr/ExprHandler.h"
#include "xbase/expr/TableExprLink.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/cdx/CdxFormat.h"
#include "xbase/index/cdx/CdxKey.h"
#include "xbase/table/DbfFile.h"
#include "xbase/table/FieldCodec.h"

namespace xbase::cdx {

class CdxKeyMaker::View {
public:
    View(DbfFile& table, const std::uint8_t* image)
        : table_(table), previous_(table.UsesOwnRecordBuffer() ? nullptr : table.RecordBuffer()) {
        table_.UseRecordBuffer(const_cast<std::uint8_t*>(image));
    }
    ~View() { table_.UseRecordBuffer(previous_); }
    View(const View&) = delete;
    View& operator=(const View&) = delete;

private:
    DbfFile& table_;
    std::uint8_t* previous_;
};

namespace {

std::string UpperTrimmed(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != ' ') out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace

CdxKeyMaker::CdxKeyMaker(DbfFile& table, const std::string& keyExpression,
                         const std::string& forExpression)
    : table_(table),
      link_(std::make_unique<TableExprLink>(table)),
      key_(std::make_unique<ExprHandler>(link_.get(), false, keyExpression)),
      for_(std::make_unique<ExprHandler>(link_.get(), false, forExpression)),
      blank_(static_cast<std::size_t>(table.RecordLength()) + 1, ' ') {
    ExprKey key;
    {
        View view(table_, blank_.data());
        key_->EvaluateKey(key);
    }
    switch (key.type) {
        case 'N':
        case 'D':
            keyType_ = key.type;
            keyLength_ = 8;
            break;
        case 'L':
            keyLength_ = 1;
            break;
        default:
            keyLength_ = static_cast<std::uint16_t>(key.text.size() == 0 ? 1 : key.text.size());
            if (key.text.size() > kMaxKeyLength)
                throw XBaseError("Key expression " + keyExpression + " gives keys of " +
                                 std::to_string(key.text.size()) +
                                 " bytes; an index key holds at most 240");
    }
    // A key that is one field is read from the record without evaluating: a character
    // field's bytes as they stand, a numeric or date field's value as the field layer
    // reads it (the value its field variable gives).
    const std::string name = UpperTrimmed(keyExpression);
    for (const FieldDescriptor& f : table_.Fields()) {
        if (f.name != name) continue;
        if (f.type == 'C' && keyType_ == 'C' && f.length == keyLength_) fieldOffset_ = f.offset;
        if ((f.type == 'N' || f.type == 'F') && keyType_ == 'N') field_ = &f;
        if (f.type == 'D' && keyType_ == 'D') field_ = &f;
    }
}

CdxKeyMaker::~CdxKeyMaker() = default;

bool CdxKeyMaker::Selected(const std::uint8_t* image) {
    if (!for_->HasTree()) return true;
    View view(table_, image);
    const ExprValue& v = for_->Evaluate();
    if (v.type != ExprType::Logical)
        throw XBaseError("Filter expression must return boolean result");
    return v.logical;
}

void CdxKeyMaker::Key(const std::uint8_t* image, std::uint8_t* out) {
    if (fieldOffset_ >= 0) {
        std::memcpy(out, image + fieldOffset_, keyLength_);
        return;
    }
    if (field_ != nullptr) {
        const TableContext context{table_.Version(), table_.FullPath()};
        if (keyType_ == 'N') {
            EncodeNumberKey(FieldCodec::GetNumber(*field_, image, context), out);
        } else {
            EncodeDateKey(FieldCodec::GetDate(*field_, image, context), out);
        }
        return;
    }
    View view(table_, image);
    ExprKey key;
    key_->EvaluateKey(key);
    switch (keyType_) {
        case 'N':
            EncodeNumberKey(key.type == 'N' ? key.number : 0, out);
            break;
        case 'D':
            EncodeDateKey(key.type == 'D' ? key.date : 0, out);
            break;
        default:
            if (key.type == 'L') {
                EncodeTextKey(key.logical ? "T" : "F", keyLength_, out);
            } else {
                EncodeTextKey(key.text, keyLength_, out);
            }
    }
}

}  // namespace xbase::cdx
