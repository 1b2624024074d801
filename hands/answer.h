#pragma once

#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace mivo::hands {

// A boolean, a number, a string, or an array of numbers.
using AnswerValue = std::variant<bool, double, std::string, std::vector<double>>;

// The answer object: its members in the order the handler gives them.
struct Answer {
  std::vector<std::pair<std::string, AnswerValue>> members;
};

// {"ok": true}, the answer of every command that only acts.
Answer okAnswer();

// Writes the answer to standard output as compact JSON, then a line feed as a
// second write. An answer that cannot be written whole ends the run through
// `finish` with status 1: a host must not take a cut answer for one.
void answer(const Answer& object);

// Ends the run through `finish` with status 1 and the line of `answer` when
// standard output cannot take an answer at all. A command whose answer can go
// nowhere is not carried out: the host takes the failed run for one not done.
void requireStandardOutput();

}  // namespace mivo::hands
