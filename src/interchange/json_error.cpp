#include "interchange/json_error.h"

namespace mapolt {

JsonError JsonError::wrappedIn(JsonErrorCode code, std::string message) const {
    JsonError outer(code, std::move(message), offset_);
    outer.cause_ = std::make_shared<const JsonError>(*this);
    return outer;
}

std::vector<const JsonError*> JsonError::chain() const {
    std::vector<const JsonError*> out;
    for (const JsonError* e = this; e != nullptr; e = e->cause())
        out.push_back(e);
    return out;
}

std::string JsonError::traceDescription() const {
    const std::vector<const JsonError*> errors = chain();
    std::string out = "(";
    for (auto it = errors.rbegin(); it != errors.rend(); ++it) {
        if (it != errors.rbegin())
            out += ", ";
        out += "\"" + (*it)->message() + "\"";
    }
    return out + ")";
}

} // namespace mapolt
