// GIF images through the clipboard: the file under "GIF Image" and the picture beside it.
#include <gtest/gtest.h>

#include "GIFPainterSupport.h"
#include "platform/graphics/Canvas.h"
#include "platform/gui/Clipbrd.h"

using namespace giftest;

namespace {

class GIFClipboardTest : public ApplicationTest {
 protected:
  void SetUp() override { Clipboard().Clear(); }
};

TEST_F(GIFClipboardTest, CopiedImageComesBackAsTheSameFileAndAsAPicture) {
  const Bytes bytes =
      BuildAnimation(3, 2, Palette4(), 3, {{5, 1, -1, Solid(3, 2, 1)}, {5, 2, -1, Solid(3, 2, 2)}}, 0);
  Loaded loaded(bytes);
  TMemoryStream saved;
  loaded.image.SaveToStream(saved);
  loaded.image.SaveToClipboardFormat();

  ASSERT_TRUE(Clipboard().HasFormat(CF_GIF()));
  EXPECT_EQ(ClipboardFormatName(CF_GIF()), "GIF Image");
  const std::vector<uint8_t> block = Clipboard().GetBuffer(CF_GIF());
  EXPECT_EQ(std::string(block.begin(), block.end()), saved.DataString());

  TGIFImage pasted;
  pasted.LoadFromClipboardFormat(CF_GIF());
  ASSERT_EQ(pasted.Count(), 2);
  EXPECT_EQ(FramePixels(pasted.Images(1)), Bytes(6, 2));

  // Programs that do not read GIF get the first frame as a picture.
  ASSERT_TRUE(Clipboard().HasFormat(CF_BITMAP));
  TGIFImage from_picture;
  from_picture.LoadFromClipboardFormat(CF_BITMAP);
  ASSERT_EQ(from_picture.Count(), 1);
  EXPECT_EQ(from_picture.Width(), 3);
  TBitmap shown;
  shown.SetSize(3, 2);
  shown.Canvas().Draw(0, 0, &from_picture);
  EXPECT_EQ(shown.Canvas().Pixel(2, 1), TColor{0x00FF00});
}

TEST_F(GIFClipboardTest, EmptyImageLeavesTheClipboardAlone) {
  Clipboard().SetAsText("kept");
  TGIFImage empty;
  empty.SaveToClipboardFormat();
  EXPECT_FALSE(Clipboard().HasFormat(CF_GIF()));
  EXPECT_EQ(Clipboard().AsText(), "kept");
}

TEST_F(GIFClipboardTest, OtherFormatsAreRefused) {
  Clipboard().SetAsText("not a picture");
  TGIFImage image;
  EXPECT_THROW(image.LoadFromClipboardFormat(CF_TEXT), EInvalidGraphic);
  // A damaged file on the clipboard is the loader's error, and the image stays empty.
  const uint8_t junk[] = {'G', 'I', 'F', '8', '9', 'a', 1};
  Clipboard().SetBuffer(CF_GIF(), junk);
  EXPECT_THROW(image.LoadFromClipboardFormat(CF_GIF()), GIFException);
  EXPECT_TRUE(image.Empty());
}

}  // namespace
