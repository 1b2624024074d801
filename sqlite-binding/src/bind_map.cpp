#include "bind_map.hpp"

#include <utility>

BindMap::Pair::Pair(Napi::Env env, const char* name, int index)
    : name(Napi::Persistent(Napi::String::New(env, name))), index(index) {}

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
