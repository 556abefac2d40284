// Bad component streams: truncation anywhere, unknown value types and properties, values of
// the wrong type, lengths beyond the stream and nesting beyond the limit all end in EReadError.
#include <gtest/gtest.h>

#include "StreamingTestClasses.h"

namespace {

// A tree item whose children are a collection of tree items, for nesting tests.
class TTreeItem : public TCollectionItem {
 public:
  TTreeItem();
  ZUK_CLASS_NAME(TTreeItem)
  ZUK_PUBLISHED(TTreeItem)
 public:
  int Value = 0;
  TOwnedCollection Children;
};

TTreeItem::TTreeItem() : Children(this, CollectionItemClass<TTreeItem>()) {}

const TPropertyList& TTreeItem::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TTreeItem>(TCollectionItem::ClassProperties())
                                        .Integer("Value", &TTreeItem::Value, &TTreeItem::Value)
                                        .Default(0)
                                        .Object("Children", &TTreeItem::Children)
                                        .Build();
  return list;
}

// A collection value nested `depth` levels deep through Children.
std::string NestedTree(int depth) {
  std::string inner = Bytes({0x0E, 0x00});
  for (int i = 0; i < depth; ++i)
    inner = Bytes({0x0E, 0x01}) + Short("Children") + inner + Bytes({0x00, 0x00});
  return inner;
}

std::string ReadListError(const std::string& bytes, TPersistent& object) {
  TMemoryStream stream(bytes);
  try {
    ReadPropertyList(stream, object);
  } catch (const EReadError& e) {
    return e.what();
  }
  return "no error";
}

std::string Grid() {
  TGridSW grid;
  grid.Props.Color = clRed;
  grid.Rows = 1;
  grid.Cols = 2;
  grid.Cells = {{1, 1, clYellow, 1}, {1, 1, 0x123456, 0}};
  TMemoryStream stream;
  WriteComponent(stream, grid);
  return stream.DataString();
}

std::string Form() {
  TTestForm form;
  form.SetName("Form1");
  auto* b1 = new TTestButton(&form);
  b1->SetName("B1");
  b1->Caption = std::string(300, 'c');
  auto* b2 = new TTestButton(&form);
  b2->SetName("B2");
  b2->Buddy = b1;
  TMemoryStream stream;
  WriteComponent(stream, form);
  return stream.DataString();
}

std::string Styles() {
  TTestStyles styles;
  auto* s = static_cast<TTestStyle*>(styles.Add());
  s->StyleName = "S";
  s->Style = fsItalic;
  s->Scale = 2.5;
  s->Wide.push_back(u'w');  // (assigning a one-character literal trips a GCC 12 false warning)
  s->Blob = "blob";
  s->Border.Sides().Right = false;
  static_cast<TTestLevel*>(s->Levels.Add())->Template = "x";
  TMemoryStream stream;
  WriteCollection(stream, styles);
  return stream.DataString();
}

}  // namespace

class ComponentStreamingMalformedTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterStreamingTestClasses(); }
};

TEST_F(ComponentStreamingMalformedTest, TruncatedComponentStreamsFailAtEveryOffset) {
  for (const std::string& full : {Grid(), Form()}) {
    for (size_t length = 0; length < full.size(); ++length) {
      SCOPED_TRACE(length);
      TMemoryStream stream(full.substr(0, length));
      EXPECT_THROW(ReadComponent(stream), EReadError);
    }
    TMemoryStream stream(full);
    EXPECT_NO_THROW(ReadComponent(stream));
  }
}

TEST_F(ComponentStreamingMalformedTest, TruncatedStreamIntoAnExistingComponentFailsAtEveryOffset) {
  const std::string full = Grid();
  for (size_t length = 0; length < full.size(); ++length) {
    SCOPED_TRACE(length);
    TGridSW grid;
    TMemoryStream stream(full.substr(0, length));
    EXPECT_THROW(ReadComponent(stream, grid), EReadError);
    EXPECT_EQ(grid.ComponentState() & (csLoading | csReading), 0u);
  }
}

TEST_F(ComponentStreamingMalformedTest, TruncatedCollectionsFailAtEveryOffset) {
  const std::string full = Styles();
  for (size_t length = 0; length < full.size(); ++length) {
    SCOPED_TRACE(length);
    TTestStyles styles;
    TMemoryStream stream(full.substr(0, length));
    EXPECT_THROW(ReadCollection(stream, styles), EReadError);
    EXPECT_EQ(styles.UpdateCount(), 0);
  }
}

