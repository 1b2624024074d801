#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mivo::platform {

// Ties together what one generation produced. Each one made is new.
class GenerationID {
 public:
  GenerationID();

  bool operator==(const GenerationID&) const = default;

 private:
  std::uint64_t value_;
};

// What the model generated, as a JSON-like tree: null, a boolean, a number, a
// string, an array of elements, or a structure of named properties in order,
// which may carry the generation's id. The program's own conversions read
// their reply types from it; what cannot be read raises a GenerationError of
// the case decodingFailure.
class GeneratedContent {
 public:
  struct Property;
  using Elements = std::vector<GeneratedContent>;
  using Properties = std::vector<Property>;

  static GeneratedContent null();
  static GeneratedContent ofBoolean(bool value);
  static GeneratedContent ofNumber(double value);
  static GeneratedContent ofString(std::string value);
  static GeneratedContent ofElements(Elements elements);
  // A name given twice keeps its first place and takes its last value.
  static GeneratedContent ofProperties(Properties properties,
                                       std::optional<GenerationID> id = std::nullopt);

  const std::optional<GenerationID>& id() const { return id_; }

  // The string this content is; raises when it is anything else.
  std::string stringValue() const;
  // The property `name` of this structure, null included; raises when it is
  // missing or this is no structure.
  const GeneratedContent& requiredProperty(std::string_view name) const;
  // The same, but none when the property is missing or null.
  const GeneratedContent* optionalProperty(std::string_view name) const;

  // The content as compact JSON text.
  std::string jsonString() const;

 private:
  enum class Kind { null, boolean, number, string, elements, properties };

  explicit GeneratedContent(Kind kind) : kind_(kind) {}
  const Properties& properties() const;

  // Only the member of the kind holds a value.
  Kind kind_;
  bool boolean_ = false;
  double number_ = 0;
  std::string string_;
  Elements elements_;
  Properties properties_;
  std::optional<GenerationID> id_;
};

struct GeneratedContent::Property {
  std::string name;
  GeneratedContent value;
};

}  // namespace mivo::platform
