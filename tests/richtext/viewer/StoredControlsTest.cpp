// Controls stored in a viewer's document: saved with their bodies, they read back as controls
// of the same registered classes, with their properties, on the viewer, in both line modes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/core/Streams.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

class StoredControlsTest : public ::testing::TestWithParam<bool> {
 protected:
  StoredControlsTest() {
    viewertest::App();
    source.SetStyle(&sheet);
    target.SetStyle(&sheet);
  }

  /// The viewer's own RVF options, with or without binary lines.
  TRVFOptions Options() const {
    return GetParam() ? rvDefaultRVFOptions : TRVFOptions(rvDefaultRVFOptions & ~rvfoSaveBinary);
  }

  std::string Save(TRVViewer& viewer) {
    TMemoryStream out;
    EXPECT_TRUE(viewer.SaveRVFToStream(out, false));
    return out.DataString();
  }

  template <typename C>
  C* ControlAt(int itemNo) {
    auto* item = dynamic_cast<TRVControlItemInfo*>(target.RVData().GetItem(itemNo));
    return item != nullptr ? dynamic_cast<C*>(item->Control.get()) : nullptr;
  }

  TRVStyle sheet;
  TRVViewer source;
  TRVViewer target;
};

TEST_P(StoredControlsTest, ReadBackWithTheirClassesAndProperties) {
  auto button = std::make_unique<TButton>();
  button->SetName("OK");
  button->SetCaption("Press & go");
  button->SetBounds(0, 0, 90, 30);
  auto edit = std::make_unique<TEdit>();
  edit->SetText("typed text");
  edit->SetReadOnly(true);
  edit->SetMaxLength(40);
  auto panel = std::make_unique<TPanel>();
  panel->SetCaption("Panel");
  panel->SetEnabled(false);
  panel->SetTag(7);
  source.RVData().AddTextItem("before", 0, 0);
  source.AddItem("", TRVControlItemInfo::CreateEx(&source.RVData(), std::move(button), 0));
  source.AddItem("", TRVControlItemInfo::CreateEx(&source.RVData(), std::move(edit), 1));
  source.AddItem("", TRVControlItemInfo::CreateEx(&source.RVData(), std::move(panel), 0));
  source.RVFOptions = Options();
  target.RVFOptions = Options();
  const std::string saved = Save(source);

  TMemoryStream in(saved);
  ASSERT_TRUE(target.LoadRVFFromStream(in));
  EXPECT_EQ(target.RVFWarnings, 0);
  ASSERT_EQ(target.RVData().GetItemCount(), 4);
  TButton* readButton = ControlAt<TButton>(1);
  TEdit* readEdit = ControlAt<TEdit>(2);
  TPanel* readPanel = ControlAt<TPanel>(3);
  ASSERT_NE(readButton, nullptr);
  ASSERT_NE(readEdit, nullptr);
  ASSERT_NE(readPanel, nullptr);
  EXPECT_EQ(readButton->Name(), "OK");
  EXPECT_EQ(readButton->Caption(), "Press & go");
  EXPECT_EQ(readButton->Width(), 90);
  EXPECT_EQ(readButton->Height(), 30);
  EXPECT_EQ(readEdit->Text(), "typed text");
  EXPECT_TRUE(readEdit->ReadOnly());
  EXPECT_EQ(readEdit->MaxLength(), 40);
  EXPECT_EQ(readPanel->Caption(), "Panel");
  EXPECT_FALSE(readPanel->Enabled());
  EXPECT_EQ(readPanel->Parent(), &target);
  // What was read writes the same bytes again.
  EXPECT_EQ(Save(target), saved);
}

INSTANTIATE_TEST_SUITE_P(LineModes, StoredControlsTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Binary" : "Hex";
                         });

TEST(StoredControlsClassTest, OnlyRegisteredControlClassesAreMade) {
  struct Case {
    const char* name;
    bool made;
  };
  // TBitmap is registered, but not as a control. Class names are not case-sensitive.
  const Case cases[] = {{"TButton", true},  {"tedit", true},           {"TPanel", true},
                        {"TBitmap", false}, {"TNoSuchControl", false}, {"", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RVFCreateControl(c.name) != nullptr, c.made);
  }
}

}  // namespace
