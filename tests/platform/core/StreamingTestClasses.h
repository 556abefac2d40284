// Small persistent classes for the component streaming tests: nested objects, collections
// inside collection items, sets, colours, charsets, defined properties, and a grid wrapper
// that writes its cells as components inside a defined property.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/ComponentStreaming.h"
#include "platform/core/TypInfo.h"

// A rectangle of four integers, published Left, Right, Top, Bottom (default 0).
class TTestRect : public TPersistent {
 public:
  ZUK_CLASS_NAME(TTestRect)
  ZUK_PUBLISHED(TTestRect)
 public:
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  void Assign(const TPersistent* source) override;
};

// Two flags, default True.
class TTestSides : public TPersistent {
 public:
  ZUK_CLASS_NAME(TTestSides)
  ZUK_PUBLISHED(TTestSides)
 public:
  bool Left = true, Right = true;
};

enum TTestBorderStyle { tbsNone, tbsSingle, tbsDouble };

class TTestBorder : public TPersistent {
 public:
  ZUK_CLASS_NAME(TTestBorder)
  ZUK_PUBLISHED(TTestBorder)
 public:
  int Width() const { return width_; }
  void SetWidth(int v) { width_ = v; }
  TColor Color = clWindowText;
  TTestBorderStyle Style = tbsNone;
  TTestSides& Sides() { return sides_; }
  TTestRect& Offsets() { return offsets_; }

 private:
  int width_ = 1;
  TTestSides sides_;
  TTestRect offsets_;
};

// A font-like object that a level creates only when it is read or set.
class TTestFont : public TPersistent {
 public:
  ZUK_CLASS_NAME(TTestFont)
  ZUK_PUBLISHED(TTestFont)
 public:
  std::string Name = "Arial";
  int Height = -11;
  bool StoreName() const { return Name != "Arial"; }
};

enum TTestListKind { tlkBullet, tlkDecimal, tlkRoman };

class TTestLevel : public TCollectionItem {
 public:
  ZUK_CLASS_NAME(TTestLevel)
  ZUK_PUBLISHED(TTestLevel)
 public:
  TTestListKind Kind = tlkBullet;
  int StartFrom = 1;
  std::string Template = "\xB7";  // travels as the defined property "TemplateCode"
  std::unique_ptr<TTestFont> Font;
  TTestFont* MakeFont() {
    if (!Font) Font = std::make_unique<TTestFont>();
    return Font.get();
  }
  void DefineProperties(TFiler& filer) override;
  void Assign(const TPersistent* source) override;
};

enum : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

class TTestStyle : public TCollectionItem {
 public:
  TTestStyle();
  ZUK_CLASS_NAME(TTestStyle)
  ZUK_PUBLISHED(TTestStyle)
 public:
  std::string StyleName;
  int Charset = 1;
  int Size = 10;
  unsigned Style = 0;
  unsigned Options = 0;  // always stored
  TColor Color = clWindowText;
  TColor BackColor = clNone;
  bool Jump = false;
  double Scale = 0;
  int64_t Big = 0;
  std::u16string Wide;
  TTestBorder Border;
  TOwnedCollection Levels;
  bool LegacyRead = false;  // set by the read-only defined property "Legacy"
  std::string Blob;         // the defined binary property "Blob", written when not empty
  void DefineProperties(TFiler& filer) override;
};

/// A style collection that counts Update calls.
class TTestStyles : public TCollection {
 public:
  TTestStyles() : TCollection(CollectionItemClass<TTestStyle>()) {}
  int updates = 0;

 protected:
  void Update(TCollectionItem*) override { ++updates; }
};

// A grid wrapper in the shape of a table record: published T (grid properties) and the
// defined property C, the cell list; each cell is written through the component TCellSW.
class TGridProps : public TPersistent {
 public:
  ZUK_CLASS_NAME(TGridProps)
  ZUK_PUBLISHED(TGridProps)
 public:
  int BorderWidth = 1;
  TColor Color = clWindow;
  unsigned Options = 0;  // bits goA, goB, goC
};

struct TestCell {
  int ColSpan = 1, RowSpan = 1;
  TColor Color = clNone;
  int VAlign = 0;
};

class TCellProps : public TPersistent {
 public:
  ZUK_CLASS_NAME(TCellProps)
  ZUK_PUBLISHED(TCellProps)
 public:
  TestCell* Cell = nullptr;
};

class TCellSW : public TComponent {
 public:
  using TComponent::TComponent;
  ZUK_CLASS_NAME(TCellSW)
  ZUK_PUBLISHED(TCellSW)
 public:
  TCellProps Props;
  int loadedCalls = 0;
  void Loaded() override {
    TComponent::Loaded();
    ++loadedCalls;
  }
};

class TGridSW : public TComponent {
 public:
  explicit TGridSW(TComponent* owner = nullptr);
  ZUK_CLASS_NAME(TGridSW)
  ZUK_PUBLISHED(TGridSW)
 public:
  TGridProps Props;
  int Rows = 0, Cols = 0;
  std::vector<TestCell> Cells;
  TCellSW* CellWriter;  // owned: created with the grid
  void DefineProperties(TFiler& filer) override;

 private:
  void ReadCells(TReader& reader);
  void WriteCells(TWriter& writer);
};

// A form-like component that writes its owned components as children, and a control with a
// component reference.
class TTestForm : public TComponent {
 public:
  using TComponent::TComponent;
  ZUK_CLASS_NAME(TTestForm)
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
  std::vector<std::string> notifications;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
};

class TTestButton : public TComponent {
 public:
  using TComponent::TComponent;
  ZUK_CLASS_NAME(TTestButton)
  ZUK_PUBLISHED(TTestButton)
 public:
  std::string Caption;
  TComponent* Buddy = nullptr;
  TComponent* parentSeen = nullptr;
  bool loaded = false;
  void SetParentComponent(TComponent* parent) override { parentSeen = parent; }
  void Loaded() override {
    TComponent::Loaded();
    loaded = true;
  }
};

/// Registers the component classes of this file with the class registry (idempotent).
void RegisterStreamingTestClasses();

/// Upper-case hexadecimal text of bytes, for readable failure messages.
std::string Hex(const std::string& bytes);
/// Bytes given as numbers 0..255.
std::string Bytes(std::initializer_list<int> bytes);
/// A short string: one length byte, then the characters.
std::string Short(const std::string& text);
