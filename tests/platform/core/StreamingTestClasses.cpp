#include "StreamingTestClasses.h"

#include "platform/core/SysUtils.h"

const TPropertyList& TTestRect::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TTestRect>(TPersistent::ClassProperties())
                                        .Integer("Left", &TTestRect::Left, &TTestRect::Left)
                                        .Default(0)
                                        .Integer("Right", &TTestRect::Right, &TTestRect::Right)
                                        .Default(0)
                                        .Integer("Top", &TTestRect::Top, &TTestRect::Top)
                                        .Default(0)
                                        .Integer("Bottom", &TTestRect::Bottom, &TTestRect::Bottom)
                                        .Default(0)
                                        .Build();
  return list;
}

void TTestRect::Assign(const TPersistent* source) {
  if (const auto* r = dynamic_cast<const TTestRect*>(source)) {
    Left = r->Left;
    Top = r->Top;
    Right = r->Right;
    Bottom = r->Bottom;
    return;
  }
  TPersistent::Assign(source);
}

const TPropertyList& TTestSides::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TTestSides>(TPersistent::ClassProperties())
                                        .Boolean("Left", &TTestSides::Left, &TTestSides::Left)
                                        .Default(true)
                                        .Boolean("Right", &TTestSides::Right, &TTestSides::Right)
                                        .Default(true)
                                        .Build();
  return list;
}

const TPropertyList& TTestBorder::ClassProperties() {
  static const TPropertyList list =
      TPropertyBuilder<TTestBorder>(TPersistent::ClassProperties())
          .Integer("Width", &TTestBorder::Width, &TTestBorder::SetWidth)
          .Default(1)
          .Color("Color", &TTestBorder::Color, &TTestBorder::Color)
          .Default(clWindowText)
          .Enum("Style", &TTestBorder::Style, &TTestBorder::Style, {"tbsNone", "tbsSingle", "tbsDouble"})
          .Default(tbsNone)
          .Object("Sides", &TTestBorder::Sides)
          .Object("Offsets", &TTestBorder::Offsets)
          .Build();
  return list;
}

const TPropertyList& TTestFont::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TTestFont>(TPersistent::ClassProperties())
                                        .String("Name", &TTestFont::Name, &TTestFont::Name)
                                        .Stored(&TTestFont::StoreName)
                                        .Integer("Height", &TTestFont::Height, &TTestFont::Height)
                                        .Default(-11)
                                        .Build();
  return list;
}

const TPropertyList& TTestLevel::ClassProperties() {
  static const TPropertyList list =
      TPropertyBuilder<TTestLevel>(TCollectionItem::ClassProperties())
          .Enum("Kind", &TTestLevel::Kind, &TTestLevel::Kind, {"tlkBullet", "tlkDecimal", "tlkRoman"})
          .Default(tlkBullet)
          .Integer("StartFrom", &TTestLevel::StartFrom, &TTestLevel::StartFrom)
          .Default(1)
          .Object("Font", &TTestLevel::Font, &TTestLevel::MakeFont)
          .Build();
  return list;
}

void TTestLevel::DefineProperties(TFiler& filer) {
  TCollectionItem::DefineProperties(filer);
  filer.DefineProperty(
      "TemplateCode",
      [this](TReader& reader) {
        const std::string hex = reader.ReadString();
        Template.clear();
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
          Template.push_back(static_cast<char>(StrToInt("$" + hex.substr(i, 2))));
      },
      [this](TWriter& writer) {
        std::string hex;
        for (unsigned char c : Template) hex += IntToHex(c, 2);
        writer.WriteString(hex);
      },
      Template != "\xB7");
}

void TTestLevel::Assign(const TPersistent* source) {
  if (const auto* l = dynamic_cast<const TTestLevel*>(source)) {
    Kind = l->Kind;
    StartFrom = l->StartFrom;
    Template = l->Template;
    return;
  }
  TCollectionItem::Assign(source);
}

TTestStyle::TTestStyle() : Levels(this, CollectionItemClass<TTestLevel>()) {}

