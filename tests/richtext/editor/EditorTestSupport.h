// Helpers of the editor tests: the application object every control test needs, an editor
// on a style sheet of its own, documents built item by item, and a dump of a document that
// shows everything the edit primitives change (so that undo can be checked to restore it
// exactly), and a document as the clipboard's RVF block.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Streams.h"
#include "platform/gui/Application.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/RVEdit.h"

namespace editortest {

/// The application object, made on first use and kept to the end of the program.
inline TApplication& App() {
  static TApplication* app = new TApplication();
  return *app;
}

/// An editor on its own style sheet, without a window. Text style 1 is a Unicode style and
/// paragraph style 1 exists beside style 0.
struct TEditorFixture {
  TEditorFixture() {
    App();
    Sheet.TextStyles()[1].Unicode = true;
    while (Sheet.ParaStyles().Count() < 3) Sheet.ParaStyles().AddStyle();
    Editor.SetStyle(&Sheet);
  }
  TRVEditRVData& Data() { return Editor.EditRVData(); }

  /// Appends a text item with exactly these marks (rvio bits) and styles.
  TCustomRVItemInfo* AddText(const std::string& Text, int StyleNo, int ParaNo, TRVItemOptions Options = 0) {
    std::unique_ptr<TCustomRVItemInfo> item = RVGetTextItemClass()->Create(&Data());
    item->StyleNo = StyleNo;
    item->ParaNo = ParaNo;
    TCustomRVItemInfo* raw = item.get();
    Data().AddItem(Text, std::move(item));
    raw->ItemOptions = Options | (Data().IsUnicodeStyle(StyleNo) ? rvioTwoByteText : 0);
    return raw;
  }
  /// Appends an item made elsewhere with exactly these marks.
  TCustomRVItemInfo* AddOther(std::unique_ptr<TCustomRVItemInfo> Item, int ParaNo,
                              TRVItemOptions Options = 0) {
    Item->ParaNo = ParaNo;
    TCustomRVItemInfo* raw = Item.get();
    Data().AddItem(std::string(), std::move(Item));
    raw->ItemOptions = Options;
    return raw;
  }

  TRVStyle Sheet;
  TRVEdit Editor;
};

/// A viewer whose document is editor data of class D: the data without an editor around it.
template <typename D>
class TViewerOverEditData : public TCustomRVViewer {
 public:
  TViewerOverEditData()
      : TCustomRVViewer(nullptr, [](TCustomRVViewer* v) { return std::make_unique<D>(v); }) {
    App();
  }
  D& Data() { return static_cast<D&>(RVData()); }
};

/// Every item with its style, paragraph, marks, text bytes, tag and checkpoint, then the
/// checkpoint chain and count: two documents dump alike when the primitives cannot tell
/// them apart.
inline std::string DumpItems(const TCustomRVData& Data) {
  std::string out;
  for (int i = 0; i < Data.GetItemCount(); ++i) {
    const TCustomRVItemInfo* item = Data.GetItem(i);
    out += std::to_string(i) + ": s" + std::to_string(item->StyleNo) + " p" + std::to_string(item->ParaNo) +
           " o" + std::to_string(item->ItemOptions) + " '";
    for (unsigned char c : Data.GetItemText(i)) {
      if (c >= 32 && c < 127) {
        out += static_cast<char>(c);
      } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", c);
        out += hex;
      }
    }
    out += "' tag" + std::to_string(item->Tag.Value) + (item->Tag.Text ? "/" + *item->Tag.Text : "");
    if (item->Checkpoint) out += " cp:" + item->Checkpoint->Name;
    if (const auto* nonText = dynamic_cast<const TRVNonTextItemInfo*>(item))
      out += nonText->DeleteProtect ? " protected" : "";
    out += "\n";
  }
  out += "chain:";
  for (const TRVCPInfo* cp = Data.GetFirstCheckpoint(); cp != nullptr; cp = cp->Next) out += " " + cp->Name;
  if (Data.GetPendingCheckpoint() != nullptr) out += " end:" + Data.GetPendingCheckpoint()->Name;
  out += " count" + std::to_string(Data.GetCheckpointCount()) + "\n";
  return out;
}

/// A checkpoint record named Name.
inline std::unique_ptr<TRVCPInfo> Checkpoint(const std::string& Name) {
  auto cp = std::make_unique<TRVCPInfo>();
  cp->Name = Name;
  return cp;
}

/// Source's document as RVF with its length in front, as the clipboard holds it.
inline std::vector<uint8_t> RVFClipboardBlock(TCustomRVViewer& Source) {
  TMemoryStream rvf;
  EXPECT_TRUE(Source.SaveRVFToStream(rvf, false));
  const std::string bytes = rvf.DataString();
  const auto n = static_cast<uint32_t>(bytes.size());
  std::vector<uint8_t> block{uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
  block.insert(block.end(), bytes.begin(), bytes.end());
  return block;
}

}  // namespace editortest
