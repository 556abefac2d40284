// The holder tree of an exam document: every exam object hangs on a node of a tree view
// whose data points back to it, so the node structure is the one child list of each holder.
// Holders load their records, step over what lies beyond their limits, save themselves in
// the layout they read, and pass progress notifications up to the root.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "exam/ZUKFields.h"
#include "platform/core/Lists.h"
#include "platform/core/Object.h"
#include "platform/core/Streams.h"
#include "platform/core/TreeNodes.h"
#include "platform/gui/ComCtrls.h"

class TQuestion;
class TZUKProgressNotifier;

/// A notification that one record was read or written. `sender` is the notifying holder,
/// null when a skipped record is reported.
using TZUKTreeNotifyEvent =
    std::function<void(TZUKProgressNotifier* sender, TStream& stream, bool isReading)>;

/// The base of every exam object that sits in the tree.
class TTreeNodeHolder : public TObject {
 public:
  TTreeNodeHolder() = default;
  TTreeNodeHolder(const TTreeNodeHolder&) = delete;
  TTreeNodeHolder& operator=(const TTreeNodeHolder&) = delete;
  /// Frees the child holders (each frees its own node), then this holder's node when it
  /// owns it.
  ~TTreeNodeHolder() override;
  std::string ClassName() const override { return "TTreeNodeHolder"; }

  /// Null until the holder is attached to a tree.
  TTreeNode* Node() const { return node_; }
  bool OwnsNode = true;

  virtual std::string GetCaption() const = 0;
  virtual int32_t GetImageIndex() const = 0;
  /// Raises EAbstractError for holders that have no type code.
  virtual uint8_t GetTypeCode() const;
  /// Raises EAbstractError for holders that take no children.
  virtual int32_t GetMaxChildCount() const;
  virtual std::string GetTypeName() const { return {}; }
  /// The text after the child's own caption in its node: Index + 1 in decimal by default.
  virtual std::string GetChildCaption(int index) const;
  /// Loads child record `index`; raises EAbstractError for holders that take no children.
  virtual void LoadChild(int index, TStream& stream);
  virtual void SaveChild(int index, TStream& stream);
  /// Reads an int32 record count and loads that many child records.
  virtual void Load(TStream& stream);
  /// Writes the child count and every child.
  virtual void Save(TStream& stream);
  /// Hangs `child` on a new node under this holder's node, captioned with the child's
  /// caption, a blank and GetChildCaption(its index). This holder then owns the child.
  /// Raises EInvalidOperation (and frees the child) when this holder has no node.
  virtual TTreeNodeHolder* AddChild(std::unique_ptr<TTreeNodeHolder> child);
  /// Frees child `index` and renews the captions of the children that follow it. A child
  /// that does not own its node leaves the node in the tree, without data.
  virtual void DeleteChild(int index);
  /// Sets the node's text to GetCaption and the parent's caption for this holder's index.
  virtual void UpdateCaption();

  int ChildCount() const { return node_ ? node_->Count() : 0; }
  /// The holder of child node `index` (null for a node that carries none); raises
  /// EListError outside 0 .. ChildCount-1.
  TTreeNodeHolder* Child(int index) const;
  /// Position among the siblings, -1 without a node.
  int OwnIndex() const { return node_ ? node_->Index() : -1; }
  TTreeNodeHolder* ParentHolder() const;
  /// The holder that `node` carries, null when it carries none.
  static TTreeNodeHolder* HolderOf(const TTreeNode* node);

 protected:
  void SetNode(TTreeNode* node) { node_ = node; }
  /// The fewest bytes one child record takes; bounds the record count that Load accepts.
  virtual int64_t MinChildRecordSize() const { return 1; }
  /// Frees the children and, when owned, the node. Holders whose tree goes away before
  /// the base destructor runs call it first.
  void ReleaseTree();

 private:
  TTreeNode* node_ = nullptr;
};

/// A holder that passes notifications up: its children's notifications reach its Notify.
class TZUKProgressNotifier : public TTreeNodeHolder {
 public:
  std::string ClassName() const override { return "TZUKProgressNotifier"; }

  TZUKTreeNotifyEvent OnNotify;

  /// Calls OnNotify, when assigned, with this holder as the sender.
  void Notify(TStream& stream, bool isReading);
  /// Also links a notifying child's OnNotify to this holder's Notify.
  TTreeNodeHolder* AddChild(std::unique_ptr<TTreeNodeHolder> child) override;
};

/// Records kept per question container; further records are read and dropped.
constexpr int32_t kMaxQuestionRecords = 9999;
/// Question sets kept per case-study exam.
constexpr int32_t kMaxQuestionSets = 99;
/// Exams kept per exam collection.
constexpr int32_t kMaxExams = 26;

/// A holder of questions. Only multiple-choice questions are built; the records of every
/// other kind are stepped over.
class TZUKQuestionContainer : public TZUKProgressNotifier {
 public:
  std::string ClassName() const override { return "TZUKQuestionContainer"; }

  int32_t GetMaxChildCount() const override { return kMaxQuestionRecords; }
  void LoadChild(int index, TStream& stream) override;
  void SaveChild(int index, TStream& stream) override;
  virtual int32_t GetQuestionCount() const { return ChildCount(); }
  /// The question of child `index` (null when that child is not a question).
  TQuestion* Question(int index) const;

  /// Steps over an int32 count and that many question records, calling `handler` (when
  /// assigned) after each with no sender. Answers how many were multiple-choice questions.
  static int64_t SkipChildren(TStream& stream, const TZUKTreeNotifyEvent& handler);

 protected:
  int64_t MinChildRecordSize() const override;
};

