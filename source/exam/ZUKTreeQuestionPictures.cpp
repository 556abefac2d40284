// The pictures of the tree and list questions: the answer screen with the offered items (the
// choices picture) and the tree or list an arrangement describes (the answer picture). Each is
// the question's tree control filled with text nodes and painted onto a bitmap, with mock
// titles, boxes and buttons drawn around it. The one control serves every picture in turn.
#include <algorithm>

#include "common/components/original/NodeTree/NodeTree.h"
#include "exam/ZUKDrawingRoutines.h"
#include "exam/ZUKException.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKRecordLimits.h"
#include "exam/ZUKStream.h"
#include "exam/ZUKTreeQuestionUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

constexpr uint8_t kTreeType = 4;
constexpr uint8_t kListType = 5;

constexpr int32_t kChoicesWidth = 600;
constexpr int32_t kWideListWidth = 559;
constexpr int32_t kNarrowListWidth = 235;
constexpr int32_t kStructureWidth = 245;
constexpr int32_t kAnswerWidth = 300;
constexpr int32_t kAnswerHeight = 100;
constexpr TVTInternalPaintOptions kPaintOptions = poGridLines;

// Node kinds: offered items and the items of an answer tree, and the items of an answer list.
constexpr uint32_t kItemKind = 4;
constexpr uint32_t kListAnswerKind = 0;

// Smallest records: a structure node (caption length, kind, flag, parent); an item text.
constexpr int64_t kMinNodeRecordSize = 13;
constexpr int64_t kMinItemRecordSize = 4;
constexpr int64_t kMinIndexSize = 4;

PNode AddNode(TNodeTree& tree, PNode parent, uint32_t kind, const std::string& text) {
  return tree.AddTextNode(parent, parent == nullptr ? amInsertAfter : amAddChildLast, true, -1, 1, 0, kind,
                          text);
}

/// The rectangle handed to PaintTree: the tree's area, at least as wide as the control and
/// `extra` pixels taller.
TRect PaintWindow(TNodeTree& tree, int32_t extra) {
  const TRect area = tree.GetTreeRect();
  return Rect(0, 0, std::max(area.Right, tree.Width()), area.Bottom + extra);
}

std::vector<std::string> ReadItems(TStream& parts) {
  std::vector<std::string> items(static_cast<size_t>(ReadRecordCount(parts, kMinItemRecordSize)));
  for (std::string& item : items) item = ReadString(parts);
  return items;
}

void AddItems(TNodeTree& tree, const std::vector<std::string>& items, uint32_t kind) {
  for (const std::string& item : items) AddNode(tree, nullptr, kind, item);
}

template <typename T>
bool ValidIndex(int32_t index, const std::vector<T>& list) {
  return index >= 0 && static_cast<size_t>(index) < list.size();
}

/// A localised button caption without its mnemonic marks.
std::u16string ButtonCaption(const char* key) {
  return UiTextW(RemoveAmpersands(ZUKLocalizedText(key)));
}

std::unique_ptr<TBitmap> NewBitmap() {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  return bitmap;
}

/// Empties the tree control for a picture and, however the picture ends, empties it again and
/// gives it back the image list it had when asked to.
class TBorrowedTree {
 public:
  TBorrowedTree(TNodeTree& tree, bool restoreImages)
      : tree_(tree), images_(tree.Images()), restoreImages_(restoreImages) {
    tree_.Clear();
  }
  ~TBorrowedTree() {
    tree_.Clear();
    if (restoreImages_) tree_.SetImages(images_);
  }
  TBorrowedTree(const TBorrowedTree&) = delete;
  TBorrowedTree& operator=(const TBorrowedTree&) = delete;

 private:
  TNodeTree& tree_;
  TCustomImageList* images_;
  bool restoreImages_;
};

}  // namespace

TNodeTree& TTreeQuestion::Tree() {
  if (TreeControl == nullptr) throw EZUKException("The tree question has no tree control to draw with.");
  return *TreeControl;
}

std::vector<TNodeRecord*> TTreeQuestion::AddStructureNodes(TNodeTree& tree) {
  std::vector<PNode> nodes(static_cast<size_t>(ReadRecordCount(QuestionParts, kMinNodeRecordSize)));
  for (size_t i = 0; i < nodes.size(); ++i) {
    const std::string caption = ReadString(QuestionParts);
    const auto kind = static_cast<uint32_t>(ReadInt32(QuestionParts));
    SkipBool(QuestionParts);
    const int32_t parent = ReadInt32(QuestionParts);
    // Only an earlier record has a node yet; any other parent makes a top-level node.
    const PNode parentNode =
        parent >= 0 && static_cast<size_t>(parent) < i ? nodes[static_cast<size_t>(parent)] : nullptr;
    nodes[i] = AddNode(tree, parentNode, kind, caption);
    // Shown open from the start, before any child hangs under it.
    if (nodes[i] != nullptr) nodes[i]->Include(nsExpanded);
  }
  return nodes;
}

