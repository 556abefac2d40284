// Byte fixtures of the binary component streaming format, worked out by hand from the
// format: each is written by the writer byte for byte and read back by the reader.
#include <gtest/gtest.h>

#include <cmath>

#include "StreamingTestClasses.h"

namespace {

std::string WriteList(TPersistent& object) {
  TMemoryStream stream;
  WritePropertyList(stream, object);
  return stream.DataString();
}

template <typename T>
void ReadList(const std::string& bytes, T& object) {
  TMemoryStream stream(bytes);
  ReadPropertyList(stream, object);
  EXPECT_EQ(stream.Position(), stream.Size()) << "the list end must be consumed";
}

// A 2 x 2 grid whose top row is one merged cell, with a few grid properties set.
const std::string kGrid =
    "TPF0" + Short("TGridSW") + Short("") +                           // signature, class name, empty name
    Short("T.Options") + Bytes({0x0B}) + Short("goB") + Bytes({0}) +  // vaSet [goB]
    Short("T.BorderWidth") + Bytes({0x02, 0x02}) +                    // vaInt8 2
    Short("T.Color") + Bytes({0x07}) + Short("clRed") +               // vaIdent clRed
    Short("C") + Bytes({0x02, 0x02, 0x02, 0x02, 0x01}) +              // rows 2, columns 2, vaList
    Bytes({0x02, 0x02, 0x02, 0x01}) +                                 // ColSpan 2, RowSpan 1
    Short("TCellSW") + Short("") + Short("C.Color") + Bytes({0x07}) + Short("clYellow") + Bytes({0, 0}) +
    Bytes({0x02, 0x01, 0x02, 0x01}) +                           // ColSpan 1, RowSpan 1
    Short("TCellSW") + Short("") + Bytes({0, 0}) +              // a cell with default properties
    Bytes({0x02, 0x01, 0x02, 0x01}) +                           // ColSpan 1, RowSpan 1
    Short("TCellSW") + Short("") +                              //
    Short("C.Color") + Bytes({0x04, 0x56, 0x34, 0x12, 0x00}) +  // a colour without a name: vaInt32
    Short("C.VAlign") + Bytes({0x07}) + Short("cvBottom") + Bytes({0, 0}) +  // enumeration as vaIdent
    Bytes({0x00}) +                                                          // end of the cell list
    Bytes({0x00, 0x00});                                                     // end of properties, no children

void FillGrid(TGridSW& grid) {
  grid.Props.Options = 2;  // goB
  grid.Props.BorderWidth = 2;
  grid.Props.Color = clRed;
  grid.Rows = 2;
  grid.Cols = 2;
  grid.Cells = {{2, 1, clYellow, 0}, {1, 1, clNone, 0}, {1, 1, 0x123456, 2}};
}

// Two styles: the second sets a charset, a set, a colour, nested border properties and a
// collection of list levels inside the item.
const std::string kItem1 = Short("StyleName") + Bytes({0x06}) + Short("Normal") +  //
                           Short("Options") + Bytes({0x0B, 0x00}) +                // always stored: empty set
                           Short("Levels") + Bytes({0x0E, 0x00});                  // empty collection
const std::string kItem2 =
    Short("StyleName") + Bytes({0x06}) + Short("Heading") +                                 //
    Short("Charset") + Bytes({0x07}) + Short("RUSSIAN_CHARSET") +                           //
    Short("Size") + Bytes({0x02, 0x0E}) +                                                   // 14
    Short("Style") + Bytes({0x0B}) + Short("fsBold") + Short("fsUnderline") + Bytes({0}) +  //
    Short("Options") + Bytes({0x0B, 0x00}) +                                                //
    Short("Color") + Bytes({0x07}) + Short("clBlue") +                                      //
    Short("Border.Width") + Bytes({0x02, 0x02}) +                                           //
    Short("Border.Sides.Left") + Bytes({0x08}) +                                            // vaFalse
    Short("Levels") + Bytes({0x0E, 0x01}) +                                                 // one level
    Short("Kind") + Bytes({0x07}) + Short("tlkDecimal") + Short("StartFrom") + Bytes({0x02, 0x03}) +
    Short("TemplateCode") + Bytes({0x06}) + Short("25732E") + Bytes({0x00, 0x00});
const std::string kStyles = Bytes({0x0E, 0x01}) + kItem1 + Bytes({0x00, 0x01}) + kItem2 + Bytes({0x00, 0x00});

void FillStyles(TTestStyles& styles) {
  auto* normal = static_cast<TTestStyle*>(styles.Add());
  normal->StyleName = "Normal";
  auto* heading = static_cast<TTestStyle*>(styles.Add());
  heading->StyleName = "Heading";
  heading->Charset = RUSSIAN_CHARSET;
  heading->Size = 14;
  heading->Style = fsBold | fsUnderline;
  heading->Color = clBlue;
  heading->Border.SetWidth(2);
  heading->Border.Sides().Left = false;
  auto* level = static_cast<TTestLevel*>(heading->Levels.Add());
  level->Kind = tlkDecimal;
  level->StartFrom = 3;
  level->Template = "%s.";
}

void ExpectStyles(TTestStyles& styles) {
  ASSERT_EQ(styles.Count(), 2);
  auto* normal = static_cast<TTestStyle*>(styles.Items(0));
  EXPECT_EQ(normal->StyleName, "Normal");
  EXPECT_EQ(normal->Size, 10);
  auto* heading = static_cast<TTestStyle*>(styles.Items(1));
  EXPECT_EQ(heading->Charset, RUSSIAN_CHARSET);
  EXPECT_EQ(heading->Size, 14);
  EXPECT_EQ(heading->Style, fsBold | fsUnderline);
  EXPECT_EQ(heading->Color, clBlue);
  EXPECT_EQ(heading->Border.Width(), 2);
  EXPECT_FALSE(heading->Border.Sides().Left);
  EXPECT_TRUE(heading->Border.Sides().Right);
  ASSERT_EQ(heading->Levels.Count(), 1);
  auto* level = static_cast<TTestLevel*>(heading->Levels.Items(0));
  EXPECT_EQ(level->Kind, tlkDecimal);
  EXPECT_EQ(level->StartFrom, 3);
  EXPECT_EQ(level->Template, "%s.");
}

// A form with two buttons that refer to each other (B1 to B2 before B2 is read).
const std::string kForm = "TPF0" + Short("TTestForm") + Short("Form1") + Bytes({0x00}) +  //
                          Short("TTestButton") + Short("B1") +                            //
                          Short("Caption") + Bytes({0x06}) + Short("OK") +                //
                          Short("Buddy") + Bytes({0x07}) + Short("B2") + Bytes({0, 0}) +  //
                          Short("TTestButton") + Short("B2") +                            //
                          Short("Tag") + Bytes({0x02, 0x07}) +                            //
                          Short("Buddy") + Bytes({0x07}) + Short("B1") + Bytes({0, 0}) +  //
                          Bytes({0x00});                                                  // end of children

}  // namespace

class ComponentStreamingFormatTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterStreamingTestClasses(); }
};

TEST_F(ComponentStreamingFormatTest, GridWithMergedTopRowWritesThreeCellEntries) {
  TGridSW grid;
  FillGrid(grid);
  TMemoryStream stream;
  WriteComponent(stream, grid);
  EXPECT_EQ(Hex(stream.DataString()), Hex(kGrid));
}

TEST_F(ComponentStreamingFormatTest, GridFixtureReadsIntoANewComponentOfTheNamedClass) {
  TMemoryStream stream(kGrid);
  std::unique_ptr<TComponent> component = ReadComponent(stream);
  auto* grid = dynamic_cast<TGridSW*>(component.get());
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->Props.Options, 2u);
  EXPECT_EQ(grid->Props.BorderWidth, 2);
  EXPECT_EQ(grid->Props.Color, clRed);
  EXPECT_EQ(grid->Rows, 2);
  EXPECT_EQ(grid->Cols, 2);
  ASSERT_EQ(grid->Cells.size(), 3u);
  EXPECT_EQ(grid->Cells[0].ColSpan, 2);
  EXPECT_EQ(grid->Cells[0].Color, clYellow);
  EXPECT_EQ(grid->Cells[1].Color, clNone);
  EXPECT_EQ(grid->Cells[2].Color, 0x123456);
  EXPECT_EQ(grid->Cells[2].VAlign, 2);
  // The cell component was read three times and is told Loaded each time.
  EXPECT_EQ(grid->CellWriter->loadedCalls, 3);
  EXPECT_EQ(grid->ComponentState() & (csLoading | csReading), 0u);
  EXPECT_EQ(stream.Position(), stream.Size());
}

