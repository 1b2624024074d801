#pragma once

#include <string>
#include <vector>

namespace mivo::test {

enum class PictureFormat { png, jpeg, tiff };

// Writes a picture of dark text on white, one rendered line per entry of
// `lines` (none: a blank picture), made with Leptonica's own bitmap font.
void writeTextPicture(const std::string& path, const std::vector<std::string>& lines,
                        PictureFormat format = PictureFormat::png);

// Writes a TIFF with one page per entry of `pages`, each page as above.
void writeTiffPages(const std::string& path, const std::vector<std::vector<std::string>>& pages);

}  // namespace mivo::test
