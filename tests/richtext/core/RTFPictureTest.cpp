// Pictures in RTF: bitmaps as DIBs with padded rows, scaling, JPEG pictures, metafiles with
// and without the placeable header, pictures drawn into metafiles, image-list images and
// pictures without pixels.
#include <gtest/gtest.h>

#include "RTFTestSupport.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"

using namespace rtftest;
using namespace htmltest;

namespace {

std::string Hex(std::string_view bytes) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : bytes) {
    out += digits[static_cast<uint8_t>(ch) >> 4];
    out += digits[static_cast<uint8_t>(ch) & 15];
  }
  return out;
}

std::string Unhex(std::string_view hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  return out;
}

std::string Saved(TGraphic& graphic) {
  TMemoryStream stream;
  graphic.SaveToStream(stream);
  return stream.DataString();
}

std::string Picture(TGraphic* graphic, TRVRTFOptions options, int32_t width = 0, int32_t height = 0) {
  TMemoryStream stream;
  RVWriteRTFPicture(stream, graphic, width, options, height);
  return stream.DataString();
}

/// The hexadecimal data of a "{\pict...<blank>data}" group.
std::string PictData(const std::string& group) {
  const size_t blank = group.find(' ');
  return group.substr(blank + 1, group.size() - blank - 2);
}

/// A Windows metafile with the placeable header: header, one empty record set, EOF.
std::string PlaceableWMF() {
  std::string w;
  auto u16 = [&](int v) { w += static_cast<char>(v & 0xFF), w += static_cast<char>((v >> 8) & 0xFF); };
  auto u32 = [&](uint32_t v) { u16(static_cast<int>(v & 0xFFFF)), u16(static_cast<int>(v >> 16)); };
  u32(0x9AC6CDD7), u16(0), u16(0), u16(0), u16(1440), u16(720), u16(1440), u32(0);
  uint16_t checksum = 0;
  for (size_t i = 0; i < 20; i += 2)
    checksum ^= static_cast<uint16_t>(static_cast<uint8_t>(w[i]) | static_cast<uint8_t>(w[i + 1]) << 8);
  u16(checksum);
  u16(1), u16(9), u16(0x0300), u32(12), u16(0), u32(3), u16(0);
  u32(3), u16(0);
  return w;
}

TEST(RTFPictureTest, BitmapRowsArePaddedToFourBytes) {
  auto wide = SolidBitmap(5, 1, clRed);  // 15 bytes of pixels, one row
  const std::string group = Picture(wide.get(), 0);
  const std::string head =
      "{\\pict\\dibitmap0\\wbmwidthbytes16\\picw5\\pich1\\picwgoal75\\pichgoal15 28000000";
  EXPECT_EQ(group.substr(0, head.size()), head);
  EXPECT_EQ(PictData(group), Hex(Saved(*wide).substr(14)));

  auto mono = SolidBitmap(3, 2, clBlack);
  mono->SetPixelFormat(pf1bit);
  EXPECT_NE(Picture(mono.get(), 0).find("\\wbmwidthbytes4\\picw3\\pich2"), std::string::npos);
}

TEST(RTFPictureTest, ExplicitSizeScalesThePicture) {
  auto bitmap = SolidBitmap(3, 2, clRed);
  EXPECT_EQ(Picture(bitmap.get(), 0, 6, 3).substr(0, 44),
            "{\\pict\\picscalex200\\picscaley150\\dibitmap0\\w");
  EXPECT_EQ(Picture(bitmap.get(), 0, 1, 0).substr(0, 25), "{\\pict\\picscalex33\\dibitm");
}

TEST(RTFPictureTest, PicturesWithoutPixelsWriteNothing) {
  auto empty = SolidBitmap(0, 0, clRed);
  EXPECT_EQ(Picture(empty.get(), 0, 10, 10), "");
  EXPECT_EQ(Picture(nullptr, 0, 10, 10), "");
  TMetafile sizeless;
  EXPECT_EQ(Picture(&sizeless, rvrtfSaveEMFAsWMF, 10, 10), "");
}

TEST(RTFPictureTest, JPEGAsJPEGOrAsBitmap) {
  auto jpeg = SolidJPEG(4, 3, clBlue);
  EXPECT_EQ(Picture(jpeg.get(), rvrtfSaveJpegAsJpeg),
            "{\\pict\\jpegblip\\picw4\\pich3\\picwgoal60\\pichgoal45 " + Hex(JPEGBytes(*jpeg)) + "}");
  EXPECT_EQ(Picture(jpeg.get(), rvrtfSaveBitmapDefault).substr(0, 49),
            "{\\pict\\dibitmap0\\wbmwidthbytes12\\picw4\\pich3\\picw");
}

TEST(RTFPictureTest, OtherPicturesAreDrawnIntoAWindowsMetafile) {
  auto jpeg = SolidJPEG(4, 3, clBlue);
  const std::string group = Picture(jpeg.get(), 0);
  ASSERT_EQ(group.rfind("{\\pict\\wmetafile1\\picw4\\pich3\\picwgoal60\\pichgoal45 01000", 0), 0u) << group;
  // The metafile has no placeable header and is written whole; it reads back.
  TMetafile metafile;
  TMemoryStream stream(Unhex(PictData(group)));
  metafile.LoadFromStream(stream);
  EXPECT_FALSE(metafile.Enhanced());
}

