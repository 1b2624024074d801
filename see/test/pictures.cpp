#include "see/test/pictures.h"

#include <leptonica/allheaders.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

namespace mivo::test {
namespace {

constexpr int kFontSize = 12;  // tall enough for Tesseract, as Leptonica's fonts go
constexpr int kWidth = 900;
constexpr int kLineHeight = 80;
constexpr l_uint32 kInk = 0x20202000;  // RGBA
constexpr int kCornerCut = 3;

struct PixDeleter {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPointer = std::unique_ptr<Pix, PixDeleter>;

struct FontDeleter {
  void operator()(L_BMF* font) const { bmfDestroy(&font); }
};

PixPointer render(const std::vector<std::string>& lines) {
  PixPointer pix(pixCreate(kWidth, kLineHeight * static_cast<int>(lines.size() + 1), 32));
  pixSetAll(pix.get());  // white
  L_BMF* font = bmfCreate(nullptr, kFontSize);
  int baseline = kLineHeight;
  for (const std::string& line : lines) {
    l_int32 width = 0;
    l_int32 overflow = 0;
    pixSetTextline(pix.get(), font, line.c_str(), kInk, 20, baseline, &width, &overflow);
    if (overflow) throw std::runtime_error("line too long for the picture: " + line);
    baseline += kLineHeight;
  }
  bmfDestroy(&font);
  return pix;
}

PixPointer blank(int width, int height) {
  PixPointer pix(pixCreate(width, height, 1));
  if (pix == nullptr) throw std::runtime_error("cannot make a blank picture");
  return pix;  // all zero bits: white
}

l_int32 leptonica_format(PictureFormat format) {
  switch (format) {
    case PictureFormat::png: return IFF_PNG;
    case PictureFormat::jpeg: return IFF_JFIF_JPEG;
    case PictureFormat::tiff: return IFF_TIFF_LZW;
    case PictureFormat::gif: return IFF_GIF;
    case PictureFormat::bmp: return IFF_BMP;
    case PictureFormat::pnm: return IFF_PNM;
    case PictureFormat::webp: return IFF_WEBP;
    case PictureFormat::jp2: return IFF_JP2;
    case PictureFormat::spix: return IFF_SPIX;
  }
  throw std::invalid_argument("picture format");
}

void write(const std::string& path, Pix* pix, PictureFormat format) {
  if (pixWrite(path.c_str(), pix, leptonica_format(format)) != 0) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::string encoded(Pix* pix, PictureFormat format) {
  l_uint8* data = nullptr;
  size_t size = 0;
  if (pixWriteMem(&data, &size, pix, leptonica_format(format)) != 0) {
    throw std::runtime_error("cannot encode a picture");
  }
  std::string bytes(reinterpret_cast<const char*>(data), size);
  lept_free(data);
  return bytes;
}

void putBigEndian(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) {
    bytes.at(at + i) = static_cast<char>(value >> (8 * (size - 1 - i)));
  }
}

void putLittleEndian(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.at(at + i) = static_cast<char>(value >> (8 * i));
}

std::string littleEndian(std::uint32_t value, int size) {
  std::string bytes(size, '\0');
  putLittleEndian(bytes, 0, value, size);
  return bytes;
}

unsigned char byteAt(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes.at(at));
}

std::uint32_t crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const char byte : bytes) {
    crc ^= static_cast<unsigned char>(byte);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

// IHDR is the first chunk; its CRC covers its type and data.
std::string pngClaiming(std::uint32_t width, std::uint32_t height) {
  std::string png = encoded(blank(40, 30).get(), PictureFormat::png);
  putBigEndian(png, 16, width, 4);
  putBigEndian(png, 20, height, 4);
  putBigEndian(png, 29, crc32(png.substr(12, 17)), 4);
  return png;
}

// The frame header (SOF0 to SOF2) holds the height, then the width.
std::string jpegClaiming(std::uint32_t width, std::uint32_t height) {
  const PixPointer grey(pixConvert1To8(nullptr, blank(40, 30).get(), 255, 0));
  std::string jpeg = encoded(grey.get(), PictureFormat::jpeg);
  for (std::size_t at = 2; at + 9 < jpeg.size();) {
    const unsigned char marker = byteAt(jpeg, at + 1);
    if (marker >= 0xC0 && marker <= 0xC2) {
      putBigEndian(jpeg, at + 5, height, 2);
      putBigEndian(jpeg, at + 7, width, 2);
      return jpeg;
    }
    at += 2 + (byteAt(jpeg, at + 2) << 8 | byteAt(jpeg, at + 3));
  }
  throw std::runtime_error("no frame header in the JPEG");
}

// One uncompressed strip of 8-bit grey, of which only 1000 bytes are there.
std::string tiffClaiming(std::uint32_t width, std::uint32_t height) {
  struct Entry {
    std::uint16_t tag;
    std::uint16_t type;  // 3: 16 bits, 4: 32 bits
    std::uint32_t value;
  };
  const std::uint32_t dataOffset = 8 + 2 + 9 * 12 + 4;
  const Entry entries[] = {
      {256, 4, width}, {257, 4, height}, {258, 3, 8},      {259, 3, 1},          {262, 3, 1},
      {273, 4, dataOffset}, {277, 3, 1}, {278, 4, height}, {279, 4, width * height},
  };
  std::string tiff = "II*" + std::string(1, '\0') + littleEndian(8, 4) + littleEndian(9, 2);
  for (const Entry& entry : entries) {
    tiff += littleEndian(entry.tag, 2) + littleEndian(entry.type, 2) + littleEndian(1, 4) +
            littleEndian(entry.value, 4);
  }
  return tiff + littleEndian(0, 4) + std::string(1000, '\x80');
}

std::string tiffDirectory(std::uint32_t width, std::uint32_t height, bool colour, std::uint32_t bitsOffset,
                          std::uint32_t dataOffset, std::uint32_t next) {
  struct Entry {
    std::uint16_t tag;
    std::uint16_t type;  // 3: 16 bits, 4: 32 bits
    std::uint32_t count;
    std::uint32_t value;
  };
  const std::uint32_t samples = colour ? 3 : 1;
  const Entry entries[] = {
      {256, 4, 1, width},
      {257, 4, 1, height},
      {258, 3, samples, colour ? bitsOffset : 8},
      {259, 3, 1, 1},
      {262, 3, 1, colour ? 2u : 1u},
      {273, 4, 1, dataOffset},
      {277, 3, 1, samples},
      {278, 4, 1, height},
      {279, 4, 1, width * height * samples},
      {284, 3, 1, 1},
  };
  std::string directory = littleEndian(std::size(entries), 2);
  for (const Entry& entry : entries) {
    directory += littleEndian(entry.tag, 2) + littleEndian(entry.type, 2) + littleEndian(entry.count, 4) +
                 littleEndian(entry.value, 4);
  }
  return directory + littleEndian(next, 4);
}

std::string writtenGif() { return encoded(blank(40, 30).get(), PictureFormat::gif); }

std::size_t colorTableSize(unsigned char flags) {
  return (flags & 0x80) ? std::size_t{3} << ((flags & 0x07) + 1) : 0;
}

// Where the first frame's descriptor starts, past the extensions before it.
std::size_t firstGifFrame(const std::string& gif) {
  std::size_t at = 13 + colorTableSize(byteAt(gif, 10));
  while (byteAt(gif, at) == 0x21) {
    at += 2;
    while (byteAt(gif, at) != 0) at += 1 + byteAt(gif, at);
    ++at;
  }
  if (byteAt(gif, at) != 0x2C) throw std::runtime_error("no frame in the GIF");
  return at;
}

void putGifFrameSize(std::string& gif, std::size_t frame, std::uint32_t width,
                     std::uint32_t height) {
  putLittleEndian(gif, frame + 5, width, 2);
  putLittleEndian(gif, frame + 7, height, 2);
}

std::string gifClaiming(std::uint32_t width, std::uint32_t height) {
  std::string gif = writtenGif();
  putLittleEndian(gif, 6, width, 2);
  putLittleEndian(gif, 8, height, 2);
  putGifFrameSize(gif, firstGifFrame(gif), width, height);
  return gif;
}

std::string bmpClaiming(std::uint32_t width, std::uint32_t height) {
  std::string bmp = encoded(blank(40, 30).get(), PictureFormat::bmp);
  putLittleEndian(bmp, 18, width, 4);
  putLittleEndian(bmp, 22, height, 4);
  return bmp;
}

std::string pnmClaiming(std::uint32_t width, std::uint32_t height) {
  return "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" +
         std::string(1000, '\xff');
}

}  // namespace

void writeTextPicture(const std::string& path, const std::vector<std::string>& lines,
                        PictureFormat format) {
  write(path, render(lines).get(), format);
}

namespace {

void writeInterlacedPng(const std::string& path, Pix* pix) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + path);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    throw std::runtime_error("cannot write " + path);
  }
  const int width = pixGetWidth(pix);
  const int height = pixGetHeight(pix);
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> pixels(static_cast<std::size_t>(width) * height * 3);
  std::vector<png_bytep> rows(height);
  for (int y = 0; y < height; ++y) {
    rows[y] = &pixels[static_cast<std::size_t>(y) * width * 3];
    for (int x = 0; x < width; ++x) {
      l_int32 red = 0, green = 0, blue = 0;
      pixGetRGBPixel(pix, x, y, &red, &green, &blue);
      rows[y][3 * x] = red;
      rows[y][3 * x + 1] = green;
      rows[y][3 * x + 2] = blue;
    }
  }
  png_set_interlace_handling(png);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