void TTreeQuestion::AddListAnswerNodes(TNodeTree& tree, TStream* arrangement) {
  const std::vector<std::string> items = ReadItems(QuestionParts);
  if (arrangement == nullptr) {
    AddItems(tree, items, kListAnswerKind);
    return;
  }
  const int32_t count = ReadRecordCount(*arrangement, kMinIndexSize);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t index = ReadInt32(*arrangement);
    if (ValidIndex(index, items)) AddNode(tree, nullptr, kListAnswerKind, items[static_cast<size_t>(index)]);
  }
}

void TTreeQuestion::AddTreeAnswerNodes(TNodeTree& tree, TStream* arrangement) {
  const std::vector<PNode> nodes = AddStructureNodes(tree);
  const std::vector<std::string> items = ReadItems(QuestionParts);
  if (arrangement == nullptr) return;
  if (TreeOption == 0) {
    // For each item the node it hangs under; a negative node leaves the item out.
    const int32_t count = ReadRecordCount(*arrangement, kMinIndexSize);
    for (int32_t item = 0; item < count; ++item) {
      const int32_t node = ReadInt32(*arrangement);
      if (ValidIndex(node, nodes) && ValidIndex(item, items))
        AddNode(tree, nodes[static_cast<size_t>(node)], kItemKind, items[static_cast<size_t>(item)]);
    }
  } else if (TreeOption == 1) {
    // For each node the items under it, in order.
    const int32_t count = ReadRecordCount(*arrangement, kMinIndexSize);
    for (int32_t node = 0; node < count; ++node) {
      const int32_t children = ReadRecordCount(*arrangement, kMinIndexSize);
      for (int32_t j = 0; j < children; ++j) {
        const int32_t item = ReadInt32(*arrangement);
        if (ValidIndex(node, nodes) && ValidIndex(item, items))
          AddNode(tree, nodes[static_cast<size_t>(node)], kItemKind, items[static_cast<size_t>(item)]);
      }
    }
  }
}

void TTreeQuestion::DrawListChoices(TBitmap& bitmap) {
  TNodeTree& tree = Tree();
  tree.SetMargin(0);
  tree.SetImages(nullptr);
  SetTreeLinesShown(tree, false);
  const int32_t width = Flag2 ? kWideListWidth : kNarrowListWidth;
  tree.SetWidth(width);
  AddItems(tree, ReadItems(QuestionParts), kItemKind);
  tree.UpdateNodeHeights();
  const TRect window = PaintWindow(tree, 1);
  const int32_t ww = window.Width();
  const int32_t wh = window.Height();
  SetBitmapHeight(bitmap, wh + 55);
  const int32_t height = bitmap.Height();

  TCanvas& canvas = bitmap.Canvas();
  const int32_t x = Flag2 ? 31 : kChoicesWidth - (width + 10);
  tree.PaintTree(canvas, window, Point(x, 45), kPaintOptions);
  ClearCanvas(canvas, Rect(x - 1, 44, x + ww + 1, wh + 46));
  DrawTitleText(canvas, Rect(x - 1, 10, x + ww + 1, 43), ExamTextW(AnswerChoicesTitle));
  if (!Flag2) {
    // The empty ordered list the items are moved into, with the buttons between the boxes.
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clWindow);
    canvas.Pen().SetColor(clBtnShadow);
    canvas.Rectangle(30, 44, width + 30, wh + 46);
    DrawTitleText(canvas, Rect(30, 10, width + 30, 43), ExamTextW(StructureTitle));
    const int32_t buttonLeft = bitmap.Width() / 2 - 28;
    DrawCaptionButton(canvas, Point(buttonLeft, height / 2 - 13), ButtonCaption("MOVE_BUTTON"));
    DrawCaptionButton(canvas, Point(buttonLeft, height / 2 + 13), ButtonCaption("REMOVE_BUTTON"));
  }
  DrawMoveButtons(canvas, ButtonImages, Point(9, 44));
}