TEST(RTFPictureTest, OtherPicturesAreDrawnIntoAnEnhancedMetafileWhenAsked) {
  auto jpeg = SolidJPEG(4, 3, clBlue);
  const std::string group = Picture(jpeg.get(), rvrtfSaveEMFDefault);
  ASSERT_EQ(group.rfind("{\\pict\\emfblip\\picw106\\pich79\\picwgoal60\\pichgoal45 01", 0), 0u) << group;
  const std::string emf = Unhex(PictData(group));
  EXPECT_EQ(emf.substr(40, 4), " EMF");
  TMetafile metafile;
  TMemoryStream stream(emf);
  metafile.LoadFromStream(stream);
  EXPECT_TRUE(metafile.Enhanced());
  EXPECT_EQ(metafile.MMWidth(), 106);
  // An enhanced metafile is written whole, also when Windows metafiles are preferred.
  EXPECT_EQ(Picture(&metafile, rvrtfSaveEMFAsWMF),
            "{\\pict\\emfblip\\picw106\\pich79\\picwgoal60\\pichgoal45 " + Hex(emf) + "}");
}

TEST(RTFPictureTest, PlaceableMetafileLosesOnlyItsPlaceableHeader) {
  TMetafile metafile;
  TMemoryStream in(PlaceableWMF());
  metafile.LoadFromStream(in);
  const std::string saved = Saved(metafile);
  ASSERT_EQ(static_cast<uint8_t>(saved[0]), 0xD7);
  EXPECT_EQ(Picture(&metafile, 0), "{\\pict\\wmetafile8\\picw" + std::to_string(metafile.MMWidth()) +
                                       "\\pich" + std::to_string(metafile.MMHeight()) +
                                       "\\picwgoal1440\\pichgoal720 " + Hex(saved.substr(22)) + "}");
  EXPECT_EQ(metafile.MMWidth(), 2540);
  EXPECT_EQ(metafile.MMHeight(), 1270);
}

// ---- picture items ---------------------------------------------------------------------------

class RTFPictureItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data.SetRVStyle(style.get());
    images.SetSize(2, 2);
    auto strip = SolidBitmap(4, 2, clRed);
    images.Add(strip.get(), nullptr);
  }

  /// The body after the paragraph start of a one-paragraph document.
  std::string Body() {
    const std::string rtf = SaveRTF(data);
    const std::string para = "\\sa0\\itap0 ";
    const size_t at = rtf.find(para);
    return rtf.substr(at + para.size(), rtf.size() - at - para.size() - 1);
  }

  std::unique_ptr<TRVStyle> style = PlainSheet();
  TRTFData data;
  TImageList images;
};

TEST_F(RTFPictureItemTest, PictureItemsUseTheirExplicitSize) {
  data.AddPictureItem("p", SolidBitmap(3, 2, clRed), 0, 0, TRVTag());
  static_cast<TRVGraphicItemInfo*>(data.GetItem(0))->ImageWidth = 6;
  data.AddItem("h", TRVHotGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(3, 2, clRed), 0));
  data.GetItem(1)->SetSameAsPrev(true);
  const std::string body = Body();
  EXPECT_EQ(body.substr(0, 30), "{\\pict\\picscalex200\\dibitmap0\\");
  EXPECT_NE(body.find("}{\\pict\\dibitmap0\\"), std::string::npos);
}

TEST_F(RTFPictureItemTest, ImageListImagesAreDrawnPictures) {
  data.AddItem("", TRVBulletItemInfo::CreateEx(&data, &images, 1, 0));
  data.AddItem("", TRVHotspotItemInfo::CreateEx(&data, &images, 0, 1, 0));
  data.GetItem(1)->SetSameAsPrev(true);
  data.AddItem("", TRVBulletItemInfo::CreateEx(&data, &images, 5, 0));  // no such image
  data.GetItem(2)->SetSameAsPrev(true);
  const std::string body = Body();
  EXPECT_EQ(body.rfind("{\\pict\\wmetafile1\\picw2\\pich2\\picwgoal30\\pichgoal30 01", 0), 0u) << body;
  EXPECT_EQ(body.find("{\\pict", 1),
            body.find("}{\\pict\\wmetafile1\\picw2\\pich2\\picwgoal30\\pichgoal30 ") + 1);
  EXPECT_EQ(body.find("{\\pict", body.find("{\\pict", 1) + 1), std::string::npos);

  data.SetRTFOptions(rvDefaultRTFOptions | rvrtfSaveBitmapDefault);
  EXPECT_EQ(Body().substr(0, 49), "{\\pict\\dibitmap0\\wbmwidthbytes8\\picw2\\pich2\\picwg");
}

TEST_F(RTFPictureItemTest, MarkerPicturesAndImages) {
  TRVListInfo* list = style->ListStyles().AddStyle();
  TRVListLevel* picture = list->Levels().AddLevel();
  picture->ListType = rvlstPicture;
  auto bitmap = SolidBitmap(3, 2, clRed);
  picture->Picture().SetGraphic(bitmap.get());
  TRVListLevel* counter = list->Levels().AddLevel();
  counter->ListType = rvlstImageListCounter;
  counter->ImageList = &images;
  AddMarker(data, 0, 0);
  AddJoined(data, "a", 0);
  AddMarker(data, 0, 1);
  AddJoined(data, "b", 0);
  const std::string rtf = SaveRTF(data);
  EXPECT_NE(rtf.find("\\itap0 {\\pict\\dibitmap0\\wbmwidthbytes12\\picw3\\pich2"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\itap0 {\\pict\\wmetafile1\\picw2\\pich2\\picwgoal30\\pichgoal30 "), std::string::npos)
      << rtf;
  EXPECT_EQ(rtf.find("\\listtext"), std::string::npos);
}

}  // namespace
