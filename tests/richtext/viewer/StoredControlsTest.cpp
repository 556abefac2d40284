#include <gtest/gtest.h>

#include "platform/core/Streams.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

class StoredControlsTest : public ::testing::TestWithParam<TRVFOptions> {};

template <typename C>
C* ControlAt(TRVViewer& viewer, int itemNo) {
  auto* item = dynamic_cast<TRVControlItemInfo*>(viewer.RVData().GetItem(itemNo));
  return item != nullptr ? dynamic_cast<C*>(item->Control.get()) : nullptr;
}

TEST_P(StoredControlsTest, ReadBackWithTheirClassesAndProperties) {
  viewertest::App();
  TRVStyle sheet;
  TRVViewer source, target;
  for (TRVViewer* v : {&source, &target}) {
    v->SetStyle(&sheet);
    v->RVFOptions = GetParam();
  }
  auto button = std::make_unique<TButton>();
  button->SetName("OK");
  button->SetCaption("Press & go");
  button->SetBounds(0, 0, 90, 30);
  auto edit = std::make_unique<TEdit>();
  edit->SetText("typed text");
  edit->SetReadOnly(true);
  auto panel = std::make_unique<TPanel>();
  panel->SetEnabled(false);
  source.AddItem("", TRVControlItemInfo::CreateEx(&source.RVData(), std::move(button), 0));
  source.AddItem("", TRVControlItemInfo::CreateEx(&source.RVData(), std::move(edit), 1));
  source.AddItem("", TRVControlItemInfo::CreateEx(&source.RVData(), std::move(panel), 0));
  TMemoryStream saved;
  ASSERT_TRUE(source.SaveRVFToStream(saved, false));
  saved.SetPosition(0);
  ASSERT_TRUE(target.LoadRVFFromStream(saved));
  TButton* readButton = ControlAt<TButton>(target, 0);
  TEdit* readEdit = ControlAt<TEdit>(target, 1);
  TPanel* readPanel = ControlAt<TPanel>(target, 2);
  ASSERT_TRUE(readButton != nullptr && readEdit != nullptr && readPanel != nullptr);
  EXPECT_EQ(readButton->Name() + "|" + readButton->Caption() + "|" + readEdit->Text(),
            "OK|Press & go|typed text");
  EXPECT_EQ(readButton->BoundsRect(), Rect(0, 0, 90, 30));
  EXPECT_TRUE(readEdit->ReadOnly());
  EXPECT_FALSE(readPanel->Enabled());
  EXPECT_EQ(readPanel->Parent(), &target);
  TMemoryStream again;
  ASSERT_TRUE(target.SaveRVFToStream(again, false));
  EXPECT_EQ(again.DataString(), saved.DataString());
}

INSTANTIATE_TEST_SUITE_P(LineModes, StoredControlsTest,
                         ::testing::Values(rvDefaultRVFOptions,
                                           TRVFOptions(rvDefaultRVFOptions & ~rvfoSaveBinary)),
                         [](const ::testing::TestParamInfo<TRVFOptions>& info) {
                           return (info.param & rvfoSaveBinary) != 0 ? "Binary" : "Hex";
                         });

}  // namespace
