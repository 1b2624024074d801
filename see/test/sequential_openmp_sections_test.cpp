#include <dlfcn.h>
#include <gtest/gtest.h>
#include <omp.h>

#include <string>
#include <vector>

namespace {

void inTheProgram() {}

// The sections Tesseract's calls go to: the first definition of each name in
// the program's global scope, which lies in the program itself only if the
// program was built with its own.
TEST(SequentialOpenMpSections, AreThoseTheSharedLibrariesFind) {
  Dl_info program{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&inTheProgram), &program), 0);
  for (const char* name : {"GOMP_parallel_sections", "GOMP_sections_start", "GOMP_sections_next",
                           "GOMP_sections_end", "GOMP_sections_end_nowait"}) {
    void* const found = dlsym(RTLD_DEFAULT, name);
    Dl_info where{};
    ASSERT_NE(dladdr(found, &where), 0) << name;
    EXPECT_EQ(where.dli_fbase, program.dli_fbase) << name << " is defined in " << where.dli_fname;
  }
}

// Each section once, in order, on this thread; a construct inside a section
// runs whole, and the sections after it still run.
TEST(SequentialOpenMpSections, RunEachSectionOnceInOrderAlsoAroundNestedOnes) {
  std::vector<std::string> ran;
  const auto nested = [&ran](const char* name) {
#pragma omp parallel sections
    {
#pragma omp section
      ran.push_back(std::string(name) + ".1");
#pragma omp section
      ran.push_back(std::string(name) + ".2");
    }
  };
#pragma omp parallel sections
  {
#pragma omp section
    ran.push_back("1");
#pragma omp section
    nested("2");
#pragma omp section
    ran.push_back("3");
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"1", "2.1", "2.2", "3"}));
}

// Sections inside a parallel region (a team of this thread alone, as the
// recogniser's are), one holding a combined construct.
TEST(SequentialOpenMpSections, RunInsideAParallelRegion) {
  omp_set_max_active_levels(0);
  std::vector<std::string> ran;
#pragma omp parallel
  {
#pragma omp sections
    {
#pragma omp section
      {
#pragma omp parallel sections
        {
#pragma omp section
          ran.push_back("1.1");
#pragma omp section
          ran.push_back("1.2");
        }
      }
#pragma omp section
      ran.push_back("2");
    }
#pragma omp sections nowait
    {
#pragma omp section
      ran.push_back("3");
#pragma omp section
      ran.push_back("4");
    }
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"1.1", "1.2", "2", "3", "4"}));
}

}  // namespace
