#pragma once

#include <leptonica/allheaders.h>

#include <memory>

namespace mivo::platform {

struct PixDeleter {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPointer = std::unique_ptr<Pix, PixDeleter>;

struct BoxDeleter {
  void operator()(Box* box) const { boxDestroy(&box); }
};
using BoxPointer = std::unique_ptr<Box, BoxDeleter>;

struct BoxaDeleter {
  void operator()(Boxa* boxa) const { boxaDestroy(&boxa); }
};
using BoxaPointer = std::unique_ptr<Boxa, BoxaDeleter>;

struct PixaDeleter {
  void operator()(Pixa* pixa) const { pixaDestroy(&pixa); }
};
using PixaPointer = std::unique_ptr<Pixa, PixaDeleter>;

struct NumaDeleter {
  void operator()(Numa* numa) const { numaDestroy(&numa); }
};
using NumaPointer = std::unique_ptr<Numa, NumaDeleter>;

}  // namespace mivo::platform
