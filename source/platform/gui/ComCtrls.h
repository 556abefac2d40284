// Common controls: the progress bar, page controls with their tab sheets, the report list
// view with its columns, and the tree view over a node structure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/LocalizedComponents.h"
#include "platform/core/TreeNodes.h"
#include "platform/gui/StdCtrls.h"

class TCustomImageList;
class TTreeHandle;

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner = nullptr);
  ~TProgressBar() override;
  std::string ClassName() const override { return "TProgressBar"; }

  int Min() const { return min_; }
  int Max() const { return max_; }
  /// Changing the range keeps the position inside it.
  void SetMin(int value);
  void SetMax(int value);
  int Position() const { return position_; }
  /// Clamped to Min .. Max.
  void SetPosition(int value);
  int Step() const { return step_; }
  void SetStep(int value) { step_ = value; }
  /// Advances the position by Step.
  void StepIt() { SetPosition(position_ + step_); }
  /// A continuous bar rather than blocks.
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool value) { smooth_ = value; }

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;
  void CreateWnd() override { Show(); }

 private:
  void Show();
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  int step_ = 10;
  bool smooth_ = false;
};

class TPageControl;

/// One page of a page control; its children are the page's controls.
class TTabSheet : public TLocalizedCaptionControl {
 public:
  explicit TTabSheet(TComponent* owner = nullptr);
  ~TTabSheet() override;
  std::string ClassName() const override { return "TTabSheet"; }
  TPageControl* PageControl() const { return pageControl_; }
  /// Moves the sheet into `control` as its last page (null takes it out).
  void SetPageControl(TPageControl* control);

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;
  void CaptionChanged() override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
};

class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* owner = nullptr);
  ~TPageControl() override;
  std::string ClassName() const override { return "TPageControl"; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  /// Page `index`; EListError outside 0..PageCount-1.
  TTabSheet* Pages(int index) const;
  TTabSheet* ActivePage() const { return active_; }
  void SetActivePage(TTabSheet* page);

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;
  void CreateWnd() override { PagesChanged(); }

 private:
  friend class TTabSheet;
  void PagesChanged();
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};

/// A list view in report style: columns with captions and rows of texts.
class TListView : public TWinControl, public ILocalizedColumns {
 public:
  explicit TListView(TComponent* owner = nullptr);
  ~TListView() override;
  std::string ClassName() const override { return "TListView"; }

  void AddColumn(const std::string& caption, int width);
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  const std::string& ColumnCaption(int index) const;
  int LocalizedColumnCount() const override { return ColumnCount(); }
  void SetLocalizedColumnCaption(int index, const std::string& caption) override;
  /// Adds a row: the caption, then one text per further column.
  void AddItem(const std::vector<std::string>& texts);
  int ItemCount() const { return static_cast<int>(rows_.size()); }
  void Clear();

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;
  void CreateWnd() override { Refill(); }

 private:
  struct Column {
    std::string Caption;
    int Width = 50;
  };
  void Refill();
  std::vector<Column> columns_;
  std::vector<std::vector<std::string>> rows_;
};

/// A tree view: it owns its nodes and works without a window (a hidden tree view may carry a
/// structure all its life); with a window it shows them, every node expanded, and follows each
/// addition and deletion by adding or removing that node's item alone. Between BeginUpdate and
/// EndUpdate of its nodes the window does not redraw.
class TTreeView : public TWinControl, private ITreeNodesObserver {
 public:
  explicit TTreeView(TComponent* owner = nullptr);
  ~TTreeView() override;
  std::string ClassName() const override { return "TTreeView"; }

  TTreeNodes Items;
  bool ReadOnly = false;
  int32_t Indent = 19;
  /// The node images (not owned).
  TCustomImageList* Images = nullptr;

  /// Shows the nodes as they are now, made afresh (needed after texts or image indexes change).
  void RefreshNodes();

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;
  void CreateWnd() override { RefreshNodes(); }

 private:
  void NodeInserted(TTreeNode& node, int index) override;
  void NodeDeleting(TTreeNode& node, int index) override;
  void UpdatingChanged(bool updating) override;
  /// The window, or null while there is none.
  TTreeHandle* TreeHandle();
};
