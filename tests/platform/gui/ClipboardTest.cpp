// The clipboard within the process: every kind of content round-trips, and content set
// between Open and Close reaches the system clipboard only at the last Close.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "GuiTestSupport.h"
#include "platform/core/CodePages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/gui/Clipbrd.h"

namespace {

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetACP(1251);
    Clipboard().Clear();
  }
  void TearDown() override { SetACP(1252); }
};

TEST_F(ClipboardTest, EveryKindOfContentRoundTripsInOneOpening) {
  const uint32_t rvf = RegisterClipboardFormat("RV Format");
  const uint32_t rtf = RegisterClipboardFormat("Rich Text Format");
  const std::vector<uint8_t> block = {0, 1, 2, 0xFF, 0};
  TBitmap picture;
  picture.SetSize(4, 3);
  picture.Canvas().Brush().SetColor(clBlue);
  picture.Canvas().FillRect(Rect(0, 0, 4, 3));

  Clipboard().Open();
  Clipboard().Clear();
  Clipboard().SetAsText("\xCF\xF0\xE8\xE2\xE5\xF2");  // "Privet" in code page 1251
  Clipboard().SetUnicodeText(u"\u041F\u0440\u0438\u0432\u0435\u0442!");
  Clipboard().SetBuffer(rvf, block);
  Clipboard().SetBuffer(rtf, std::vector<uint8_t>{'{', '}'});
  Clipboard().SetPicture(picture);
  Clipboard().Close();

  EXPECT_EQ(Clipboard().AsText(), "\xCF\xF0\xE8\xE2\xE5\xF2");
  EXPECT_EQ(Clipboard().UnicodeText(), u"\u041F\u0440\u0438\u0432\u0435\u0442!");
  EXPECT_EQ(Clipboard().GetBuffer(rvf), block);
  for (uint32_t format : {CF_TEXT, CF_UNICODETEXT, CF_BITMAP, CF_DIB, rvf, rtf})
    EXPECT_TRUE(Clipboard().HasFormat(format)) << format;
  // Other programs see rich text under its standard type.
  EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data("text/rtf"), QByteArray("{}"));
  auto back = Clipboard().Picture();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Width(), 4);
  EXPECT_EQ(back->Height(), 3);
  EXPECT_EQ(back->Canvas().Pixel(2, 1), clBlue);
}

TEST_F(ClipboardTest, EightBitTextIsOfferedAsUnicodeText) {
  Clipboard().SetAsText("\xC0\xE1");  // Cyrillic A, be
  EXPECT_EQ(Clipboard().UnicodeText(), u"\u0410\u0431");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf16(u"\u0410\u0431"));
}

TEST_F(ClipboardTest, ContentReachesTheSystemAtTheLastClose) {
  Clipboard().SetAsText("old");
  Clipboard().Open();
  Clipboard().Open();
  Clipboard().Clear();
  Clipboard().SetUnicodeText(u"new");
  Clipboard().Close();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "old");
  Clipboard().Close();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "new");
  // A set outside Open replaces the whole content.
  const uint32_t mine = RegisterClipboardFormat("Mine");
  Clipboard().SetBuffer(mine, std::vector<uint8_t>{7});
  EXPECT_FALSE(Clipboard().HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard().GetBuffer(mine), std::vector<uint8_t>{7});
}

TEST_F(ClipboardTest, FormatsAreRegisteredOncePerName) {
  const uint32_t a = RegisterClipboardFormat("Zuk Test Format");
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormat("ZUK TEST FORMAT"), a);
  EXPECT_NE(RegisterClipboardFormat("Zuk Other Format"), a);
  EXPECT_EQ(RegisterClipboardFormat(""), 0u);
  EXPECT_EQ(ClipboardFormatName(a), "Zuk Test Format");
  EXPECT_THROW(Clipboard().SetBuffer(0xBFFF, std::vector<uint8_t>{1}), EInvalidOperation);
  EXPECT_TRUE(Clipboard().GetBuffer(0xFFFF).empty());
}

}  // namespace
