#include "helpers.hpp"

#include <cmath>
#include <cstdint>

#include "errors.hpp"
#include "napi_calls.hpp"

void SetFrozen(Napi::Env env, Napi::Object object, const Napi::Reference<Napi::String>& name,
               Napi::Value value) {
  napi_property_descriptor descriptor{};
  descriptor.name = name.Value();
  descriptor.value = value;
  descriptor.attributes = napi_enumerable;
  CheckStatus(env, napi_define_properties(env, object, 1, &descriptor));
}

bool DefineDataProperty(napi_env env, napi_value object, napi_value key, napi_value value) {
  napi_property_descriptor descriptor{};
  descriptor.name = key;
  descriptor.value = value;
  descriptor.attributes =
      static_cast<napi_property_attributes>(napi_writable | napi_enumerable | napi_configurable);
  return CheckStatus(env, napi_define_properties(env, object, 1, &descriptor));
}

bool TextWithoutNul(Napi::Env env, Napi::String value, const char* message, std::string* text) {
  *text = value.Utf8Value();
  if (text->find('\0') == std::string::npos) return true;
  ThrowTypeError(env, message);
  return false;
}

bool OptionalBooleanArgument(const Napi::CallbackInfo& info, bool* value) {
  if (info.Length() == 0) {
    *value = true;
    return true;
  }
  if (!info[0].IsBoolean()) {
    ThrowTypeError(info.Env(), "Expected first argument to be a boolean");
    return false;
  }
  *value = info[0].As<Napi::Boolean>();
  return true;
}

bool IsInt32(Napi::Value value) {
  if (value.IsEmpty()) return false;
  napi_valuetype type;
  if (!CheckStatus(value.Env(), napi_typeof(value.Env(), value, &type))) return false;
  if (type != napi_number) return false;
  double x = value.As<Napi::Number>().DoubleValue();
  if (std::isnan(x) || x < -2147483648.0 || x > 2147483647.0) return false;
  if (x == 0.0) return !std::signbit(x);
  return static_cast<double>(static_cast<int32_t>(x)) == x;
}

Napi::Object SafeConstruct(Napi::Env env, const Napi::FunctionReference& constructor) {
  napi_value instance = nullptr;
  napi_status status = napi_new_instance(env, constructor.Value(), 0, nullptr, &instance);
  if (status != napi_ok) return Napi::Object();
  return Napi::Object(env, instance);
}
