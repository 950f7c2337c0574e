#include "appserver/ClientParams.h"

#include "appserver/ServerError.h"
#include "appserver/TextCase.h"

namespace appserver {

ClientParam& ClientParams::Add(std::string name, data::FieldType dataType) {
    params_.emplace_back(std::move(name), dataType);
    return params_.back();
}

ClientParam& ClientParams::operator[](int index) {
    if (index < 0 || index >= Count()) {
        throw ServerError("Parameter index " + std::to_string(index) + " out of bounds (" +
                          std::to_string(Count()) + " parameters)");
    }
    return params_[static_cast<size_t>(index)];
}

ClientParam& ClientParams::ParamByName(std::string_view name) {
    for (ClientParam& p : params_) {
        if (equalsIgnoreCase(p.Name(), name)) return p;
    }
    throw ServerError("Parameter '" + std::string(name) + "' not found");
}

SqlParams ClientParams::Values() const {
    SqlParams values;
    for (const ClientParam& p : params_) values.push_back(p.Value());
    return values;
}

}  // namespace appserver