TEST_F(ComponentStreamingFormatTest, GridWithDefaultsWritesOnlyTheCellList) {
  TGridSW grid;
  TMemoryStream stream;
  WriteComponent(stream, grid);
  // No property under T; C is the single integer 0 (no rows).
  EXPECT_EQ(Hex(stream.DataString()),
            Hex("TPF0" + Short("TGridSW") + Short("") + Short("C") + Bytes({2, 0, 0, 0})));
  TGridSW read;
  read.Rows = 5;
  stream.SetPosition(0);
  ReadComponent(stream, read);
  EXPECT_EQ(read.Rows, 0);
  EXPECT_TRUE(read.Cells.empty());
}

TEST_F(ComponentStreamingFormatTest, CollectionOfTwoItemsWithNestedPropertiesAndCollections) {
  TTestStyles styles;
  FillStyles(styles);
  TMemoryStream out;
  WriteCollection(out, styles);
  EXPECT_EQ(Hex(out.DataString()), Hex(kStyles));

  TTestStyles read;
  TMemoryStream in(kStyles);
  ReadCollection(in, read);
  ExpectStyles(read);
}

TEST_F(ComponentStreamingFormatTest, CollectionItemsMayCarryAnOrderInteger) {
  const std::string withOrder = Bytes({0x0E, 0x02, 0x00, 0x01}) + kItem1 +
                                Bytes({0x00, 0x03, 0x01, 0x00, 0x01}) + kItem2 + Bytes({0x00, 0x00});
  TTestStyles read;
  TMemoryStream in(withOrder);
  ReadCollection(in, read);
  ExpectStyles(read);
}

TEST_F(ComponentStreamingFormatTest, ReadingACollectionReplacesItsItems) {
  TTestStyles read;
  read.Add();
  read.Add();
  read.Add();
  TMemoryStream empty(Bytes({0x0E, 0x00}));
  ReadCollection(empty, read);
  EXPECT_EQ(read.Count(), 0);
  TMemoryStream in(kStyles);
  ReadCollection(in, read);
  EXPECT_EQ(read.Count(), 2);
  EXPECT_EQ(read.UpdateCount(), 0);
}

TEST_F(ComponentStreamingFormatTest, CollectionBlockMustStartWithTheCollectionMarker) {
  TTestStyles read;
  TMemoryStream in(Bytes({0x01, 0x00}));
  EXPECT_THROW(ReadCollection(in, read), EReadError);
}

struct IntegerCase {
  int32_t value;
  std::string encoding;  // the value's bytes after the property name
};

TEST_F(ComponentStreamingFormatTest, IntegersUseTheSmallestEncoding) {
  const IntegerCase cases[] = {
      {0, Bytes({0x02, 0x00})},
      {127, Bytes({0x02, 0x7F})},
      {-1, Bytes({0x02, 0xFF})},
      {-128, Bytes({0x02, 0x80})},
      {128, Bytes({0x03, 0x80, 0x00})},
      {-129, Bytes({0x03, 0x7F, 0xFF})},
      {32767, Bytes({0x03, 0xFF, 0x7F})},
      {-32768, Bytes({0x03, 0x00, 0x80})},
      {32768, Bytes({0x04, 0x00, 0x80, 0x00, 0x00})},
      {70000, Bytes({0x04, 0x70, 0x11, 0x01, 0x00})},
      {INT32_MIN, Bytes({0x04, 0x00, 0x00, 0x00, 0x80})},
  };
  for (const IntegerCase& c : cases) {
    SCOPED_TRACE(c.value);
    const std::string expected = Bytes({0x01}) + Short("Height") + c.encoding + Bytes({0x00});
    TTestFont font;
    font.Height = c.value;
    EXPECT_EQ(Hex(WriteList(font)), Hex(expected));
    TTestFont read;
    ReadList(expected, read);
    EXPECT_EQ(read.Height, c.value);
  }
}

