// OpenMP's `sections` constructs, run one after the other on the calling
// thread, in place of libgomp's. Tesseract's LSTM layers compute their gates
// in a parallel-sections region at every time step of every line: some
// 125,000 regions on a terminal screen. Held to one thread (see
// recognizeText), libgomp still starts and ends a team for each and wakes its
// barrier with a futex call, which took a sixth of the time of a screen of
// small text. These definitions, in the program, take the place of the shared
// library's for Tesseract's calls; the sections, the same in number and
// order, give the same text.
//
// Every `sections` construct goes through them, the combined parallel ones
// and those inside a parallel region alike, each from its start to its end,
// so that the sections one hands out are the ones its body asks for, also
// where a section holds another construct; a region of one thread, as every
// region here is, runs each section once.

#include <vector>

extern "C" {
void GOMP_parallel_sections(void (*body)(void*), void* data, unsigned threads, unsigned count,
                            unsigned flags);
unsigned GOMP_sections_start(unsigned count);
unsigned GOMP_sections_next();
void GOMP_sections_end();
void GOMP_sections_end_nowait();
}

namespace {

// The constructs under way on this thread, the innermost last: the next
// section of each to run, and how many it has, numbered from 1 as OpenMP
// numbers them (0: none left).
struct Sections {
  unsigned next;
  unsigned count;
};
thread_local std::vector<Sections> underWay;

}  // namespace

extern "C" {

// The body asks for its sections, then ends the construct.
void GOMP_parallel_sections(void (*body)(void*), void* data, unsigned /*threads*/, unsigned count,
                            unsigned /*flags*/) {
  underWay.push_back({1, count});
  body(data);
}

unsigned GOMP_sections_start(unsigned count) {
  underWay.push_back({1, count});
  return GOMP_sections_next();
}

unsigned GOMP_sections_next() {
  Sections& sections = underWay.back();
  return sections.next <= sections.count ? sections.next++ : 0;
}

void GOMP_sections_end() { underWay.pop_back(); }

void GOMP_sections_end_nowait() { underWay.pop_back(); }

}  // extern "C"