void writeTiledTiff(const std::string& path, Pix* pix) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) throw std::runtime_error("cannot write " + path);
  const std::uint32_t width = pixGetWidth(pix);
  const std::uint32_t height = pixGetHeight(pix);
  constexpr std::uint32_t kTile = 64;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tiff, TIFFTAG_TILEWIDTH, kTile);
  TIFFSetField(tiff, TIFFTAG_TILELENGTH, kTile);
  std::vector<std::uint8_t> tile(kTile * kTile * 3);
  for (std::uint32_t top = 0; top < height; top += kTile) {
    for (std::uint32_t left = 0; left < width; left += kTile) {
      for (std::uint32_t y = 0; y < kTile; ++y) {
        for (std::uint32_t x = 0; x < kTile; ++x) {
          l_int32 red = 255, green = 255, blue = 255;
          if (top + y < height && left + x < width) pixGetRGBPixel(pix, left + x, top + y, &red, &green, &blue);
          std::uint8_t* at = &tile[(y * kTile + x) * 3];
          at[0] = red;
          at[1] = green;
          at[2] = blue;
        }
      }
      if (TIFFWriteTile(tiff, tile.data(), left, top, 0, 0) < 0) throw std::runtime_error("cannot write " + path);
    }
  }
  TIFFClose(tiff);
}