TEST_F(ComponentStreamingMalformedTest, UnknownPropertyNamesTheObjectAndThePath) {
  TTestRect rect;
  EXPECT_EQ(ReadListError(Bytes({0x01}) + Short("Nope") + Bytes({0x02, 0x01, 0x00}), rect),
            "Error reading TTestRect.Nope: Property Nope does not exist");

  TGridSW grid;
  grid.SetName("Grid1");
  TMemoryStream stream("TPF0" + Short("TGridSW") + Short("") + Short("T.Nope") +
                       Bytes({0x02, 0x01, 0x00, 0x00}));
  try {
    ReadComponent(stream, grid);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Error reading Grid1.T.Nope: Property Nope does not exist");
  }
  // A path through a property that is not an object.
  TTestBorder border;
  EXPECT_EQ(ReadListError(Bytes({0x01}) + Short("Width.X") + Bytes({0x02, 0x01, 0x00}), border),
            "Error reading TTestBorder.Width.X: Property Width does not exist");
}

TEST_F(ComponentStreamingMalformedTest, UnknownValueTypesAreRefused) {
  TTestRect rect;
  EXPECT_EQ(ReadListError(Bytes({0x01}) + Short("Left") + Bytes({0x30, 0x00}), rect),
            "Error reading TTestRect.Left: Unknown value type 48");
  TMemoryStream stream(Bytes({0x16}));
  TReader reader(stream);
  EXPECT_THROW(reader.SkipValue(), EReadError);
}

struct WrongValueCase {
  const char* what;
  std::string bytes;
};

TEST_F(ComponentStreamingMalformedTest, ValuesOfTheWrongTypeAreInvalid) {
  const WrongValueCase cases[] = {
      {"string for integer", Short("Size") + Bytes({0x06}) + Short("1")},
      {"int64 beyond 32 bits for integer", Short("Size") + Bytes({0x13, 0, 0, 0, 0, 1, 0, 0, 0})},
      {"integer for enumeration", Short("Border.Style") + Bytes({0x02, 0x01})},
      {"unknown enumeration name", Short("Border.Style") + Bytes({0x07}) + Short("tbsTriple")},
      {"unknown set element", Short("Style") + Bytes({0x0B}) + Short("fsBlink") + Bytes({0x00})},
      {"identifier for set", Short("Style") + Bytes({0x07}) + Short("fsBold")},
      {"unknown colour name", Short("Color") + Bytes({0x07}) + Short("clPlaid")},
      {"integer for boolean", Short("Jump") + Bytes({0x02, 0x01})},
      {"identifier for boolean", Short("Jump") + Bytes({0x07}) + Short("Yes")},
      {"list for string", Short("StyleName") + Bytes({0x01, 0x00})},
      {"8-bit string for wide string", Short("Wide") + Bytes({0x06}) + Short("w")},
      {"bad UTF-8", Short("Wide") + Bytes({0x14, 0x02, 0, 0, 0, 0xC3, 0x28})},
      {"list for collection", Short("Levels") + Bytes({0x01, 0x00})},
      {"nil for nested object", Short("Border") + Bytes({0x0D})},
      {"integer for binary", Short("Blob") + Bytes({0x02, 0x01})},
      {"end of list as a value", Short("Size") + Bytes({0x00})},
  };
  for (const WrongValueCase& c : cases) {
    SCOPED_TRACE(c.what);
    TTestStyle style;
    const std::string message = ReadListError(Bytes({0x01}) + c.bytes + Bytes({0x00}), style);
    EXPECT_NE(message.find("Invalid property value"), std::string::npos) << message;
  }
}

TEST_F(ComponentStreamingMalformedTest, LengthsBeyondTheStreamAreRefusedBeforeAllocating) {
  const std::string cases[] = {
      Short("StyleName") + Bytes({0x0C, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}),  // 2 GB long string
      Short("StyleName") + Bytes({0x0C, 0xFF, 0xFF, 0xFF, 0xFF}),       // negative length
      Short("Wide") + Bytes({0x12, 0x00, 0x00, 0x00, 0x40, 'a', 0}),    // 2^30 characters
      Short("Wide") + Bytes({0x14, 0x00, 0x00, 0x00, 0x70}),            // UTF-8 string
      Short("Blob") + Bytes({0x0A, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2}),      // binary
      Short("StyleName") + Bytes({0x06, 0x10, 'a'}),                    // short string
  };
  for (const std::string& c : cases) {
    SCOPED_TRACE(Hex(c));
    TTestStyle style;
    EXPECT_NE(ReadListError(Bytes({0x01}) + c + Bytes({0x00}), style), "no error");
  }
}

