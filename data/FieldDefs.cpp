#include "data/FieldDefs.h"

#include "data/DataError.h"
#include "data/DataMessages.h"
#include "data/FieldList.h"

namespace data {

FieldDef& FieldDefList::Add(std::string name, FieldType dataType, int size, bool required) {
    if (Find(name) != nullptr) DatabaseErrorFmt(msg::DuplicateFieldName, {name});
    FieldDef def;
    def.name = std::move(name);
    def.dataType = dataType;
    def.size = size;
    def.required = required;
    def.fieldNo = Count() + 1;
    defs_.push_back(std::move(def));
    return defs_.back();
}

const FieldDef* FieldDefList::Find(std::string_view name) const {
    for (const auto& def : defs_) {
        if (SameName(def.name, name)) return &def;
    }
    return nullptr;
}

}  // namespace data
