#pragma once

#include <napi.h>
#include <sqlite3.h>

#include <memory>

// The named parameters of one statement in increasing index order, each name
// kept as a script string without its prefix character, so that binding an
// object makes no strings and parses no names.
class BindMap {
 public:
  struct Pair {
    Pair() = default;
    Pair(Napi::Env env, const char* name, int index);

    Napi::Reference<Napi::String> name;
    int index = 0;
  };

  // Fills the table from the statement's parameters; called once per statement.
  void Build(Napi::Env env, sqlite3_stmt* handle);

  const Pair* begin() const { return pairs.get(); }
  const Pair* end() const { return pairs.get() + length; }
  int Length() const { return length; }

 private:
  void Grow();

  std::unique_ptr<Pair[]> pairs;
  int capacity = 0;
  int length = 0;
};