TEST_F(ComponentStreamingMalformedTest, BadSignatureAndUnknownClassesAreRefused) {
  TMemoryStream bad("TPF1" + Short("TGridSW") + Short("") + Bytes({0, 0}));
  EXPECT_THROW(ReadComponent(bad), EReadError);
  TMemoryStream unknown("TPF0" + Short("TNoSuchClass") + Short("") + Bytes({0, 0}));
  EXPECT_THROW(ReadComponent(unknown), EClassNotFound);
  // A child of an unknown class: the children read so far are freed with the root.
  TMemoryStream child("TPF0" + Short("TTestForm") + Short("") + Bytes({0x00}) + Short("TTestButton") +
                      Short("A") + Bytes({0, 0}) + Short("TNoSuchClass") + Short("B") + Bytes({0, 0, 0}));
  EXPECT_THROW(ReadComponent(child), EClassNotFound);
}

TEST_F(ComponentStreamingMalformedTest, AFailedChildIsFreedAndTheOthersStay) {
  TTestForm form;
  TMemoryStream stream("TPF0" + Short("TTestForm") + Short("") + Bytes({0x00}) + Short("TTestButton") +
                       Short("A") + Bytes({0, 0}) + Short("TTestButton") + Short("B") + Short("Nope") +
                       Bytes({0x02, 0x01, 0, 0, 0}));
  EXPECT_THROW(ReadComponent(stream, form), EReadError);
  ASSERT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(form.Components(0)->Name(), "A");
  EXPECT_EQ(form.Components(0)->ComponentState() & csLoading, 0u);
}

TEST_F(ComponentStreamingMalformedTest, NestingIsBoundedButOrdinaryDepthsRead) {
  TTreeItem shallow;
  TMemoryStream ok(Bytes({0x01}) + Short("Children") + NestedTree(40) + Bytes({0x00}));
  ASSERT_NO_THROW(ReadPropertyList(ok, shallow));
  int depth = 0;
  for (TTreeItem* node = &shallow; node->Children.Count() > 0;
       node = static_cast<TTreeItem*>(node->Children.Items(0)))
    ++depth;
  EXPECT_EQ(depth, 40);

  TTreeItem deep;
  const std::string message = ReadListError(
      Bytes({0x01}) + Short("Children") + NestedTree(kMaxStreamingDepth + 5) + Bytes({0x00}), deep);
  EXPECT_NE(message.find("Stream nesting is too deep"), std::string::npos);

  // Nested lists met while skipping are bounded too.
  std::string lists;
  for (int i = 0; i < kMaxStreamingDepth + 5; ++i) lists += Bytes({0x01});
  lists += std::string(kMaxStreamingDepth + 5, '\0');
  TMemoryStream stream(lists);
  TReader reader(stream);
  EXPECT_THROW(reader.SkipValue(), EReadError);
}

TEST_F(ComponentStreamingMalformedTest, ArbitraryBytesNeverCrashTheReader) {
  // Passes by not crashing: every single-byte change of a valid stream either reads or
  // raises an exception of ours.
  const std::string full = Styles();
  for (size_t i = 0; i < full.size(); ++i) {
    for (int delta : {1, 0x80}) {
      std::string bytes = full;
      bytes[i] = static_cast<char>(static_cast<unsigned char>(bytes[i]) + delta);
      TTestStyles styles;
      TMemoryStream stream(bytes);
      try {
        ReadCollection(stream, styles);
      } catch (const Exception&) {
      }
    }
  }
}

TEST_F(ComponentStreamingMalformedTest, ArbitraryBytesNeverCrashTheComponentReader) {
  // Component streams add class lookup, child creation, name fixups and defined properties
  // that read components of their own; a changed byte anywhere must not break any of them.
  for (const std::string& full : {Grid(), Form()}) {
    for (size_t i = 0; i < full.size(); ++i) {
      for (int delta : {1, 0x80, 0xFF}) {
        std::string bytes = full;
        bytes[i] = static_cast<char>(static_cast<unsigned char>(bytes[i]) + delta);
        try {
          TMemoryStream stream(bytes);
          std::unique_ptr<TComponent> root = ReadComponent(stream);
        } catch (const Exception&) {
        }
        TTestForm form;
        try {
          TMemoryStream stream(bytes);
          ReadComponent(stream, form);
        } catch (const Exception&) {
        }
        EXPECT_EQ(form.ComponentState() & (csLoading | csReading), 0u);
        for (int c = 0; c < form.ComponentCount(); ++c)
          EXPECT_EQ(form.Components(c)->ComponentState() & (csLoading | csReading), 0u);
      }
    }
  }
}
