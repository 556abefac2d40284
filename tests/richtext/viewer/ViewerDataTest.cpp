#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

class ViewerDataTest : public ::testing::Test {
 protected:
  void SetUp() override { viewer.SetStyle(&sheet); }
  TRVViewerRVData& data() { return viewer.RVData(); }

  TRVStyle sheet;
  TRVViewer viewer;
};

TEST_F(ViewerDataTest, SettingsAreTheControlsOwn) {
  data().SetOptions(rvoSingleClick);
  EXPECT_EQ(viewer.Options, rvoSingleClick);
  EXPECT_TRUE(viewer.SingleClick());
  EXPECT_FALSE(viewer.AllowSelection());
  viewer.SetAllowSelection(true);
  EXPECT_EQ(data().GetOptions(), rvoSingleClick | rvoAllowSelection);
  data().SetRVFOptions(rvfoSaveBack);
  EXPECT_EQ(viewer.RVFOptions, rvfoSaveBack);
  data().SetRVFReadWarnings(rvfwUnknownPicture);
  EXPECT_EQ(viewer.RVFWarnings, rvfwUnknownPicture);
  viewer.RVFTextStylesReadMode = rvf_sIgnore;
  EXPECT_EQ(data().GetRVFTextStylesReadMode(), rvf_sIgnore);
  viewer.Delimiters = "-";
  EXPECT_EQ(data().GetDelimiters(), "-");
  data().SetViewerState(0x80);
  EXPECT_EQ(viewer.ViewerFlags(), 0x80);
  viewer.CPEventKind = cpeWhenVisible;
  EXPECT_EQ(data().GetCPEventKind(), cpeWhenVisible);
  viewer.SetCursor(crHandPoint);
  EXPECT_EQ(data().GetNormalCursor(), crHandPoint);
  EXPECT_EQ(data().GetParentControl(), &viewer);
  EXPECT_TRUE(data().IsControlData());
  EXPECT_EQ(data().GetCanvas(), &viewer.Canvas());
}

TEST_F(ViewerDataTest, HyperlinkReadAsBulletOrPictureTakesTheHypertextKind) {
  std::vector<int> seen;
  viewer.OnReadHyperlink = [&](TCustomRVViewer*, const std::string& target, const std::string&, TRVLoadFormat,
                               int& styleNo, int& tag, std::string& name) {
    seen.push_back(styleNo);
    tag = 42;
    name = target;
  };
  const struct {
    int in, out;
  } cases[] = {{rvsBullet, rvsHotspot}, {rvsPicture, rvsHotPicture}, {3, 3}, {rvsHotspot, rvsHotspot}};
  for (const auto& c : cases) {
    int styleNo = c.in, tag = 0;
    std::string name;
    data().ReadHyperlink("http://x", "", rvlfRVF, styleNo, tag, name);
    EXPECT_EQ(styleNo, c.out) << c.in;
    EXPECT_EQ(tag, 42);
    EXPECT_EQ(name, "http://x");
  }
  EXPECT_EQ(seen, (std::vector<int>{rvsHotspot, rvsHotPicture, 3, rvsHotspot}));
}

TEST_F(ViewerDataTest, WriterHooksAnswerEmptyWithoutHandlers) {
  EXPECT_EQ(data().URLNeeded(3), "");
  EXPECT_EQ(data().SaveHTMLExtra(rvhsaHead, false), "");
  EXPECT_EQ(data().SaveComponentToFile("", nullptr, rvsaveHTML), "");
  std::string location = "stale";
  bool doDefault = false;
  data().HTMLSaveImage(&data(), 0, "/tmp/", clWhite, location, doDefault);
  EXPECT_EQ(location, "");
  EXPECT_TRUE(doDefault);
  EXPECT_EQ(data().RVFPictureNeeded("p", TRVTag()), nullptr);
  EXPECT_EQ(data().RVFImageListNeeded(1), nullptr);
  EXPECT_FALSE(data().HasJump() || data().HasRVMouseUp() || data().HasRVMouseDown() ||
               data().HasRVDblClick() || data().HasRVRightClick() || data().HasCheckpointVisible());
}

TEST_F(ViewerDataTest, WriterHooksAskTheHandlers) {
  viewer.OnURLNeeded = [](TCustomRVViewer*, int32_t id, std::string& url) { url = "u" + std::to_string(id); };
  viewer.OnSaveHTMLExtra = [](TCustomRVViewer*, TRVHTMLSaveArea area, bool css, std::string& code) {
    code = std::to_string(area) + (css ? "c" : "p");
  };
  viewer.OnHTMLSaveImage = [](TCustomRVViewer*, TCustomRVData*, int itemNo, const std::string&, TColor,
                              std::string& location, bool& doDefault) {
    location = "img" + std::to_string(itemNo) + ".png";
    doDefault = false;
  };
  viewer.OnRVFPictureNeeded = [](TCustomRVViewer*, const std::string& name, const TRVTag&,
                                 std::unique_ptr<TGraphic>& graphic) {
    if (name == "known") graphic = std::make_unique<TBitmap>();
  };
  EXPECT_EQ(data().URLNeeded(3), "u3");
  EXPECT_EQ(data().SaveHTMLExtra(rvhsaBodyStart, true), "2c");
  std::string location;
  bool doDefault = true;
  data().HTMLSaveImage(&data(), 4, "/tmp/", clWhite, location, doDefault);
  EXPECT_EQ(location, "img4.png");
  EXPECT_FALSE(doDefault);
  EXPECT_NE(data().RVFPictureNeeded("known", TRVTag()), nullptr);
  EXPECT_EQ(data().RVFPictureNeeded("other", TRVTag()), nullptr);
}

