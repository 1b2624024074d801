#include "statement.hpp"

#include <vector>

#include "database.hpp"
#include "errors.hpp"
#include "type_tags.hpp"

napi_type_tag Statement::TYPE_TAG = DrawTypeTag();

Napi::Function Statement::Init(Napi::Env env, Addon* addon) {
  return DefineClass(env, "Statement", std::vector<PropertyDescriptor>(), addon);
}

Statement::Statement(const Napi::CallbackInfo& info) : Napi::ObjectWrap<Statement>(info) {
  Napi::Env env = info.Env();
  napi_status status = napi_type_tag_object(env, info.This(), &TYPE_TAG);
  NAPI_THROW_IF_FAILED_VOID(env, status);
  Addon* addon = static_cast<Addon*>(info.Data());
  if (addon->pending_construction == nullptr) {
    ThrowTypeError(env, "Statements can only be constructed by the db.prepare() method");
    return;
  }
}

Statement::~Statement() {
  if (alive) {
    db->stmts.erase(this);
    alive = false;
    sqlite3_finalize(handle);
  }
}
