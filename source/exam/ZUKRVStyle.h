// Loads an exam's text and paragraph styles into a rich-text style sheet: the sheet keeps its
// own first styles and the file's styles are appended after them, read by property name.
#pragma once

#include "exam/ZUKReader.h"

class TRVStyle;

/// The reader's style target over a TRVStyle.
class TZUKRVStyleTarget : public TZUKStyleTarget {
 public:
  explicit TZUKRVStyleTarget(TRVStyle& sheet) : sheet_(sheet) {}
  int TextStyleCount() const override;
  int ParaStyleCount() const override;
  void DeleteTextStyle(int index) override;
  void DeleteParaStyle(int index) override;
  void AddTextStyle(TStream& stream) override;
  void AddParaStyle(TStream& stream) override;

 private:
  TRVStyle& sheet_;
};

/// Frees the sheet's text and paragraph styles after the first 17 of each.
void TrimStyles(TRVStyle& sheet);
/// Trims the sheet and appends the text and paragraph styles of an unscrambled style stream.
void LoadStyleFromStream(TRVStyle& sheet, TStream& stream);
