// Helpers of the caret tests: an editor on its own style sheet with a size, and views of the
// caret line and the caret's item position.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/core/RVStyle.h"
#include "richtext/editor/EditorTestSupport.h"

namespace editortest {

/// A caret position: a draw item and an offset in it, or an item and an offset in it.
struct Pos {
  int No;
  int Offset;
  bool operator==(const Pos&) const = default;
};

inline void PrintTo(const Pos& p, std::ostream* os) {
  *os << "(" << p.No << "," << p.Offset << ")";
}

class TCaretTest : public ::testing::Test {
 protected:
  void SetUp() override { f.Editor.SetBounds(0, 0, 400, 300); }

  /// Lays the document out without carrying the caret, which the tests then place.
  void Format() {
    f.Data().StateFlags |= rvstNoCaretChange;
    f.Editor.Format();
    f.Data().StateFlags &= ~rvstNoCaretChange;
  }
  void PutCaret(int DItemNo, int Offset) {
    f.Data().CaretDrawItemNo = DItemNo;
    f.Data().OnChangeCaretLine(Offset - 2);
  }
  /// The caret line as draw-item positions.
  std::vector<Pos> Positions() {
    std::vector<Pos> result;
    for (int i = 0; i < f.Data().CharPositions->Count(); ++i)
      result.push_back({At(i).DrawItemNo, At(i).Offset});
    return result;
  }
  /// The caret as an item position.
  Pos Caret() {
    const TRVCharPos& pos = At(f.Data().CaretOffs);
    Pos result{-1, 0};
    f.Data().DrawItemToItem(pos.DrawItemNo, pos.Offset, result.No, result.Offset);
    return result;
  }
  /// Puts the caret at an item position.
  void PutCaretAtItem(int ItemNo, int Offset) {
    int dItemNo = -1, dOffs = 0;
    f.Data().ItemToDrawItem(ItemNo, Offset, dItemNo, dOffs);
    PutCaret(dItemNo, dOffs);
  }
  const TRVCharPos& At(int i) { return *f.Data().CharPositions->Items(i); }
  const TRVDrawLineInfo& Piece(int i) { return *f.Data().DrawItems()[i]; }
  /// The width of Text in text style 0, measured independently of the caret code.
  int32_t Width(std::u16string_view Text) {
    f.Sheet.ApplyStyle(f.Editor.Canvas(), 0, rvbdUnspecified);
    return f.Editor.Canvas().TextExtentW(Text).cx;
  }
  int AddUnicodeStyle() {
    TFontInfo* font = f.Sheet.TextStyles().AddStyle();
    font->Unicode = true;
    return f.Sheet.TextStyles().Count() - 1;
  }

  TEditorFixture f;
};

}  // namespace editortest
