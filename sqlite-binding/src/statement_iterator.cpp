#include "statement_iterator.hpp"

#include "class_definition.hpp"
#include "errors.hpp"
#include "type_tags.hpp"

napi_type_tag StatementIterator::TYPE_TAG = DrawTypeTag();

Napi::Function StatementIterator::Init(Napi::Env env, Addon* addon) {
  return ::DefineClass<StatementIterator>(env, "StatementIterator", {}, addon);
}

StatementIterator::StatementIterator(const Napi::CallbackInfo& info)
    : Napi::ObjectWrap<StatementIterator>(info) {
  Napi::Env env = info.Env();
  if (!CheckStatus(env, napi_type_tag_object(env, info.This(), &TYPE_TAG))) return;
  Addon* addon = static_cast<Addon*>(info.Data());
  if (addon->pending_construction == nullptr) {
    ThrowTypeError(env, "Disabled constructor");
    return;
  }
}