TEST_F(ComponentStreamingFormatTest, Int64PropertiesUseVaInt64BeyondThirtyTwoBits) {
  TTestStyle style;
  style.Big = 5000000000LL;  // 0x12A05F200
  const std::string big = Short("Big") + Bytes({0x13, 0x00, 0xF2, 0x05, 0x2A, 0x01, 0x00, 0x00, 0x00});
  EXPECT_EQ(Hex(WriteList(style)), Hex(Bytes({0x01}) + Short("Options") + Bytes({0x0B, 0x00}) + big +
                                       Short("Levels") + Bytes({0x0E, 0x00, 0x00})));
  TTestStyle read;
  ReadList(Bytes({0x01}) + big + Bytes({0x00}), read);
  EXPECT_EQ(read.Big, 5000000000LL);
  // A small value in an Int64 property takes the small encoding.
  ReadList(Bytes({0x01}) + Short("Big") + Bytes({0x04, 0x40, 0x9C, 0x00, 0x00}) + Bytes({0x00}), read);
  EXPECT_EQ(read.Big, 40000);
}

TEST_F(ComponentStreamingFormatTest, StringsAboveTwoHundredFiftyFiveBytesAreLongStrings) {
  TTestFont font;
  font.Name = std::string(255, 'y');
  EXPECT_EQ(Hex(WriteList(font)),
            Hex(Bytes({0x01}) + Short("Name") + Bytes({0x06, 0xFF}) + font.Name + Bytes({0x00})));
  font.Name = std::string(300, 'x');
  const std::string expected =
      Bytes({0x01}) + Short("Name") + Bytes({0x0C, 0x2C, 0x01, 0x00, 0x00}) + font.Name + Bytes({0x00});
  EXPECT_EQ(Hex(WriteList(font)), Hex(expected));
  TTestFont read;
  ReadList(expected, read);
  EXPECT_EQ(read.Name, font.Name);
  // Strings keep their bytes, NUL and high bytes included.
  font.Name = std::string("a\0\xE9", 3);
  ReadList(WriteList(font), read);
  EXPECT_EQ(read.Name, font.Name);
}

struct ColorCase {
  TColor color;
  std::string encoding;
};

TEST_F(ComponentStreamingFormatTest, ColoursWithANameAreIdentifiers) {
  const ColorCase cases[] = {
      {clBtnFace, Bytes({0x07}) + Short("clBtnFace")},
      {clWindow, Bytes({0x07}) + Short("clWindow")},
      {clHotLight, Bytes({0x07}) + Short("clHotLight")},
      {clInfoBk, Bytes({0x07}) + Short("clInfoBk")},
      {clNone, Bytes({0x07}) + Short("clNone")},
      {clDefault, Bytes({0x07}) + Short("clDefault")},
      {clBlack, Bytes({0x07}) + Short("clBlack")},
      {clWhite, Bytes({0x07}) + Short("clWhite")},
      {0x123456, Bytes({0x04, 0x56, 0x34, 0x12, 0x00})},
      {MakeColor(0x80000019), Bytes({0x04, 0x19, 0x00, 0x00, 0x80})},  // a system colour without a name
      {0x40, Bytes({0x02, 0x40})},
  };
  for (const ColorCase& c : cases) {
    SCOPED_TRACE(c.color);
    const std::string expected = Bytes({0x01}) + Short("Color") + c.encoding + Bytes({0x00});
    TTestBorder border;
    border.Color = c.color;
    EXPECT_EQ(Hex(WriteList(border)), Hex(expected));
    TTestBorder read;
    ReadList(expected, read);
    EXPECT_EQ(read.Color, c.color);
  }
  // Identifiers are matched without regard to case.
  TTestBorder read;
  ReadList(Bytes({0x01}) + Short("color") + Bytes({0x07}) + Short("CLHIGHLIGHTTEXT") + Bytes({0x00}), read);
  EXPECT_EQ(read.Color, clHighlightText);
}

