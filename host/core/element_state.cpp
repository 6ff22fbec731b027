#include "host/core/element_state.h"

namespace panelhost {

void TokenStore::SetNumber(SINT32 token, double value) {
    MODULE_VAR_VALUE stored{};
    stored.n = value;
    tokens_[token] = stored;
}

void TokenStore::SetInteger(SINT32 token, std::int32_t value) {
    MODULE_VAR_VALUE stored{};
    stored.d = value;
    tokens_[token] = stored;
}

MODULE_VAR_VALUE TokenStore::Token(SINT32 token) const {
    auto it = tokens_.find(token);
    return it == tokens_.end() ? MODULE_VAR_VALUE{} : it->second;
}

double TokenStore::Number(SINT32 token) const { return Token(token).n; }
std::int32_t TokenStore::Integer(SINT32 token) const { return Token(token).d; }

}  // namespace panelhost