const TPropertyList& TTestStyle::ClassProperties() {
  static const TPropertyList list =
      TPropertyBuilder<TTestStyle>(TCollectionItem::ClassProperties())
          .String("StyleName", &TTestStyle::StyleName, &TTestStyle::StyleName)
          .Charset("Charset", &TTestStyle::Charset, &TTestStyle::Charset)
          .Default(DEFAULT_CHARSET)
          .Integer("Size", &TTestStyle::Size, &TTestStyle::Size)
          .Default(10)
          .Set("Style", &TTestStyle::Style, &TTestStyle::Style,
               {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"})
          .Default(0)
          .Set("Options", &TTestStyle::Options, &TTestStyle::Options, {"toHTML", "toRTF"})
          .Color("Color", &TTestStyle::Color, &TTestStyle::Color)
          .Default(clWindowText)
          .Color("BackColor", &TTestStyle::BackColor, &TTestStyle::BackColor)
          .Default(clNone)
          .Boolean("Jump", &TTestStyle::Jump, &TTestStyle::Jump)
          .Default(false)
          .Float("Scale", &TTestStyle::Scale, &TTestStyle::Scale)
          .Int64("Big", &TTestStyle::Big, &TTestStyle::Big)
          .WideString("Wide", &TTestStyle::Wide, &TTestStyle::Wide)
          .Object("Border", &TTestStyle::Border)
          .Object("Levels", &TTestStyle::Levels)
          .Build();
  return list;
}

void TTestStyle::DefineProperties(TFiler& filer) {
  TCollectionItem::DefineProperties(filer);
  filer.DefineProperty(
      "Legacy", [this](TReader& reader) { LegacyRead = reader.ReadBoolean(); }, nullptr, false);
  filer.DefineBinaryProperty(
      "Blob",
      [this](TStream& s) {
        Blob.assign(static_cast<size_t>(s.Size()), '\0');
        s.ReadBuffer(Blob.data(), s.Size());
      },
      [this](TStream& s) { s.WriteBuffer(Blob); }, !Blob.empty());
}

const TPropertyList& TGridProps::ClassProperties() {
  static const TPropertyList list =
      TPropertyBuilder<TGridProps>(TPersistent::ClassProperties())
          .Set("Options", &TGridProps::Options, &TGridProps::Options, {"goA", "goB", "goC"})
          .Default(0)
          .Integer("BorderWidth", &TGridProps::BorderWidth, &TGridProps::BorderWidth)
          .Default(1)
          .Color("Color", &TGridProps::Color, &TGridProps::Color)
          .Default(clWindow)
          .Build();
  return list;
}

const TPropertyList& TCellProps::ClassProperties() {
  static const TPropertyList list =
      TPropertyBuilder<TCellProps>(TPersistent::ClassProperties())
          .Color(
              "Color", [](TCellProps& p) { return p.Cell->Color; },
              [](TCellProps& p, TColor c) { p.Cell->Color = c; })
          .Default(clNone)
          .Enum(
              "VAlign", [](TCellProps& p) { return p.Cell->VAlign; },
              [](TCellProps& p, int v) { p.Cell->VAlign = v; }, {"cvTop", "cvMiddle", "cvBottom"})
          .Default(0)
          .Build();
  return list;
}

const TPropertyList& TCellSW::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TCellSW>(TPersistent::ClassProperties())
                                        .Object("C", [](TCellSW& c) { return &c.Props; })
                                        .Build();
  return list;
}

TGridSW::TGridSW(TComponent* owner) : TComponent(owner), CellWriter(new TCellSW(this)) {}

const TPropertyList& TGridSW::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TGridSW>(TPersistent::ClassProperties())
                                        .Object("T", [](TGridSW& g) { return &g.Props; })
                                        .Build();
  return list;
}

void TGridSW::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  filer.DefineProperty(
      "C", [this](TReader& r) { ReadCells(r); }, [this](TWriter& w) { WriteCells(w); }, true);
}

void TGridSW::WriteCells(TWriter& writer) {
  writer.WriteInteger(Rows);
  if (Rows == 0) return;
  writer.WriteInteger(Cols);
  writer.WriteListBegin();
  for (TestCell& cell : Cells) {
    writer.WriteInteger(cell.ColSpan);
    writer.WriteInteger(cell.RowSpan);
    CellWriter->Props.Cell = &cell;
    writer.WriteComponent(*CellWriter);
  }
  writer.WriteListEnd();
}

void TGridSW::ReadCells(TReader& reader) {
  Cells.clear();
  Rows = reader.ReadInteger();
  Cols = 0;
  if (Rows == 0) return;
  Cols = reader.ReadInteger();
  reader.ReadListBegin();
  while (!reader.EndOfList()) {
    TestCell cell;
    cell.ColSpan = reader.ReadInteger();
    cell.RowSpan = reader.ReadInteger();
    CellWriter->Props.Cell = &cell;
    reader.ReadComponent(CellWriter);
    CellWriter->Props.Cell = nullptr;
    Cells.push_back(cell);
  }
  reader.ReadListEnd();
}

void TTestForm::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  (void)root;
  for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
}

void TTestForm::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  notifications.push_back((operation == opInsert ? "insert " : "remove ") + component->Name());
}

const TPropertyList& TTestButton::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TTestButton>(TComponent::ClassProperties())
                                        .String("Caption", &TTestButton::Caption, &TTestButton::Caption)
                                        .Component("Buddy", &TTestButton::Buddy, &TTestButton::Buddy)
                                        .Build();
  return list;
}

void RegisterStreamingTestClasses() {
  RegisterClass<TGridSW>("TGridSW");
  RegisterClass<TTestForm>("TTestForm");
  RegisterClass<TTestButton>("TTestButton");
}

std::string Hex(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) out += IntToHex(c, 2);
  return out;
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

std::string Short(const std::string& text) {
  return static_cast<char>(text.size()) + text;
}
