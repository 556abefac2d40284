#include "platform/graphics/Cursors.h"

#include <map>
#include <mutex>

#include "platform/graphics/Icon.h"

namespace {

// clang-format off
constexpr TIdentMapEntry kCursors[] = {
    {crDefault, "crDefault"},
    {crNone, "crNone"},
    {crArrow, "crArrow"},
    {crCross, "crCross"},
    {crIBeam, "crIBeam"},
    {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},
    {crSizeNWSE, "crSizeNWSE"},
    {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},
    {crHourGlass, "crHourGlass"},
    {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},
    {crHSplit, "crHSplit"},
    {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"},
    {crSQLWait, "crSQLWait"},
    {crNo, "crNo"},
    {crAppStart, "crAppStart"},
    {crHelp, "crHelp"},
    {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};
// clang-format on

struct CursorTable {
  std::mutex lock;
  std::map<TCursor, std::shared_ptr<const TIcon>> cursors;
};

CursorTable& Table() {
  static CursorTable table;
  return table;
}

}  // namespace

TIdentMap CursorIdents() {
  return kCursors;
}

void SetScreenCursor(TCursor cursor, std::shared_ptr<const TIcon> image) {
  CursorTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  if (image)
    table.cursors[cursor] = std::move(image);
  else
    table.cursors.erase(cursor);
}

std::shared_ptr<const TIcon> GetScreenCursor(TCursor cursor) {
  CursorTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  const auto it = table.cursors.find(cursor);
  return it == table.cursors.end() ? nullptr : it->second;
}
