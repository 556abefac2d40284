// Drag data: the format enumerator, the data object's result codes and media, the drag manager's
// answers, and a drag between two trees of this process delivered as the window system's drag
// events (offscreen and on a real X server).
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <tuple>

#include "TreeTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/XcbTestSupport.h"

namespace {

using treetest::Add;
using treetest::TextOf;

const TFormatEtc kText{CF_UNICODETEXT, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};

TEST(FormatEnumeratorTest, NextSkipResetAndClone) {
  const TFormatEtcArray formats = {{1, 1, -1, 1}, {2, 1, -1, 1}, {3, 1, -1, 1}};
  TRef<TEnumFormatEtc> enumerator(new TEnumFormatEtc(nullptr, formats));
  TFormatEtc out[3];
  uint32_t fetched = 0;
  EXPECT_EQ(enumerator->Next(2, out, &fetched), S_OK);
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(out[1].cfFormat, 2u);
  EXPECT_EQ(enumerator->Next(5, out, &fetched), S_OK);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(out[0].cfFormat, 3u);
  EXPECT_EQ(enumerator->Next(1, out, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(enumerator->Reset(), S_OK);
  // A skip over the formats that remain succeeds (onto the last one, or past it to the end); a
  // longer one is refused and leaves the position.
  for (const auto& [count, result, next] : {std::tuple{2u, S_OK, 3}, {3u, S_OK, 0}, {4u, S_FALSE, 1}}) {
    EXPECT_EQ(enumerator->Skip(count), result) << count;
    fetched = 0;
    enumerator->Next(1, out, &fetched);
    EXPECT_EQ(fetched == 0 ? 0 : static_cast<int>(out[0].cfFormat), next) << count;
    enumerator->Reset();
  }
  EXPECT_EQ(enumerator->Skip(1), S_OK);
  TEnumFormatEtc* raw = nullptr;
  ASSERT_EQ(enumerator->Clone(&raw), S_OK);
  TRef<TEnumFormatEtc> clone(raw);
  raw->Release();  // the clone came with one reference, now held by `clone`
  EXPECT_EQ(clone->Next(1, out, nullptr), S_OK);
  EXPECT_EQ(out[0].cfFormat, 2u);
}

class DataObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.OnGetUserClipboardFormats = [](TNodeTree*, TFormatEtcArray& formats) { formats.push_back(kText); };
    tree.OnRenderOLEData = [this](TNodeTree*, const TFormatEtc& format, TStgMedium& medium, bool) -> HRESULT {
      ++renders;
      if (format.cfFormat != CF_UNICODETEXT) return DV_E_FORMATETC;
      medium.tymed = TYMED_HGLOBAL;
      medium.hGlobal = std::make_shared<std::vector<uint8_t>>(std::vector<uint8_t>{'h', 0, 'i', 0});
      return S_OK;
    };
    data = TRef<TVTDataObject>(new TVTDataObject(&tree, false));
  }
  TNodeTree tree;
  int renders = 0;
  TRef<TVTDataObject> data;
};

TEST_F(DataObjectTest, EnumeratesItsFormatsForGettingOnly) {
  TEnumFormatEtc* raw = nullptr;
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &raw), S_OK);
  TRef<TEnumFormatEtc> enumerator(raw);
  raw->Release();
  TFormatEtc out[4];
  uint32_t fetched = 0;
  enumerator->Next(4, out, &fetched);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(out[0].cfFormat, TreeReferenceFormat());
  EXPECT_EQ(out[1].cfFormat, CF_UNICODETEXT);
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &raw), OLE_S_USEREG);
  EXPECT_EQ(raw, nullptr);
}