// `pix`, of 32 bits a pixel, as a Netpbm or PAM file of `kind` (1 to 7)
// whose samples are at most `maxval`.
std::string netpbm(Pix* pix, int kind, std::uint32_t maxval) {
  const int width = pixGetWidth(pix);
  const int height = pixGetHeight(pix);
  const bool bitmap = kind == 1 || kind == 4 || (kind == 7 && maxval == 1);
  const bool ascii = kind <= 3;
  const int samples = kind == 7 ? (bitmap ? 1 : 4) : kind == 3 || kind == 6 ? 3 : 1;
  std::string bytes = "P" + std::to_string(kind) + "\n";
  if (kind == 7) {
    bytes += "# a comment\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
             "\nDEPTH " + std::to_string(samples) + "\nMAXVAL " + std::to_string(maxval) + "\nTUPLTYPE " +
             (bitmap ? "BLACKANDWHITE" : "RGB_ALPHA") + "\nENDHDR\n";
  } else {
    bytes += "# made for a test\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
    if (!bitmap) bytes += "# its largest sample\n" + std::to_string(maxval) + "\n";
  }
  std::string packed;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      l_int32 red = 0, green = 0, blue = 0;
      pixGetRGBPixel(pix, x, y, &red, &green, &blue);
      const bool dark = (red + green + blue) / 3 < 128;
      std::vector<std::uint32_t> values;
      if (bitmap) {
        // A PBM's 1 is black, a PAM's 0.
        values = {static_cast<std::uint32_t>(kind == 7 ? !dark : dark)};
      } else {
        for (const l_int32 sample : {red, green, blue}) values.push_back(static_cast<std::uint32_t>(sample) * maxval / 255);
        if (samples == 1) values = {values[1]};
        if (samples == 4) values.push_back(maxval);
      }
      for (const std::uint32_t value : values) {
        if (kind == 1) {
          bytes += static_cast<char>('0' + value);
        } else if (ascii) {
          bytes += std::to_string(value) + (x % 16 == 15 ? "\n" : " ");
        } else if (kind == 4) {
          if (x % 8 == 0) packed.push_back(0);
          packed.back() = static_cast<char>(packed.back() | value << (7 - x % 8));
        } else if (maxval > 255) {
          bytes += static_cast<char>(value >> 8);
          bytes += static_cast<char>(value & 0xff);
        } else {
          bytes += static_cast<char>(value);
        }
      }
    }
    if (kind == 4) {
      bytes += packed;
      packed.clear();
    }
    if (kind == 2 && y == 1) bytes += "\n# a comment among the values\n";
    if (ascii) bytes += "\n";
  }
  return bytes;
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) throw std::runtime_error("cannot write " + path);
}

}  // namespace

