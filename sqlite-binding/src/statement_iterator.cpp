#include "statement_iterator.hpp"

#include <vector>

#include "errors.hpp"
#include "type_tags.hpp"

napi_type_tag StatementIterator::TYPE_TAG = DrawTypeTag();

Napi::Function StatementIterator::Init(Napi::Env env, Addon* addon) {
  return DefineClass(env, "StatementIterator", std::vector<PropertyDescriptor>(), addon);
}

StatementIterator::StatementIterator(const Napi::CallbackInfo& info)
    : Napi::ObjectWrap<StatementIterator>(info) {
  Napi::Env env = info.Env();
  napi_status status = napi_type_tag_object(env, info.This(), &TYPE_TAG);
  NAPI_THROW_IF_FAILED_VOID(env, status);
  Addon* addon = static_cast<Addon*>(info.Data());
  if (addon->pending_construction == nullptr) {
    ThrowTypeError(env, "Disabled constructor");
    return;
  }
}
