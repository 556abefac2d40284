#include "platform/graphics/GraphicResources.h"

#include <array>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/core/Resources.h"
#include "platform/graphics/Icon.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutInfoHeader(std::vector<uint8_t>& out, int32_t width, int32_t height, uint16_t bits) {
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);
  Put16(out, bits);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
}

// The invalid-picture image: a grey frame on white with a red cross.
constexpr int kBadSize = 20;

std::vector<uint8_t> MakeBadPicture() {
  std::vector<uint8_t> dib;
  PutInfoHeader(dib, kBadSize, kBadSize, 24);
  const size_t stride = ((kBadSize * 24 + 31) / 32) * 4;
  for (int row = kBadSize - 1; row >= 0; --row) {  // bottom-up
    std::vector<uint8_t> line(stride, 0);
    for (int x = 0; x < kBadSize; ++x) {
      uint8_t r = 255, g = 255, b = 255;
      const bool frame = x == 0 || row == 0 || x == kBadSize - 1 || row == kBadSize - 1;
      const bool inside = x >= 5 && x <= kBadSize - 6 && row >= 5 && row <= kBadSize - 6;
      const bool cross =
          inside && (x - row == 0 || x + row == kBadSize - 1 || x - row == 1 || x + row == kBadSize);
      if (frame) {
        r = g = b = 128;
      } else if (cross) {
        r = 255;
        g = b = 0;
      }
      line[3 * x] = b;
      line[3 * x + 1] = g;
      line[3 * x + 2] = r;
    }
    dib.insert(dib.end(), line.begin(), line.end());
  }
  return dib;
}

// Cursor pictures, 16 pixels wide at most: 'X' black outline, 'o' white, ' ' transparent.
using TCursorPicture = std::array<std::string_view, 20>;

// The hyperlink cursor: a hand pointing up.
constexpr TCursorPicture kHand = {
    "     XX         ",  //
    "    XooX        ",  //
    "    XooX        ",  //
    "    XooX        ",  //
    "    XooX        ",  //
    "    XooXXX      ",  //
    "    XooXooXXX   ",  //
    "    XooXooXooXX ",  //
    "XXX XooXooXooXoX",  //
    "XooXXooooooooXoX",  //
    "XoooXoooooooooX ",  //
    " XooXoooooooooX ",  //
    "  XoooooooooooX ",  //
    "  XoooooooooooX ",  //
    "   XooooooooooX ",  //
    "   XoooooooooX  ",  //
    "    XooooooooX  ",  //
    "    XooooooooX  ",  //
    "     XoooooooX  ",  //
    "     XXXXXXXXX  ",  //
};

// Choosing a table column: a short arrow pointing down, its tip the hot spot.
constexpr TCursorPicture kDownArrow = {
    "   XXX  ",   //
    "   XoX  ",   //
    "   XoX  ",   //
    "   XoX  ",   //
    "   XoX  ",   //
    "XXXXoXXXX",  //
    " XoooooX ",  //
    "  XoooX  ",  //
    "   XoX   ",  //
    "    X    ",  //
};

// Choosing a table row: a short arrow pointing right, its tip the hot spot.
constexpr TCursorPicture kRightArrow = {
    "     X    ",  //
    "     XX   ",  //
    "     XoX  ",  //
    "XXXXXXooX ",  //
    "XoooooooX ",  //
    "XXXXXXooX ",  //
    "     XoX  ",  //
    "     XX   ",  //
    "     X    ",  //
};

constexpr int kCursorSize = 32;

/// A CUR file of one 32 x 32 image of the picture with its hot spot.
std::vector<uint8_t> MakeCursor(const TCursorPicture& picture, uint16_t hotX, uint16_t hotY) {
  auto at = [&picture](int row, int x) {
    if (row >= static_cast<int>(picture.size())) return ' ';
    const std::string_view line = picture[static_cast<size_t>(row)];
    return x < static_cast<int>(line.size()) ? line[static_cast<size_t>(x)] : ' ';
  };
  std::vector<uint8_t> image;
  PutInfoHeader(image, kCursorSize, kCursorSize * 2, 32);
  // Colour pixels, bottom-up, blue-green-red-alpha.
  for (int row = kCursorSize - 1; row >= 0; --row) {
    for (int x = 0; x < kCursorSize; ++x) {
      const char c = at(row, x);
      const uint8_t v = c == 'o' ? 255 : 0;
      const uint8_t a = c == ' ' ? 0 : 255;
      image.insert(image.end(), {v, v, v, a});
    }
  }
  // AND mask, bottom-up, 1 = transparent.
  for (int row = kCursorSize - 1; row >= 0; --row) {
    std::array<uint8_t, kCursorSize / 8> bits{};
    for (int x = 0; x < kCursorSize; ++x)
      if (at(row, x) == ' ') bits[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    image.insert(image.end(), bits.begin(), bits.end());
  }
  std::vector<uint8_t> file;
  Put16(file, 0);
  Put16(file, 2);  // cursor
  Put16(file, 1);
  file.push_back(kCursorSize);
  file.push_back(kCursorSize);
  file.push_back(0);
  file.push_back(0);
  Put16(file, hotX);
  Put16(file, hotY);
  Put32(file, static_cast<uint32_t>(image.size()));
  Put32(file, 22);
  file.insert(file.end(), image.begin(), image.end());
  return file;
}

}  // namespace

void RegisterGraphicResources() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Registered resources must live as long as the program.
    static const std::vector<uint8_t>* bad = new std::vector<uint8_t>(MakeBadPicture());
    RegisterResource("RV_BAD_PICTURE", "BITMAP", bad->data(), static_cast<int64_t>(bad->size()));
    const struct {
      const char* name;
      const TCursorPicture& picture;
      uint16_t hotX, hotY;
    } cursors[] = {{"RV_JUMP_CURSOR", kHand, 5, 0},
                   {"RV_SELECTCOL_CURSOR", kDownArrow, 4, 9},
                   {"RV_SELECTROW_CURSOR", kRightArrow, 8, 4}};
    static std::vector<std::vector<uint8_t>>* files = new std::vector<std::vector<uint8_t>>();
    files->reserve(std::size(cursors));
    for (const auto& c : cursors) {
      files->push_back(MakeCursor(c.picture, c.hotX, c.hotY));
      RegisterResource(c.name, "CURSOR", files->back().data(), static_cast<int64_t>(files->back().size()));
    }
  });
}

void LoadCursorResource(const std::string& name, TIcon& cursor) {
  RegisterGraphicResources();
  TResourceStream stream(name, "CURSOR");
  cursor.LoadFromStream(stream);
}