void writeTextPictureAs(const std::string& path, const std::vector<std::string>& lines,
                        PictureVariant variant) {
  const PixPointer colour = render(lines);
  const PixPointer grey(pixConvertRGBToLuminance(colour.get()));
  const PixPointer bits(pixThresholdToBinary(grey.get(), 160));
  const PixPointer palette(pixConvertRGBToColormap(colour.get(), 1));
  const auto written = [&](Pix* pix, l_int32 format) {
    if (pixWrite(path.c_str(), pix, format) != 0) throw std::runtime_error("cannot write " + path);
  };
  switch (variant) {
    case PictureVariant::pngBlackAndWhite: return written(bits.get(), IFF_PNG);
    case PictureVariant::pngGrey16: {
      const PixPointer deep(pixConvert8To16(grey.get(), 8));
      return written(deep.get(), IFF_PNG);
    }
    case PictureVariant::pngPalette: return written(palette.get(), IFF_PNG);
    case PictureVariant::pngInterlaced: return writeInterlacedPng(path, colour.get());
    case PictureVariant::jpegGrey: return written(grey.get(), IFF_JFIF_JPEG);
    case PictureVariant::tiffFax: return written(bits.get(), IFF_TIFF_G4);
    case PictureVariant::tiffJpeg: return written(colour.get(), IFF_TIFF_JPEG);
    case PictureVariant::tiffPalette: return written(palette.get(), IFF_TIFF_ZIP);
    case PictureVariant::tiffTiled: return writeTiledTiff(path, colour.get());
    case PictureVariant::bmpPalette: return written(palette.get(), IFF_BMP);
    case PictureVariant::bmpBlackAndWhite: return written(bits.get(), IFF_BMP);
    case PictureVariant::pbmAscii: return writeBytes(path, netpbm(colour.get(), 1, 1));
    case PictureVariant::pgmAscii: return writeBytes(path, netpbm(colour.get(), 2, 255));
    case PictureVariant::ppmAscii: return writeBytes(path, netpbm(colour.get(), 3, 15));
    case PictureVariant::pbmBinary: return writeBytes(path, netpbm(colour.get(), 4, 1));
    case PictureVariant::pgm16: return writeBytes(path, netpbm(colour.get(), 5, 65535));
    case PictureVariant::ppm16: return writeBytes(path, netpbm(colour.get(), 6, 65535));
    case PictureVariant::pamRgbAlpha: return writeBytes(path, netpbm(colour.get(), 7, 255));
    case PictureVariant::pamBlackAndWhite: return writeBytes(path, netpbm(colour.get(), 7, 1));
  }
}

void writeLayout(const std::string& path, int width, int height,
                 const std::vector<PlacedText>& texts, int fontSize,
                 const std::vector<DrawnBox>& boxes) {
  PixPointer pix(pixCreate(width, height, 32));
  pixSetAll(pix.get());
  for (const DrawnBox& box : boxes) {
    Box* place = boxCreate(box.x, box.y, box.width, box.height);
    const l_int32 failed =
        box.filled ? pixSetInRectArbitrary(pix.get(), place, box.rgb << 8)
                   : pixRenderBoxArb(pix.get(), place, 2, box.rgb >> 16, (box.rgb >> 8) & 0xff,
                                     box.rgb & 0xff);
    boxDestroy(&place);
    if (failed) throw std::runtime_error("cannot draw a box");
    if (!box.rounded) continue;
    for (int down = 0; down < kCornerCut; ++down) {
      for (int across = 0; across + down < kCornerCut; ++across) {
        for (const int x : {box.x + across, box.x + box.width - 1 - across}) {
          for (const int y : {box.y + down, box.y + box.height - 1 - down}) {
            pixSetRGBPixel(pix.get(), x, y, 255, 255, 255);
          }
        }
      }
    }
  }
  std::map<int, std::unique_ptr<L_BMF, FontDeleter>> fonts;
  for (const PlacedText& text : texts) {
    const int size = text.fontSize != 0 ? text.fontSize : fontSize;
    std::unique_ptr<L_BMF, FontDeleter>& font = fonts[size];
    if (font == nullptr) font.reset(bmfCreate(nullptr, size));
    l_int32 drawn = 0;
    l_int32 overflow = 0;
    const l_uint32 colour = text.grey >= 0 ? static_cast<l_uint32>(text.grey) * 0x01010100u
                            : text.light  ? 0xffffff00
                                          : kInk;
    pixSetTextline(pix.get(), font.get(), text.text.c_str(), colour, text.x, text.baseline, &drawn,
                   &overflow);
    if (overflow) throw std::runtime_error("text outside the picture: " + text.text);
  }
  write(path, pix.get(), PictureFormat::png);
}

