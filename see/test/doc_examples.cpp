#include "see/test/doc_examples.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace mivo::test {
namespace {

// What ends the part of a doc that belongs to one example: the mention of
// another.
constexpr std::string_view kExampleMention = "/examples/";

// Whether `pieces` stand in `text` in this order.
bool inOrder(std::string_view text, const std::vector<std::string>& pieces) {
  std::size_t from = 0;
  for (const std::string& piece : pieces) {
    const std::size_t at = text.find(piece, from);
    if (at == std::string_view::npos) return false;
    from = at + piece.size();
  }
  return true;
}

}  // namespace

std::string readTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string exampleRequest(const std::string& path) {
  std::string request = readTextFile(path);
  if (!request.empty() && request.back() == '\n') request.pop_back();
  return request;
}

std::string missingFromDoc(const std::string& doc, const std::string& example,
                           const std::string& request, const ShownRun& run) {
  std::vector<std::string> pieces = {request, "exit status " + std::to_string(run.status)};
  if (!run.standardError.empty()) pieces.push_back(run.standardError);
  if (!run.standardOutput.empty()) pieces.push_back(run.standardOutput);
  const std::string_view text = doc;
  for (std::size_t at = text.find(example); at != std::string_view::npos;
       at = text.find(example, at + 1)) {
    const std::size_t end = text.find(kExampleMention, at + example.size());
    if (inOrder(text.substr(at, end == std::string_view::npos ? end : end - at), pieces)) return "";
  }
  std::string missing = "no part of the doc on " + example + " shows, in this order:";
  for (const std::string& piece : pieces) missing += "\n  " + piece;
  return missing;
}

}  // namespace mivo::test
