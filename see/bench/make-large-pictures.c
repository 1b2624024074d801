/* Makes the pictures of the memory benchmark (scripts/memory-bench.sh):
 *   make-large-pictures FOLDER [limit | limit-ppm | long-capture | comment-base]...
 * writes into FOLDER, with Leptonica (all, or those named):
 *   limit.{png,jpg,tif,webp}  a colour picture of 16384 x 16384 pixels (WebP:
 *                             16383, its largest), a photograph-like ground
 *                             of soft colours with lines of text on it;
 *   limit-grey.png            the same in grey;
 *   limit-white.png           white, one bit a pixel;
 *   limit.ppm                 the colour picture as a binary PPM;
 *   long-capture.png          a scrolling capture of a chat page, 1512 x
 *                             11784 pixels, a message every 24 pixels, the
 *                             two people's on the left and on the right;
 *   comment-base.gif          a GIF of 720 x 260 pixels with a line of text,
 *                             to which the script adds a long comment. */
#include <leptonica/allheaders.h>
#include <stdio.h>
#include <string.h>

static PIX* colourPicture(int width, int height) {
  PIX* pix = pixCreate(width, height, 32);
  l_uint32* data = pixGetData(pix);
  const int words = pixGetWpl(pix);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const l_uint32 red = 160 + x * 95 / width, green = 170 + y * 85 / height, blue = 200 + ((x ^ y) & 31);
      data[y * words + x] = red << 24 | green << 16 | blue << 8;
    }
  }
  L_BMF* font = bmfCreate(NULL, 12);
  l_int32 drawn, overflow;
  for (int y = 60; y < height; y += 300) {
    for (int x = 20; x + 900 < width; x += 4000) {
      pixSetTextline(pix, font, "A line of text on the picture 1234", 0x20202000, x, y, &drawn, &overflow);
    }
  }
  bmfDestroy(&font);
  return pix;
}

static int written(const char* folder, const char* name, PIX* pix, l_int32 format) {
  char path[4096];
  snprintf(path, sizeof path, "%s/%s", folder, name);
  if (pixWrite(path, pix, format) != 0) {
    fprintf(stderr, "make-large-pictures: cannot write %s\n", path);
    return 0;
  }
  return 1;
}

static int wanted(int argc, char** argv, const char* name) {
  if (argc == 2) return 1;
  for (int i = 2; i < argc; ++i) {
    if (strcmp(argv[i], name) == 0) return 1;
  }
  return 0;
}

static int limitPictures(const char* folder) {
  PIX* colour = colourPicture(16384, 16384);
  PIX* grey = pixConvertRGBToLuminance(colour);
  PIX* white = pixCreate(16384, 16384, 1);
  PIX* webp = colourPicture(16383, 16383);
  const int ok = written(folder, "limit.png", colour, IFF_PNG) && written(folder, "limit.jpg", colour, IFF_JFIF_JPEG) &&
                 written(folder, "limit.tif", colour, IFF_TIFF) && written(folder, "limit-grey.png", grey, IFF_PNG) &&
                 written(folder, "limit-white.png", white, IFF_PNG) && written(folder, "limit.webp", webp, IFF_WEBP);
  pixDestroy(&colour);
  pixDestroy(&grey);
  pixDestroy(&white);
  pixDestroy(&webp);
  return ok;
}

static int limitPpm(const char* folder) {
  PIX* colour = colourPicture(16384, 16384);
  const int ok = written(folder, "limit.ppm", colour, IFF_PNM);
  pixDestroy(&colour);
  return ok;
}

static int longCapture(const char* folder) {
  PIX* chat = pixCreate(1512, 11784, 32);
  pixSetAll(chat);
  L_BMF* font = bmfCreate(NULL, 8);
  l_int32 drawn, overflow;
  for (int y = 30, n = 1; y < 11770; y += 24, ++n) {
    char line[128];
    if (n % 2) {
      snprintf(line, sizeof line, "Anna %d: see you at %d:%02d", n, 8 + n % 12, n % 60);
    } else {
      snprintf(line, sizeof line, "Ben %d: I bring the tickets, %d of them", n, 2 + n % 7);
    }
    pixSetTextline(chat, font, line, 0x20202000, n % 2 ? 40 : 800, y, &drawn, &overflow);
  }
  bmfDestroy(&font);
  const int ok = written(folder, "long-capture.png", chat, IFF_PNG);
  pixDestroy(&chat);
  return ok;
}

static int commentBase(const char* folder) {
  PIX* small = pixCreate(720, 260, 8);
  pixSetAll(small);
  L_BMF* font = bmfCreate(NULL, 8);
  l_int32 drawn, overflow;
  pixSetTextline(small, font, "A picture with a long comment", 0x20, 20, 130, &drawn, &overflow);
  bmfDestroy(&font);
  const int ok = written(folder, "comment-base.gif", small, IFF_GIF);
  pixDestroy(&small);
  return ok;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: make-large-pictures FOLDER [limit | limit-ppm | long-capture | comment-base]...\n");
    return 2;
  }
  const char* folder = argv[1];
  setLeptDebugOK(0);
  int ok = 1;
  if (wanted(argc, argv, "limit")) ok = limitPictures(folder);
  if (ok && wanted(argc, argv, "limit-ppm")) ok = limitPpm(folder);
  if (ok && wanted(argc, argv, "long-capture")) ok = longCapture(folder);
  if (ok && wanted(argc, argv, "comment-base")) ok = commentBase(folder);
  return ok ? 0 : 1;
}