void writePattern(const std::string& path, int width, int height,
                  const std::function<bool(int x, int y)>& dark) {
  PixPointer pix(pixCreate(width, height, 1));
  if (pix == nullptr) throw std::runtime_error("cannot make a picture");
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (dark(x, y)) pixSetPixel(pix.get(), x, y, 1);
    }
  }
  write(path, pix.get(), PictureFormat::png);
}

void writeTiffPages(const std::string& path, const std::vector<std::vector<std::string>>& pages) {
  const char* mode = "w";
  for (const std::vector<std::string>& page : pages) {
    if (pixWriteTiff(path.c_str(), render(page).get(), IFF_TIFF_LZW, mode) != 0) {
      throw std::runtime_error("cannot write " + path);
    }
    mode = "a";
  }
}

void writeBlankPicture(const std::string& path, int width, int height, PictureFormat format) {
  write(path, blank(width, height).get(), format);
}

std::string pictureClaimingSize(PictureFormat format, std::uint32_t width, std::uint32_t height) {
  switch (format) {
    case PictureFormat::png: return pngClaiming(width, height);
    case PictureFormat::jpeg: return jpegClaiming(width, height);
    case PictureFormat::tiff: return tiffClaiming(width, height);
    case PictureFormat::gif: return gifClaiming(width, height);
    case PictureFormat::bmp: return bmpClaiming(width, height);
    case PictureFormat::pnm: return pnmClaiming(width, height);
    default: throw std::invalid_argument("no claimed size for this format");
  }
}

std::string uncompressedTiff(const std::vector<std::vector<std::string>>& pages, bool colour) {
  constexpr std::uint32_t kDirectorySize = 2 + 10 * 12 + 4;
  const std::uint32_t bitsOffset = 8 + kDirectorySize * static_cast<std::uint32_t>(pages.size());
  std::string directories;
  std::string pixels;
  for (std::size_t page = 0; page < pages.size(); ++page) {
    const PixPointer drawn = render(pages[page]);
    const std::uint32_t width = pixGetWidth(drawn.get());
    const std::uint32_t height = pixGetHeight(drawn.get());
    const std::uint32_t dataOffset = bitsOffset + 6 + static_cast<std::uint32_t>(pixels.size());
    const bool last = page + 1 == pages.size();
    directories += tiffDirectory(width, height, colour, bitsOffset, dataOffset,
                                 last ? 0 : 8 + kDirectorySize * static_cast<std::uint32_t>(page + 1));
    for (std::uint32_t y = 0; y < height; ++y) {
      for (std::uint32_t x = 0; x < width; ++x) {
        l_int32 red = 0, green = 0, blue = 0;
        pixGetRGBPixel(drawn.get(), x, y, &red, &green, &blue);
        if (colour) {
          pixels += {static_cast<char>(red), static_cast<char>(green), static_cast<char>(blue)};
        } else {
          pixels += static_cast<char>((red + green + blue) / 3);
        }
      }
    }
  }
  return "II*" + std::string(1, '\0') + littleEndian(8, 4) + directories + littleEndian(8, 2) +
         littleEndian(8, 2) + littleEndian(8, 2) + pixels;
}

std::string gifWithSecondFrame(std::uint32_t width, std::uint32_t height) {
  const std::string gif = writtenGif();
  const std::size_t frame = firstGifFrame(gif);
  const std::size_t trailer = gif.size() - 1;
  if (byteAt(gif, trailer) != 0x3B) throw std::runtime_error("no trailer at the end of the GIF");
  std::string second = gif.substr(frame, trailer - frame);
  putGifFrameSize(second, 0, width, height);
  return gif.substr(0, trailer) + second + gif.substr(trailer);
}

}  // namespace mivo::test
