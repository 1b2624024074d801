#pragma once

#include <napi.h>

#include "addon.hpp"

// Steps one Statement row by row. Scripts get one only from iterate().
class StatementIterator : public Napi::ObjectWrap<StatementIterator> {
 public:
  static napi_type_tag TYPE_TAG;

  explicit StatementIterator(const Napi::CallbackInfo& info);

  static Napi::Function Init(Napi::Env env, Addon* addon);
};