TEST_F(ViewerDataTest, AssignEventsCopiesTheSharedHandlers) {
  int jumps = 0;
  viewer.OnJump = [&](TCustomRVViewer*, int32_t) { ++jumps; };
  viewer.OnURLNeeded = [](TCustomRVViewer*, int32_t, std::string& url) { url = "x"; };
  TRVViewer other;
  other.AssignEvents(viewer);
  other.RVData().DoJump(1);
  EXPECT_EQ(jumps, 1);
  EXPECT_EQ(other.RVData().URLNeeded(0), "x");
  EXPECT_TRUE(other.RVData().HasJump());
}

TEST_F(ViewerDataTest, ViewerKeepsItsOwnMarkerListWhileFlagBit8IsSet) {
  ASSERT_NE(viewer.ViewerFlags() & 0x100, 0);
  EXPECT_EQ(data().GetMarkers(false), nullptr);
  TRVMarkerList* list = data().GetMarkers(true);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(data().GetMarkers(false), list);
  data().FreeMarkers();
  EXPECT_EQ(data().GetMarkers(false), nullptr);
}

TEST_F(ViewerDataTest, HiddenViewerReportsNoSelectionEvents) {
  int selects = 0;
  viewer.OnSelect = [&](TCustomRVViewer*) { ++selects; };
  viewer.AddTextLineWithTag(u"x", 0, 0, 0);
  viewer.Deselect();
  EXPECT_EQ(selects, 0) << "no window, no selection news";
}

}  // namespace

namespace {

TEST_F(ViewerDataTest, EmbeddedControlNewsReachTheHandlerWithTheControl) {
  std::vector<std::string> news;
  viewer.OnControlAction = [&](TCustomRVViewer*, TRVControlAction action, int itemNo, TControl*& ctrl) {
    news.push_back(std::to_string(action) + "@" + std::to_string(itemNo) +
                   (ctrl != nullptr ? " with" : " none"));
  };
  auto control = std::make_unique<TControl>();
  viewer.AddItem("c", TRVControlItemInfo::CreateEx(&data(), std::move(control), 0));
  viewer.Clear();
  EXPECT_EQ(news, std::vector<std::string>{std::to_string(rvcaDestroy) + "@0 with"});
}

TEST_F(ViewerDataTest, FormattingPutsControlsWhereTheirPiecesAre) {
  viewer.SetBounds(0, 0, 300, 200);
  auto owned = std::make_unique<TControl>();
  TControl* control = owned.get();
  control->SetBounds(0, 0, 30, 20);
  data().AddTextItem("before", 0, 0);
  auto item = TRVControlItemInfo::CreateEx(&data(), std::move(owned), 0);
  item->ParaNo = -1;  // on the line of the text
  const int32_t spacing = item->Spacing;
  viewer.AddItem("c", std::move(item));
  ASSERT_EQ(control->Parent(), &viewer);
  viewer.Format();
  const int d = data().GetFirstDrawItemOfItem(1);
  ASSERT_GE(d, 0);
  const TRVDrawLineInfo& piece = *data().DrawItems()[d];
  EXPECT_GT(piece.Left, viewer.LeftMargin) << "after the text";
  EXPECT_EQ(control->Left(), piece.Left + spacing - data().GetHOffs());
  EXPECT_EQ(control->Top(), piece.Top + spacing - data().GetVOffs());
  EXPECT_TRUE(control->Visible());

  // Told not to place controls, formatting leaves them where they are.
  control->SetBounds(1, 1, 30, 20);
  data().SetViewerState(data().GetViewerState() | 4);
  data().Format(false);
  EXPECT_EQ(control->Left(), 1);
  EXPECT_EQ(control->Top(), 1);
}

TEST_F(ViewerDataTest, UnassigningTheFocusedDocumentDoesNotReenter) {
  // A cell whose deselection releases the focus again, as a table's cell does.
  struct TReleasingCell : TRVViewerRVData {
    using TRVViewerRVData::TRVViewerRVData;
    void Deselect(TCustomRVItemInfo* Item, bool Notify) override {
      ++calls;
      if (host != nullptr) host->UnassignFocusedSubData(this);
      TRVViewerRVData::Deselect(Item, Notify);
    }
    TRVViewerRVData* host = nullptr;
    int calls = 0;
  };
  viewertest::TViewerWith<TReleasingCell> cell;
  cell.Data().host = &data();
  viewer.AssignFocusedSubData(&cell.Data(), nullptr);
  EXPECT_EQ(viewer.FocusedSubData(), &cell.Data());
  cell.Data().calls = 0;
  data().UnassignFocusedSubData(&cell.Data());
  EXPECT_EQ(cell.Data().calls, 1);
  EXPECT_EQ(viewer.FocusedSubData(), nullptr);
  EXPECT_EQ(data().StateFlags & rvstUnassigningFocus, 0u);
  EXPECT_NE(data().StateFlags & rvstFocusReleased, 0u);
  cell.Data().host = nullptr;
}

}  // namespace
