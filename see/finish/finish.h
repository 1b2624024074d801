#pragma once

#include <cstdint>
#include <string_view>

namespace mivo {

// Ends the run of a program that cannot serve its request: writes `message`,
// as oneLine writes it, and a line feed to standard error in one write, then
// ends the process with `status`. The caller builds the whole message, the
// program's prefix included.
[[noreturn]] void finish(std::int32_t status, std::string_view message);

}  // namespace mivo
