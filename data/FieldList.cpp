#include "data/FieldList.h"

#include <algorithm>

#include "data/DataError.h"
#include "data/DataMessages.h"

namespace data {

namespace {
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

Field& FieldList::operator[](int index) const {
    if (index < 0 || index >= Count()) DatabaseError(msg::FieldIndexError);
    return *fields_[static_cast<std::size_t>(index)];
}

Field* FieldList::FindField(std::string_view name) const {
    for (const auto& field : fields_) {
        if (SameName(field->FieldName(), name)) return field.get();
    }
    return nullptr;
}

Field& FieldList::FieldByName(std::string_view name) const {
    Field* field = FindField(name);
    if (field == nullptr) DatabaseErrorFmt(msg::FieldNotFound, {name});
    return *field;
}

Field* FieldList::FieldByNumber(int fieldNo) const {
    if (fieldNo <= 0) return nullptr;
    for (const auto& field : fields_) {
        if (field->FieldNo() == fieldNo) return field.get();
    }
    return nullptr;
}

Field& FieldList::Add(std::unique_ptr<Field> field) {
    if (FindField(field->FieldName()) != nullptr) {
        DatabaseErrorFmt(msg::DuplicateFieldName, {field->FieldName()});
    }
    fields_.push_back(std::move(field));
    Renumber();
    return *fields_.back();
}

std::unique_ptr<Field> FieldList::Remove(Field& field) {
    auto it = std::find_if(fields_.begin(), fields_.end(),
                           [&](const auto& f) { return f.get() == &field; });
    if (it == fields_.end()) return nullptr;
    auto removed = std::move(*it);
    fields_.erase(it);
    removed->index_ = -1;
    Renumber();
    return removed;
}

void FieldList::Renumber() {
    for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->index_ = static_cast<int>(i);
}

}  // namespace data
