#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mivo::test {

enum class PictureFormat { png, jpeg, tiff, gif, bmp, pnm, webp, jp2, spix };

// Writes a picture of dark text on white, one rendered line per entry of
// `lines` (none: a blank picture), made with Leptonica's own bitmap font.
void writeTextPicture(const std::string& path, const std::vector<std::string>& lines,
                        PictureFormat format = PictureFormat::png);

// Ways of storing a picture beyond each format's plainest, for the decoders'
// other paths.
enum class PictureVariant {
  pngBlackAndWhite,  // one bit a pixel
  pngGrey16,         // 16-bit grey
  pngPalette,        // colour table of 8 bits
  pngInterlaced,     // RGB, Adam7
  jpegGrey,
  tiffFax,           // one bit, CCITT group 4, white as 0
  tiffJpeg,          // YCbCr, subsampled, in JPEG strips
  tiffPalette,
  tiffTiled,         // RGB in tiles of 64 x 64
  bmpPalette,
  bmpBlackAndWhite,
  pbmAscii,         // P1, its bits without spaces between them
  pgmAscii,         // P2, with comments in the header and among the values
  ppmAscii,         // P3, of at most 15 a sample
  pbmBinary,        // P4
  pgm16,            // P5 of 16 bits a sample
  ppm16,            // P6 of 16 bits a sample
  pamRgbAlpha,      // P7 RGB_ALPHA, opaque
  pamBlackAndWhite, // P7 BLACKANDWHITE, 0 black
};

// Writes the lines as writeTextPicture does, stored as `variant` says.
void writeTextPictureAs(const std::string& path, const std::vector<std::string>& lines,
                        PictureVariant variant);

// A text to draw, its left end at `x` and its baseline at `baseline`, black
// or, when `light`, white, or in the grey `grey` (0 to 255) when it is given;
// in the layout's font size, or in `fontSize`.
struct PlacedText {
  std::string text;
  int x;
  int baseline;
  bool light = false;
  int fontSize = 0;
  int grey = -1;
};

// A rectangle, dark grey or of the colour `rgb` (0xRRGGBB): filled, or an
// outline two pixels wide; when `rounded`, its corners cut three pixels deep,
// as toolkits round them.
struct DrawnBox {
  int x;
  int y;
  int width;
  int height;
  bool filled;
  std::uint32_t rgb = 0x303840;
  bool rounded = false;
};

// Writes a PNG of `width` x `height` pixels, white with the boxes drawn on
// it, then each text at its place, in Leptonica's bitmap font of `fontSize`
// (4 to 20, even) unless the text names its own.
void writeLayout(const std::string& path, int width, int height,
                 const std::vector<PlacedText>& texts, int fontSize,
                 const std::vector<DrawnBox>& boxes = {});

// Writes a black-and-white PNG of `width` x `height` pixels, black where
// `dark` says so, asked row by row.
void writePattern(const std::string& path, int width, int height,
                  const std::function<bool(int x, int y)>& dark);

// Writes a TIFF with one page per entry of `pages`, each page as above.
void writeTiffPages(const std::string& path, const std::vector<std::vector<std::string>>& pages);

// Writes a white picture of `width` x `height` pixels, one bit per pixel
// where the format has it, so that a large one stays small on disk.
void writeBlankPicture(const std::string& path, int width, int height,
                         PictureFormat format = PictureFormat::png);

// The bytes of a picture whose header claims `width` x `height` pixels while
// its data holds a few dozen rows at most, so decoding it fails once the data
// runs out (PNG, JPEG, TIFF, GIF, BMP and PNM).
std::string pictureClaimingSize(PictureFormat format, std::uint32_t width, std::uint32_t height);

// The bytes of an uncompressed TIFF of 8-bit RGB (or, unless `colour`,
// grey), one page per entry of `pages` drawn as writeTextPicture draws, with
// every directory at the start of the file and the pixels after them, as
// most tools write it: a file cut anywhere in the pixels keeps its
// directories.
std::string uncompressedTiff(const std::vector<std::vector<std::string>>& pages, bool colour);

// The bytes of a GIF of 40 x 30 pixels with a second frame that claims
// `width` x `height` pixels.
std::string gifWithSecondFrame(std::uint32_t width, std::uint32_t height);

}  // namespace mivo::test
