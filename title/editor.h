#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "see/model/model_services.h"

namespace mivo::title {

// One entry per paragraph, in order: its edit, or none where it was not edited.
using EditedParagraphs = std::vector<std::optional<std::string>>;

// What mivo-title asks of the on-device model for a light edit of paragraphs.
struct Editor {
  // The instructions of every paragraph session.
  static const std::string_view instructions;

  // Each paragraph edited on its own, in a session of its own, never cut and
  // never retried. An empty paragraph, one of more than 4000 user-perceived
  // characters, and one on which the model fails, whatever the error, are
  // not edited. None when the model is not available; it never fails.
  static std::optional<EditedParagraphs> edit(const std::vector<std::string>& paragraphs,
                                              const model::ModelServices& services);
};

}  // namespace mivo::title