TEST_F(ComponentStreamingFormatTest, CharsetsWithANameAreIdentifiers) {
  TTestStyle style;
  style.Charset = 0;
  const std::string ansi = Short("Charset") + Bytes({0x07}) + Short("ANSI_CHARSET");
  EXPECT_NE(WriteList(style).find(ansi), std::string::npos);
  style.Charset = 99;  // no name
  EXPECT_NE(WriteList(style).find(Short("Charset") + Bytes({0x02, 99})), std::string::npos);
  TTestStyle read;
  ReadList(Bytes({0x01}) + Short("Charset") + Bytes({0x07}) + Short("OEM_CHARSET") + Bytes({0x00}), read);
  EXPECT_EQ(read.Charset, 255);
  ReadList(Bytes({0x01}) + Short("Charset") + Bytes({0x03, 0xEE, 0x00}) + Bytes({0x00}), read);
  EXPECT_EQ(read.Charset, EASTEUROPE_CHARSET);
}

TEST_F(ComponentStreamingFormatTest, FloatsAreTenByteExtendedValues) {
  TTestStyle style;
  style.Scale = 1.5;  // mantissa 0xC000000000000000, exponent 0x3FFF
  const std::string onePointFive = Short("Scale") + Bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F});
  EXPECT_NE(WriteList(style).find(onePointFive), std::string::npos);
  style.Scale = -2.0;  // mantissa 0x8000000000000000, exponent 0x4000, sign
  EXPECT_NE(WriteList(style).find(Short("Scale") + Bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0})),
            std::string::npos);
  TTestStyle read;
  ReadList(Bytes({0x01}) + onePointFive + Bytes({0x00}), read);
  EXPECT_EQ(read.Scale, 1.5);
}

struct FloatCase {
  const char* what;
  std::string encoding;
  double expected;
};

TEST_F(ComponentStreamingFormatTest, FloatPropertiesAcceptEveryFloatEncoding) {
  const FloatCase cases[] = {
      {"vaDouble", Bytes({0x15, 0, 0, 0, 0, 0, 0, 0xD0, 0x3F}), 0.25},
      {"vaSingle", Bytes({0x0F, 0x00, 0x00, 0x00, 0x3F}), 0.5},
      {"vaCurrency", Bytes({0x10, 0x39, 0x30, 0, 0, 0, 0, 0, 0}), 1.2345},
      {"vaDate", Bytes({0x11, 0, 0, 0, 0, 0, 0, 0, 0x40}), 2.0},
      {"vaInt8", Bytes({0x02, 0x03}), 3.0},
      {"vaExtended 0.1", Bytes({0x05, 0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}), 0.1},
  };
  for (const FloatCase& c : cases) {
    SCOPED_TRACE(c.what);
    TTestStyle read;
    ReadList(Bytes({0x01}) + Short("Scale") + c.encoding + Bytes({0x00}), read);
    EXPECT_DOUBLE_EQ(read.Scale, c.expected);
  }
}

TEST_F(ComponentStreamingFormatTest, ExtendedValuesRoundTripExactlyIncludingSpecials) {
  const double values[] = {1.0, -0.5, 1e300, -1e-300, 4.9e-324, 123456.789, INFINITY, -INFINITY};
  for (double v : values) {
    SCOPED_TRACE(v);
    TTestStyle style, read;
    style.Scale = v;
    ReadList(WriteList(style), read);
    EXPECT_EQ(read.Scale, v);
  }
  TTestStyle style, read;
  style.Scale = NAN;
  ReadList(WriteList(style), read);
  EXPECT_TRUE(std::isnan(read.Scale));
  // An extended value beyond the double range (2^16383) becomes infinity.
  ReadList(Bytes({0x01}) + Short("Scale") + Bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F}) + Bytes({0}),
           read);
  EXPECT_TRUE(std::isinf(read.Scale));
}