TEST_F(DataObjectTest, QueryGetDataNamesWhatDoesNotMatch) {
  EXPECT_EQ(data->QueryGetData(kText), S_OK);
  TFormatEtc other = kText;
  other.dwAspect = 4;
  EXPECT_EQ(data->QueryGetData(other), DV_E_DVASPECT);
  other = kText;
  other.tymed = TYMED_ISTREAM;
  EXPECT_EQ(data->QueryGetData(other), DV_E_TYMED);
  other = kText;
  other.lindex = 3;
  EXPECT_EQ(data->QueryGetData(other), DV_E_LINDEX);
  other = kText;
  other.cfFormat = 777;
  EXPECT_EQ(data->QueryGetData(other), DV_E_FORMATETC);
  TRef<TVTDataObject> empty(new TVTDataObject(nullptr, false));
  empty->FormatsForUpdate().clear();
  EXPECT_EQ(empty->QueryGetData(kText), DV_E_FORMATETC);
}

TEST_F(DataObjectTest, FixedAnswers) {
  TFormatEtc out;
  TStgMedium medium;
  EXPECT_EQ(data->GetCanonicalFormatEtc(kText, &out), DATA_S_SAMEFORMATETC);
  EXPECT_EQ(data->GetDataHere(kText, medium), E_NOTIMPL);
  EXPECT_EQ(data->DUnadvise(1), E_NOTIMPL);
  EXPECT_EQ(data->EnumDAdvise(nullptr), OLE_E_ADVISENOTSUPPORTED);
  int notified = 0;
  uint32_t connection = 0;
  EXPECT_EQ(data->DAdvise(
                kText, 0, [&] { ++notified; }, &connection),
            S_OK);
  TStgMedium set;
  set.tymed = TYMED_HGLOBAL;
  set.hGlobal = std::make_shared<std::vector<uint8_t>>(2, 0);
  data->SetData(kText, set, true);
  EXPECT_EQ(notified, 1);
  EXPECT_EQ(data->DUnadvise(connection), S_OK);
}

TEST_F(DataObjectTest, GetDataRendersThroughTheTreeOrUsesWhatWasSet) {
  TStgMedium medium;
  ASSERT_EQ(data->GetData(kText, medium), S_OK);
  EXPECT_EQ(renders, 1);
  EXPECT_EQ(medium.hGlobal->size(), 4u);
  ReleaseStgMedium(medium);
  // Set without release: the object keeps its own copy of the memory.
  TStgMedium set;
  set.tymed = TYMED_HGLOBAL;
  set.hGlobal = std::make_shared<std::vector<uint8_t>>(std::vector<uint8_t>{'o', 0, 'k', 0});
  ASSERT_EQ(data->SetData(kText, set, false), S_OK);
  (*set.hGlobal)[0] = 'X';
  ASSERT_EQ(data->GetData(kText, medium), S_OK);
  EXPECT_EQ(renders, 1);
  EXPECT_EQ((*medium.hGlobal)[0], 'o');
  ReleaseStgMedium(medium);
  // Setting the same format again replaces (and releases) the first medium.
  std::weak_ptr<std::vector<uint8_t>> first;
  {
    TStgMedium again;
    again.tymed = TYMED_HGLOBAL;
    again.hGlobal = std::make_shared<std::vector<uint8_t>>(std::vector<uint8_t>{'n', 0});
    ASSERT_EQ(data->GetData(kText, medium), S_OK);
    first = medium.hGlobal;
    ReleaseStgMedium(medium);
    data->SetData(kText, again, true);
  }
  EXPECT_TRUE(first.expired());
  // Copies of shared handles are refused when memory must be copied.
  TStgMedium gdi;
  gdi.tymed = TYMED_GDI;
  gdi.handle = 42;
  EXPECT_EQ(data->SetData(TFormatEtc{CF_BITMAP, DVASPECT_CONTENT, -1, TYMED_GDI}, gdi, false), DV_E_TYMED);
}

