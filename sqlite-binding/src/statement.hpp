#pragma once

#include <napi.h>
#include <sqlite3.h>

#include <cstdint>
#include <memory>

#include "addon.hpp"

class Database;

// One prepared statement of a Database. Scripts get one only from prepare().
class Statement : public Napi::ObjectWrap<Statement> {
 public:
  static napi_type_tag TYPE_TAG;

  explicit Statement(const Napi::CallbackInfo& info);
  ~Statement() override;

  static Napi::Function Init(Napi::Env env, Addon* addon);

  uint64_t Id() const { return extras->id; }

  struct Extras {
    uint64_t id;
  };

  Database* db = nullptr;
  sqlite3_stmt* handle = nullptr;
  std::unique_ptr<Extras> extras;
  bool alive = false;
  bool locked = false;
  bool bound = false;
  bool has_bind_map = false;
  bool safe_ints = false;
  uint8_t mode = 0;
  bool returns_data = false;
};