TEST_F(ComponentStreamingFormatTest, WideStringsAreUtf16AndUtf8IsAccepted) {
  TTestStyle style;
  style.Wide = u"Hi";
  const std::string wide = Short("Wide") + Bytes({0x12, 0x02, 0x00, 0x00, 0x00, 0x48, 0x00, 0x69, 0x00});
  EXPECT_NE(WriteList(style).find(wide), std::string::npos);
  TTestStyle read;
  ReadList(Bytes({0x01}) + wide + Bytes({0x00}), read);
  EXPECT_EQ(read.Wide, u"Hi");
  ReadList(Bytes({0x01}) + Short("Wide") + Bytes({0x14, 0x06, 0, 0, 0, 0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80}) +
               Bytes({0x00}),
           read);
  EXPECT_EQ(read.Wide, u"\u00E9\U0001F600");
}

TEST_F(ComponentStreamingFormatTest, BooleansAreTrueAndFalseValues) {
  TTestSides sides;
  sides.Right = false;
  EXPECT_EQ(Hex(WriteList(sides)), Hex(Bytes({0x01}) + Short("Right") + Bytes({0x08, 0x00})));
  TTestSides read;
  ReadList(Bytes({0x01}) + Short("Left") + Bytes({0x08}) + Short("Right") + Bytes({0x07}) + Short("False") +
               Bytes({0x00}),
           read);
  EXPECT_FALSE(read.Left);
  EXPECT_FALSE(read.Right);
}

TEST_F(ComponentStreamingFormatTest, DefinedPropertiesFollowThePublishedOnes) {
  TTestStyle style;
  style.Blob = std::string("\x00\x01\x02", 3);
  const std::string bytes = WriteList(style);
  EXPECT_EQ(Hex(bytes),
            Hex(Bytes({0x01}) + Short("Options") + Bytes({0x0B, 0x00}) + Short("Levels") +
                Bytes({0x0E, 0x00}) + Short("Blob") + Bytes({0x0A, 0x03, 0, 0, 0, 0x00, 0x01, 0x02, 0x00})));
  TTestStyle read;
  ReadList(bytes, read);
  EXPECT_EQ(read.Blob, style.Blob);
  // A property defined for reading only is accepted and never written.
  ReadList(Bytes({0x01}) + Short("Legacy") + Bytes({0x09, 0x00}), read);
  EXPECT_TRUE(read.LegacyRead);
}

TEST_F(ComponentStreamingFormatTest, NestedObjectsMadeOnFirstReadAreWrittenOnlyWhenPresent) {
  TTestLevel level;
  EXPECT_EQ(Hex(WriteList(level)), Hex(Bytes({0x01, 0x00})));
  level.MakeFont();
  EXPECT_EQ(Hex(WriteList(level)), Hex(Bytes({0x01, 0x00})));  // a default font writes nothing
  level.Font->Name = "Tahoma";
  const std::string expected =
      Bytes({0x01}) + Short("Font.Name") + Bytes({0x06}) + Short("Tahoma") + Bytes({0x00});
  EXPECT_EQ(Hex(WriteList(level)), Hex(expected));
  TTestLevel read;
  ReadList(expected, read);
  ASSERT_NE(read.Font, nullptr);
  EXPECT_EQ(read.Font->Name, "Tahoma");
}

TEST_F(ComponentStreamingFormatTest, FormChildrenAndReferencesAreResolvedAfterReading) {
  TMemoryStream stream(kForm);
  std::unique_ptr<TComponent> root = ReadComponent(stream);
  ASSERT_EQ(root->ClassName(), "TTestForm");
  EXPECT_EQ(root->Name(), "Form1");
  ASSERT_EQ(root->ComponentCount(), 2);
  auto* b1 = dynamic_cast<TTestButton*>(root->FindComponent("B1"));
  auto* b2 = dynamic_cast<TTestButton*>(root->FindComponent("B2"));
  ASSERT_TRUE(b1 && b2);
  EXPECT_EQ(b1->Caption, "OK");
  EXPECT_EQ(b1->Buddy, b2);  // a forward reference
  EXPECT_EQ(b2->Buddy, b1);
  EXPECT_EQ(b2->Tag(), 7);
  EXPECT_EQ(b1->parentSeen, root.get());
  EXPECT_TRUE(b1->loaded && b2->loaded);

  // Written again, the form gives the same bytes.
  TMemoryStream out;
  WriteComponent(out, *root);
  EXPECT_EQ(Hex(out.DataString()), Hex(kForm));
}