/// A standard exam: a list of questions.
class TZUKExam : public TZUKQuestionContainer {
 public:
  std::string ClassName() const override { return "TZUKExam"; }

  std::string GetCaption() const override;
  int32_t GetImageIndex() const override { return 1; }
  uint8_t GetTypeCode() const override { return IsCaseStudy() ? 1 : 0; }
  virtual bool IsCaseStudy() const { return false; }
  /// Writes the exam type byte, then the records.
  void Save(TStream& stream) override;
};

/// A case-study based exam: a list of question sets and testlets.
class TZUKCaseStudyExam : public TZUKExam {
 public:
  std::string ClassName() const override { return "TZUKCaseStudyExam"; }

  bool IsCaseStudy() const override { return true; }
  int32_t GetMaxChildCount() const override { return kMaxQuestionSets; }
  /// The questions of all its sets.
  int32_t GetQuestionCount() const override;
  void LoadChild(int index, TStream& stream) override;
  /// Steps over an int32 count and that many set records; answers how many multiple-choice
  /// questions they held.
  static int64_t SkipChildren(TStream& stream, const TZUKTreeNotifyEvent& handler);

 protected:
  int64_t MinChildRecordSize() const override;
};

/// One page of a testlet's case study: either content (an RVF document) or child pages.
class TCaseStudyPageData : public TObject {
 public:
  std::string ClassName() const override { return "TCaseStudyPageData"; }

  std::string Title;
  TMemoryStream Content;
  TObjectList<TCaseStudyPageData> Children;

  /// `depth` is the nesting level of this page; pages deeper than kMaxCaseStudyPageDepth
  /// raise EZUKIncorrectFileFormat.
  void Load(TStream& stream, int depth = 0);
  void Save(TStream& stream);
  static void Skip(TStream& stream, int depth = 0);
  /// A child count of 0 means content, a negative one means neither content nor pages.
  /// The children are described at `depth` + 1.
  void VisitFields(TZUKFieldVisitor& visitor, int depth);
};

/// A set of questions inside a case-study exam.
class TZUKQuestionSet : public TZUKQuestionContainer {
 public:
  std::string ClassName() const override { return "TZUKQuestionSet"; }

  int32_t HeaderValue = 20;

  std::string GetCaption() const override;
  int32_t GetImageIndex() const override { return 1; }
  uint8_t GetTypeCode() const override { return IsTestlet() ? 1 : 0; }
  virtual bool IsTestlet() const { return false; }
  /// Describes the header between the set type byte and the question records.
  virtual void VisitHeader(TZUKFieldVisitor& visitor);
  /// Reads the header, then the question records.
  void Load(TStream& stream) override;
  /// Writes the set type byte, the header and the question records.
  void Save(TStream& stream) override;
};

/// A question set with a case study of its own.
class TZUKTestlet : public TZUKQuestionSet {
 public:
  TZUKTestlet();
  std::string ClassName() const override { return "TZUKTestlet"; }

  std::string Title;
  TMemoryStream TestletData2;
  int32_t TestletValue = 0;
  TMemoryStream TestletData1;
  TObjectList<TCaseStudyPageData> Pages;

  std::string GetCaption() const override;
  bool IsTestlet() const override { return true; }
  void VisitHeader(TZUKFieldVisitor& visitor) override;
};

/// The root of the tree: the exams of one document.
class TZUKExamCollection : public TZUKProgressNotifier {
 public:
  /// `treeView` carries the holders; without one the collection keeps a tree of its own.
  explicit TZUKExamCollection(TTreeView* treeView = nullptr);
  ~TZUKExamCollection() override;
  std::string ClassName() const override { return "TZUKExamCollection"; }

  TTreeView* TreeView;
  std::string Name;
  int32_t TotalQuestions = 0;
  int32_t WrittenQuestions = 0;
  /// The multiple-choice questions that Load stepped over because their exam, question set or
  /// place in a container lay beyond a limit: what the tree lacks of the file.
  int64_t LeftOutQuestions = 0;

  std::string GetCaption() const override { return Name; }
  int32_t GetImageIndex() const override { return 0; }
  int32_t GetMaxChildCount() const override { return kMaxExams; }
  /// "A" for the first exam, "B" for the second, ...
  std::string GetChildCaption(int index) const override;
  void LoadChild(int index, TStream& stream) override;

  /// Stores `name` and adds the top-level node that carries the collection. Must come
  /// before Load.
  void InitRootNode(const std::string& name);
  /// The exam of child `index`.
  TZUKExam* Exam(int index) const;
  int32_t GetTotalQuestionCount() const;
  int32_t CountExamsWithQuestions() const;

 protected:
  int64_t MinChildRecordSize() const override;

 private:
  std::unique_ptr<TTreeView> ownTreeView_;
};

/// What the loaders need of an exam class: making one and stepping over its records.
struct TZUKExamClass {
  std::unique_ptr<TZUKExam> (*Create)();
  int64_t (*SkipChildren)(TStream& stream, const TZUKTreeNotifyEvent& handler);
};

/// What the loaders need of a question-set class.
struct TZUKQuestionSetClass {
  std::unique_ptr<TZUKQuestionSet> (*Create)();
  void (*SkipHeader)(TStream& stream);
  int64_t (*SkipChildren)(TStream& stream, const TZUKTreeNotifyEvent& handler);
};

/// 0 standard exam, 1 case-study exam; other types raise EZUKUnknownExamType.
const TZUKExamClass& ExamClassByType(uint8_t type);
/// 0 question set, 1 testlet; other types raise EZUKUnknownQuestionSetType.
const TZUKQuestionSetClass& QuestionSetClassByType(uint8_t type);
