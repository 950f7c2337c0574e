// Test support: an expression link over one record held in memory, and evaluation of an
// expression to a short printable form ("C:text", "N:3.5", "D:20070315", "L:T").
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/expr/ExprLink.h"
#include "xbase/table/FieldDescriptor.h"

namespace exprtest {

struct FieldShape {
    std::string name;
    char type = 'C';
    int length = 10;
    int decimals = 0;
};

class RecordLink : public xbase::ExprLink {
public:
    explicit RecordLink(const std::vector<FieldShape>& fields, std::uint8_t version = 0x03);
    // Stores the field's bytes as they would lie in the file (left-aligned, blank-padded).
    void Set(std::string_view name, std::string_view stored);
    void SetMemo(std::string_view name, std::string text) {
        memos_[std::string(name)] = std::move(text);
    }
    void SetDeleted(bool deleted) { record_[0] = deleted ? '*' : ' '; }
    void SetPosition(std::int32_t recNo, bool bof, bool eof) {
        recNo_ = recNo, bof_ = bof, eof_ = eof;
    }

    const std::uint8_t* Record() const override { return record_.data(); }
    std::uint8_t TableVersion() const override { return version_; }
    std::string_view FileName() const override { return "MEMORY"; }
    std::int32_t RecNo() const override { return recNo_; }
    bool Bof() const override { return bof_; }
    bool Eof() const override { return eof_; }
    void ReadMemo(const xbase::FieldDescriptor& field, std::string& out) override;

private:
    std::vector<xbase::FieldDescriptor> fields_;
    std::vector<std::uint8_t> record_;
    std::map<std::string, std::string> memos_;
    std::uint8_t version_;
    std::int32_t recNo_ = 1;
    bool bof_ = false;
    bool eof_ = false;
};

// The value of the expression in printable form: the type letter, ':' and the value
// (numbers in their shortest form, dates as YYYYMMDD or nothing, logicals T or F); for an
// error, "!" and the message.
std::string Eval(std::string_view expression, xbase::ExprLink* link = nullptr);

// The sample record most tests use: NAME C(10) "Lee", CITY C(20) "BEIJING", PRICE N(10,2)
// 123.45, QTY N(5) 7, DDATE D 20070315, EMPTYD D blank, FLAG L T, NOTES M "memo text".
RecordLink& Sample();

}  // namespace exprtest