TEST_F(ComponentStreamingFormatTest, FilerFlagPrefixesAndNilReferencesAreAccepted) {
  const std::string bytes = "TPF0" + Bytes({0xF0}) + Short("TTestForm") + Short("") + Bytes({0x00}) +
                            Bytes({0xF2, 0x02, 0x00}) + Short("TTestButton") +
                            Short("B1") +                                         // ffChildPos, position 0
                            Short("Buddy") + Bytes({0x0D}) + Bytes({0, 0}) +      // vaNil
                            Bytes({0xF1}) + Short("TTestButton") + Short("B1") +  // ffInherited: the same B1
                            Short("Caption") + Bytes({0x06}) + Short("Again") + Bytes({0, 0}) + Bytes({0x00});
  TTestForm form;
  auto* existing = new TTestButton(&form);
  existing->SetName("B1");
  existing->Buddy = &form;
  TMemoryStream stream(bytes);
  ReadComponent(stream, form);
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(existing->Buddy, nullptr);
  EXPECT_EQ(existing->Caption, "Again");
}

TEST_F(ComponentStreamingFormatTest, PropertyListsFollowEachOtherOnOneStream) {
  const std::string first = Bytes({0x01}) + Short("Left") + Bytes({0x02, 0x05, 0x00});
  const std::string second = Bytes({0x01}) + Short("Bottom") + Bytes({0x02, 0x09, 0x00});
  TMemoryStream stream(first + second + "tail");
  TTestRect a, b;
  ReadPropertyList(stream, a);
  EXPECT_EQ(stream.Position(), static_cast<int64_t>(first.size()));
  ReadPropertyList(stream, b);
  EXPECT_EQ(stream.Position(), static_cast<int64_t>(first.size() + second.size()));
  EXPECT_EQ(a.Left, 5);
  EXPECT_EQ(b.Bottom, 9);
}

TEST_F(ComponentStreamingFormatTest, SkipValuePassesOverEveryValueType) {
  const std::string values =
      Bytes({0x01}) +  // a list of everything
      Bytes({0x02, 0x01, 0x03, 0x01, 0x02, 0x04, 1, 2, 3, 4}) +
      Bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}) + Bytes({0x06}) + Short("abc") + Bytes({0x07}) +
      Short("clRed") + Bytes({0x08, 0x09, 0x0A, 0x02, 0, 0, 0, 0xAA, 0xBB}) + Bytes({0x0B}) + Short("a") +
      Short("b") + Bytes({0x00}) + Bytes({0x0C, 0x01, 0, 0, 0, 'z', 0x0D}) + Bytes({0x0E, 0x02, 0x01, 0x01}) +
      Short("X") + Bytes({0x02, 0x01, 0x00, 0x00}) +
      Bytes({0x0F, 1, 2, 3, 4, 0x10, 1, 2, 3, 4, 5, 6, 7, 8, 0x11, 1, 2, 3, 4, 5, 6, 7, 8}) +
      Bytes({0x12, 0x01, 0, 0, 0, 'w', 0}) + Bytes({0x13, 1, 2, 3, 4, 5, 6, 7, 8}) +
      Bytes({0x14, 0x02, 0, 0, 0, 'u', '8'}) + Bytes({0x15, 1, 2, 3, 4, 5, 6, 7, 8}) +
      Bytes({0x01, 0x01, 0x00, 0x00}) +  // nested lists
      Bytes({0x00}) + "!";
  TMemoryStream stream(values);
  TReader reader(stream);
  reader.SkipValue();
  EXPECT_EQ(reader.ReadValue(), static_cast<TValueType>('!'));
}