TEST_F(DataObjectTest, TreeReferenceNamesThisTreeAndIsRefusedWhileFlushing) {
  EXPECT_EQ(TreeFromDataObject(data.get()), &tree);
  TStgMedium medium;
  ASSERT_EQ(data->GetData(TFormatEtc{TreeReferenceFormat(), DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, medium),
            S_OK);
  ASSERT_EQ(medium.hGlobal->size(), 12u);  // process id and a 64-bit tree id
  // A reference from another process names no tree.
  std::vector<uint8_t> foreign = *medium.hGlobal;
  foreign[0] ^= 0x5A;
  ReleaseStgMedium(medium);
  TDragFormats formats;
  formats.Items.emplace_back(TreeReferenceFormat(), foreign);
  TRef<TVTDataObject> other(DataObjectFromFormats(formats));
  EXPECT_EQ(TreeFromDataObject(other.get()), nullptr);
  tree.IncludeState(tsFlushingClipboard);
  EXPECT_EQ(data->GetData(TFormatEtc{TreeReferenceFormat(), DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, medium),
            E_FAIL);
  EXPECT_EQ(TreeFromDataObject(data.get()), nullptr);
  tree.ExcludeState(tsFlushingClipboard);
}

TEST(DataObjectLifetimeTest, AnObjectThatOutlivesItsTreeNamesNoTree) {
  TRef<TVTDataObject> data;
  {
    TNodeTree tree;
    Add(tree, nullptr, "a");
    data = TRef<TVTDataObject>(new TVTDataObject(&tree, true));
    EXPECT_EQ(data->Owner(), &tree);
  }
  EXPECT_EQ(data->Owner(), nullptr);
  EXPECT_EQ(TreeFromDataObject(data.get()), nullptr);
  TStgMedium medium;
  EXPECT_NE(data->GetData(kText, medium), S_OK);
}

TEST(DragManagerTest, QueryContinueDragAndFeedback) {
  TNodeTree tree;
  TVTDragManager& manager = tree.DragManager();
  EXPECT_EQ(manager.QueryContinueDrag(false, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(manager.QueryContinueDrag(true, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(manager.QueryContinueDrag(false, 0), DRAGDROP_S_DROP);
  EXPECT_EQ(manager.QueryContinueDrag(false, MK_LBUTTON), S_OK);
  EXPECT_EQ(manager.GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
  EXPECT_FALSE(manager.DropTargetHelperSupported());
}

/// Two trees on one form; the target copies the texts of the dropped nodes.
class TwoTrees {
 public:
  TwoTrees() {
    form.SetBounds(0, 0, 420, 200);
    for (TNodeTree* tree : {&source, &target}) {
      tree->SetParent(&form);
      tree->OnGetUserClipboardFormats = [](TNodeTree*, TFormatEtcArray& formats) {
        formats.push_back(kText);
      };
      tree->OnRenderOLEData = [](TNodeTree* t, const TFormatEtc& format, TStgMedium& medium,
                                 bool) -> HRESULT {
        if (format.cfFormat != CF_UNICODETEXT) return DV_E_FORMATETC;
        std::u16string text;
        for (PNode node : t->GetSelection()) text += t->TextData(node)->Text + u"\n";
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = std::make_shared<std::vector<uint8_t>>(
            reinterpret_cast<const uint8_t*>(text.data()),
            reinterpret_cast<const uint8_t*>(text.data() + text.size()));
        return S_OK;
      };
    }
    source.SetBounds(0, 0, 200, 200);
    target.SetBounds(210, 0, 200, 200);
    target.OnDragOver = [this](TNodeTree*, TNodeTree* from, uint32_t, TPoint, uint32_t& effect) {
      seenSource = from;
      effect = from != nullptr ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    };
    target.OnDragDrop = [this](TNodeTree* t, TVTDataObject* data, TNodeTree* from, uint32_t, TPoint,
                               uint32_t& effect) {
      dropSource = from;
      TStgMedium medium;
      if (data->GetData(kText, medium) != S_OK) return;
      std::u16string text(reinterpret_cast<const char16_t*>(medium.hGlobal->data()),
                          medium.hGlobal->size() / 2);
      ReleaseStgMedium(medium);
      for (size_t start = 0, end; (end = text.find(u'\n', start)) != std::u16string::npos; start = end + 1) {
        std::u16string line = text.substr(start, end - start);
        Add(*t, nullptr, std::string(line.begin(), line.end()));
      }
      effect = DROPEFFECT_COPY;
    };
    Add(source, nullptr, "alpha");
    Add(source, nullptr, "beta");
    Add(source, nullptr, "gamma");
    source.GetOptions().SetSelectionOptions(toMultiSelect);
    source.SetSelected(source.GetFirst(), true);
    source.SetSelected(source.RootNode()->LastChild, true);
    form.Show();
  }

  /// Delivers the window system's drag events for a drag of the source's data onto the target.
  Qt::DropAction DragOntoTarget() {
    TRef<TVTDataObject> data(source.DragManager().DragDataObject());
    auto* mime = new QMimeData();
    for (const TFormatEtc& format : data->Formats()) {
      TStgMedium medium;
      if (data->GetData(format, medium) == S_OK && medium.hGlobal != nullptr)
        mime->setData(QString::fromStdString(DragFormatMimeType(format.cfFormat)),
                      QByteArray(reinterpret_cast<const char*>(medium.hGlobal->data()),
                                 static_cast<int>(medium.hGlobal->size())));
      ReleaseStgMedium(medium);
    }
    QWidget* widget = guitest::Widget(target);
    const QPointF at(20, 20);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
    if (!move.isAccepted()) {
      delete mime;
      return Qt::IgnoreAction;
    }
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &drop);
    delete mime;
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
  }

  TForm form;
  TNodeTree source;
  TNodeTree target;
  TNodeTree* seenSource = nullptr;
  TNodeTree* dropSource = nullptr;
};

void DragBetweenTwoTrees() {
  TwoTrees trees;
  guitest::Pump();
  ASSERT_TRUE(trees.target.DropTargetRegistered());  // toAcceptOLEDrop is on by default
  EXPECT_EQ(trees.DragOntoTarget(), Qt::CopyAction);
  EXPECT_EQ(trees.seenSource, &trees.source);
  EXPECT_EQ(trees.dropSource, &trees.source);
  ASSERT_EQ(trees.target.TotalCount(), 2u);
  EXPECT_EQ(TextOf(trees.target, trees.target.GetFirst()), "alpha");
  EXPECT_EQ(TextOf(trees.target, trees.target.RootNode()->LastChild), "gamma");
  EXPECT_FALSE(trees.target.DragManager().IsDropTarget());
  // A tree that no longer accepts drops refuses them.
  trees.target.GetOptions().SetMiscOptions(trees.target.GetOptions().MiscOptions() & ~toAcceptOLEDrop);
  EXPECT_EQ(trees.DragOntoTarget(), Qt::IgnoreAction);
  EXPECT_EQ(trees.target.TotalCount(), 2u);
}

TEST(TreeDragTest, DropsBetweenTwoTreesOfThisProcess) {
  DragBetweenTwoTrees();
}

TEST(TreeDragTest, DropsBetweenTwoTreesOnAnXServer) {
  ZUK_RUN_UNDER_XSERVER("TreeDragTest.DropsBetweenTwoTreesOnAnXServer");
  DragBetweenTwoTrees();
}

TEST(TreeDragTest, ADragShowsItsImageUnderTheMouseOnAnXServer) {
  ZUK_RUN_UNDER_XSERVER("TreeDragTest.ADragShowsItsImageUnderTheMouseOnAnXServer");
  const std::string xdotool = xcbtest::FindProgram("xdotool");
  if (xdotool.empty()) GTEST_SKIP() << "xdotool is not installed (Debian package xdotool)";
  auto run = [&](const std::string& arguments) { return std::system((xdotool + " " + arguments).c_str()); };
  auto at = [](TPoint p) { return std::to_string(p.X) + " " + std::to_string(p.Y); };
  TwoTrees trees;
  guitest::Pump(10);
  TBitmap image;
  TPoint origin;
  ASSERT_TRUE(MakeDragImage(trees.source, image, origin));
  // Held on the first dragged row, carried over the target's empty background.
  const TPoint held = trees.source.ClientToScreen(Point(origin.X + 20, origin.Y + 4)),
               carried = trees.target.ClientToScreen(Point(30, 60));
  const QImage before = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
  run("mousemove " + at(held) + " mousedown 1");
  guitest::Pump(10);
  ASSERT_TRUE(MakeDragImage(trees.source, image, origin));  // pressed, the tree has the focus
  QImage during;
  QTimer::singleShot(200, [&] { run("mousemove " + at(carried)); });
  QTimer::singleShot(800, [&] {
    during = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    run("mouseup 1");
  });
  trees.source.DragManager().StartDrag(DROPEFFECT_COPY);
  ASSERT_FALSE(during.isNull());
  const TPoint corner = trees.source.ClientToScreen(origin);
  int compared = 0, blended = 0;
  for (int32_t y = 0; y < image.Height(); ++y)
    for (int32_t x = 0; x < image.Width(); ++x) {
      const QPoint screen(carried.X - held.X + corner.X + x, carried.Y - held.Y + corner.Y + y);
      if (!during.rect().contains(screen) || before.pixel(screen) != qRgb(255, 255, 255)) continue;
      const uint8_t* p = image.ScanLine(y) + 4 * x;  // premultiplied, shown over white
      const QRgb got = during.pixel(screen);
      ++compared;
      blended += std::abs(qBlue(got) - p[0] + p[3] - 255) <= 3 &&
                 std::abs(qGreen(got) - p[1] + p[3] - 255) <= 3 &&
                 std::abs(qRed(got) - p[2] + p[3] - 255) <= 3;
    }
  ASSERT_GT(compared, image.Width() * image.Height() / 4);
  EXPECT_GT(blended, compared * 9 / 10);
}

TEST(DragImageTest, ShowsTheDraggedRowsAsTheTreePaintsThemFaded) {
  const struct {
    std::vector<int> selected;  // of n0, n1, its child c, n2, n3
    int32_t offsetY;
    std::vector<std::pair<int32_t, int32_t>> dragged;  // client rows shown; the image spans them all
  } cases[] = {{{}, 0, {}}, {{1, 4}, -10, {{0, 20}, {30, 40}}}, {{0}, -5, {{0, 5}}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offsetY);
    TNodeTree tree;
    tree.SetBounds(0, 0, 120, 40);
    tree.SetDefaultNodeHeight(10);
    tree.GetOptions().SetSelectionOptions(toMultiSelect);
    PNode n1 = nullptr;
    const PNode rows[] = {Add(tree, nullptr, "n0"), n1 = Add(tree, nullptr, "n1"), Add(tree, n1, "c"),
                          Add(tree, nullptr, "n2"), Add(tree, nullptr, "n3")};
    tree.SetExpanded(n1, true);
    for (int row : c.selected) tree.SetSelected(rows[row], true);
    tree.SetOffsetY(c.offsetY);
    TBitmap image, screen;
    TPoint origin;
    ASSERT_EQ(MakeDragImage(tree, image, origin), !c.dragged.empty());
    if (c.dragged.empty()) continue;
    EXPECT_EQ(origin, Point(0, c.dragged.front().first));
    ASSERT_EQ(image.Height(), c.dragged.back().second - origin.Y);
    screen.SetPixelFormat(pf32bit);
    screen.SetSize(tree.ClientWidth(), tree.ClientHeight());
    tree.PaintTree(screen.Canvas(), Bounds(0, -c.offsetY, tree.ClientWidth(), tree.ClientHeight()),
                   Point(0, 0), poBackground | poColumnColor | poDrawSelection | poGridLines);
    int mismatches = 0;
    for (int32_t y = 0, row = origin.Y; y < image.Height(); ++y, ++row) {
      bool dragged = false;
      for (const auto& [from, to] : c.dragged) dragged |= row >= from && row < to;
      for (int32_t x = 0; x < image.Width() * 4; ++x) {
        const int source = x % 4 == 3 ? 255 : screen.ScanLine(row)[x];
        mismatches += image.ScanLine(y)[x] != (dragged ? source * kDragImageAlpha >> 8 : 0);
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
}

}  // namespace
