#include "bind_map.hpp"

#include <utility>

#include "napi_calls.hpp"

// Names are made as property keys: they are looked up on every object of
// named parameters.
BindMap::Pair::Pair(Napi::Env env, const char* name, int index) : index(index) {
  napi_value key = nullptr;
  if (CheckStatus(env, node_api_create_property_key_utf8(env, name, NAPI_AUTO_LENGTH, &key))) {
    this->name = Napi::Persistent(Napi::String(env, key));
  }
}

void BindMap::Build(Napi::Env env, sqlite3_stmt* handle) {
  int count = sqlite3_bind_parameter_count(handle);
  for (int i = 1; i <= count; i++) {
    const char* name = sqlite3_bind_parameter_name(handle, i);
    if (name == nullptr) continue;  // a nameless "?"
    if (length == capacity) Grow();
    // ":a", "@a" and "$a" are known as "a"; "?5" as "5".
    pairs[static_cast<size_t>(length++)] = Pair(env, name + 1, i);
  }
}

void BindMap::Grow() {
  capacity = capacity * 2 + 2;
  auto grown = std::make_unique<Pair[]>(static_cast<size_t>(capacity));
  for (int i = 0; i < length; i++) {
    grown[static_cast<size_t>(i)] = std::move(pairs[static_cast<size_t>(i)]);
  }
  pairs = std::move(grown);
}
