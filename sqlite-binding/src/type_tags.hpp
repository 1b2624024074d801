#pragma once

#include <napi.h>

// A random tag, drawn from a fresh instance of the system's random source. Each
// class draws its own once, at the first registration of the process, and
// every environment of the process shares it.
napi_type_tag DrawTypeTag();
