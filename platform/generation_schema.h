#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mivo::platform {

// The schema of a type that the model generates, as plain data: the framework
// puts it into the prompt and the model's reply is made to fit it. A schema
// with properties stands for a structure; a string schema with `anyOf`
// choices for an enumeration.
struct GenerationSchema {
  struct Property;

  std::string type{};                        // the type's name: "String", "NoteTitle", ...
  std::optional<std::string> description{};  // the type's own description
  std::vector<Property> properties{};        // in the order the type declares them
  std::vector<std::string> anyOf{};          // the only strings the value may be, in order

  bool operator==(const GenerationSchema&) const = default;
};

// One property of a structure, with no generation guides.
struct GenerationSchema::Property {
  std::string name{};
  std::optional<std::string> description{};
  GenerationSchema type{};
  bool isOptional = false;  // the model may leave it out

  bool operator==(const Property&) const = default;
};

// The schema of a plain string.
inline GenerationSchema stringGenerationSchema() { return {.type = "String"}; }

}  // namespace mivo::platform