void TTreeQuestion::DrawTreeChoices(TBitmap& bitmap) {
  TNodeTree& tree = Tree();
  TCanvas& canvas = bitmap.Canvas();
  tree.SetMargin(4);
  tree.SetWidth(kStructureWidth);
  SetTreeLinesShown(tree, true);
  AddStructureNodes(tree);
  tree.UpdateNodeHeights();
  const TRect structure = PaintWindow(tree, 1);
  const int32_t ww1 = structure.Width();
  const int32_t wh1 = structure.Height();
  SetBitmapHeight(bitmap, wh1 + 87);
  tree.PaintTree(canvas, structure, Point(10, 77), kPaintOptions);
  ClearCanvas(canvas, Rect(9, 76, 11 + ww1, 78 + wh1));
  DrawTitleText(canvas, Rect(9, 10, 11 + ww1, 43), ExamTextW(StructureTitle));

  tree.Clear();
  tree.SetMargin(0);
  tree.SetImages(nullptr);
  SetTreeLinesShown(tree, false);
  AddItems(tree, ReadItems(QuestionParts), kItemKind);
  tree.UpdateNodeHeights();
  TRect items = PaintWindow(tree, 1);
  const int32_t ww2 = items.Width();
  const int32_t wh2 = items.Height();
  // Both boxes end at the same line: the shorter window is lengthened.
  if (wh2 < wh1) {
    items.Bottom += wh1 - wh2;
  } else if (wh2 > wh1) {
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clBtnFace);
    SetBitmapHeight(bitmap, wh2 + 87);
  }
  const int32_t itemsLeft = kChoicesWidth - (kStructureWidth + 10);
  tree.PaintTree(canvas, items, Point(itemsLeft, 77), kPaintOptions);
  ClearCanvas(canvas, Rect(itemsLeft - 1, 76, itemsLeft + 1 + ww2, 78 + std::max(wh1, wh2)));
  DrawTitleText(canvas, Rect(itemsLeft - 1, 10, itemsLeft + 1 + ww2, 43), ExamTextW(AnswerChoicesTitle));
  if (wh2 > wh1) {
    ClearCanvas(canvas, Rect(9, 76, 11 + ww1, 78 + wh2));
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clWindow);
    canvas.FillRect(Rect(10, 77 + wh1, 10 + ww1, 77 + wh2));
  }
  DrawCaptionButton(canvas, Point(9, 48), LocalizedTextW("COLLAPSE_BUTTON_STATE"));
  const int32_t height = bitmap.Height();
  const int32_t buttonLeft = bitmap.Width() / 2 - 38;
  DrawCaptionButton(canvas, Point(buttonLeft, height / 2 - 13), ButtonCaption("MOVE_BUTTON"));
  DrawCaptionButton(canvas, Point(buttonLeft, height / 2 + 13), ButtonCaption("REMOVE_BUTTON"));
}

std::unique_ptr<TBitmap> TTreeQuestion::DrawChoicesPicture() {
  if (QuestionParts.Size() == 0) return nullptr;
  TNodeTree& tree = Tree();
  QuestionParts.SetPosition(0);
  TBorrowedTree borrowed(tree, true);
  std::unique_ptr<TBitmap> bitmap = NewBitmap();
  // The rows the bitmap gains as it grows take this colour: the picture's background.
  bitmap->Canvas().Brush().SetColor(clBtnFace);
  bitmap->SetWidth(kChoicesWidth);
  if (QuestionType == kTreeType) DrawTreeChoices(*bitmap);
  if (QuestionType == kListType) DrawListChoices(*bitmap);
  ClearCanvas(bitmap->Canvas(), Rect(0, 0, bitmap->Width(), bitmap->Height()));
  return bitmap;
}

std::unique_ptr<TBitmap> TTreeQuestion::DrawAnswerPicture(TStream* arrangement) {
  if (QuestionParts.Size() == 0) return nullptr;
  TNodeTree& tree = Tree();
  QuestionParts.SetPosition(0);
  if (arrangement != nullptr) arrangement->SetPosition(0);
  std::unique_ptr<TBitmap> bitmap = NewBitmap();
  {
    TBorrowedTree borrowed(tree, QuestionType == kListType);
    tree.SetWidth(kAnswerWidth);
    tree.SetHeight(kAnswerHeight);
    if (QuestionType == kTreeType) {
      SetTreeLinesShown(tree, true);
      AddTreeAnswerNodes(tree, arrangement);
    } else if (QuestionType == kListType) {
      tree.SetImages(nullptr);
      SetTreeLinesShown(tree, false);
      AddListAnswerNodes(tree, arrangement);
    }
    tree.UpdateNodeHeights();
    const TRect window = PaintWindow(tree, 2);
    CheckPrintedPictureSize(kAnswerWidth + 1, static_cast<int64_t>(window.Height()) + 1);
    bitmap->SetSize(kAnswerWidth + 1, window.Height() + 1);
    tree.PaintTree(bitmap->Canvas(), window, Point(1, 1), kPaintOptions);
  }
  ClearCanvas(bitmap->Canvas(), Rect(0, 0, bitmap->Width(), bitmap->Height()));
  return bitmap;
}
