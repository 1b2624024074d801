#include "helpers.hpp"

#include <cmath>
#include <cstdint>

void SetFrozen(Napi::Env env, Napi::Object object, const Napi::Reference<Napi::String>& name,
               Napi::Value value) {
  napi_property_descriptor descriptor{};
  descriptor.name = name.Value();
  descriptor.value = value;
  descriptor.attributes = napi_enumerable;
  napi_status status = napi_define_properties(env, object, 1, &descriptor);
  NAPI_THROW_IF_FAILED_VOID(env, status);
}

bool IsInt32(Napi::Value value) {
  if (value.IsEmpty()) return false;
  napi_valuetype type;
  napi_status status = napi_typeof(value.Env(), value, &type);
  NAPI_THROW_IF_FAILED(value.Env(), status, false);
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
