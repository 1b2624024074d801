#pragma once

#include <optional>
#include <string>

namespace mivo::see {

// The model's sorting of one screenshot, as the answer carries it.
struct Reading {
  std::string kind;  // "task", "note" or "other"
  std::string title;
  std::string summary;
  std::optional<std::string> todo;  // only for a task, never blank
  std::optional<std::string> due;   // only for a task, YYYY-MM-DD
};

// The answer.
struct Output {
  std::string text;                // the recognised text, untrimmed
  std::optional<Reading> reading;  // only when the model produced one
  std::string model;               // the status word
};

// The answer as compact JSON with no line feed after it; absent members are
// left out, never written as null. Raises foundation::EncodingError.
std::string encodeOutput(const Output& output);

}  // namespace mivo::see
