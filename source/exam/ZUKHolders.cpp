#include "exam/ZUKHolders.h"

#include "exam/ZUKException.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKRecordLimits.h"
#include "exam/ZUKStream.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

namespace {

[[noreturn]] void RaiseAbstractError() {
  throw EAbstractError("Abstract Error");
}

/// Reads one question record after the container has taken its type byte away: a
/// multiple-choice question is built and attached, any other kind is stepped over.
void LoadOrSkipQuestion(TZUKQuestionContainer& container, TStream& stream) {
  const uint8_t type = ReadByte(stream);
  const TQuestionClass& cls = QuestionClassByType(type);
  if (!IsMultipleChoiceType(type)) {
    cls.Skip(stream);
    return;
  }
  std::unique_ptr<TQuestion> question = cls.Create();
  question->SetQuestionType(type);
  TQuestion* attached = question.get();
  container.AddChild(std::move(question));
  attached->Load(stream);
}

/// Steps over one question record after its type byte; answers 1 for a multiple-choice
/// question, which the tree would have kept, else 0.
int64_t SkipQuestion(uint8_t type, TStream& stream) {
  QuestionClassByType(type).Skip(stream);
  return IsMultipleChoiceType(type) ? 1 : 0;
}

int64_t SkipQuestionSet(TStream& stream, const TZUKTreeNotifyEvent& handler) {
  const TZUKQuestionSetClass& cls = QuestionSetClassByType(ReadByte(stream));
  cls.SkipHeader(stream);
  return cls.SkipChildren(stream, handler);
}

/// Adds `count` questions left out beyond a limit to the collection at the root of `holder`'s
/// tree.
void CountLeftOut(TTreeNodeHolder& holder, int64_t count) {
  if (count == 0) return;
  TTreeNodeHolder* root = &holder;
  while (TTreeNodeHolder* parent = root->ParentHolder()) root = parent;
  if (auto* collection = dynamic_cast<TZUKExamCollection*>(root)) collection->LeftOutQuestions += count;
}

template <typename T, typename Base>
std::unique_ptr<Base> Make() {
  return std::make_unique<T>();
}

/// Walks the header fields of a throw-away set of the class.
template <typename T>
void SkipSetHeader(TStream& stream) {
  T scratch;
  TZUKSkipVisitor visitor(stream);
  scratch.VisitHeader(visitor);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TTreeNodeHolder

TTreeNodeHolder::~TTreeNodeHolder() {
  ReleaseTree();
}

void TTreeNodeHolder::ReleaseTree() {
  if (!node_) return;
  // Each child frees its own node (or leaves it without data), from the last one down. This
  // runs while an exception for a failed allocation unwinds, so it keeps no list of children.
  for (int i = node_->Count() - 1; i >= 0; --i) delete HolderOf(node_->Item(i));
  if (OwnsNode) {
    node_->Delete();
  } else {
    node_->Data = nullptr;
  }
  node_ = nullptr;
}

uint8_t TTreeNodeHolder::GetTypeCode() const {
  RaiseAbstractError();
}
int32_t TTreeNodeHolder::GetMaxChildCount() const {
  RaiseAbstractError();
}
std::string TTreeNodeHolder::GetChildCaption(int index) const {
  return IntToStr(static_cast<int64_t>(index) + 1);
}
void TTreeNodeHolder::LoadChild(int, TStream&) {
  RaiseAbstractError();
}

void TTreeNodeHolder::SaveChild(int index, TStream& stream) {
  TTreeNodeHolder* child = Child(index);
  if (!child) throw EInvalidOperation("A tree node without a holder cannot be saved");
  child->Save(stream);
}

void TTreeNodeHolder::Load(TStream& stream) {
  const int32_t n = ReadRecordCount(stream, MinChildRecordSize());
  for (int32_t i = 0; i < n; ++i) LoadChild(i, stream);
}

void TTreeNodeHolder::Save(TStream& stream) {
  const int n = ChildCount();
  WriteInt32(n, stream);
  for (int i = 0; i < n; ++i) SaveChild(i, stream);
}

TTreeNodeHolder* TTreeNodeHolder::AddChild(std::unique_ptr<TTreeNodeHolder> child) {
  if (!node_) throw EInvalidOperation("A holder without a tree node cannot take children");
  const int index = ChildCount();
  const std::string text = child->GetCaption() + " " + GetChildCaption(index);
  const int32_t image = child->GetImageIndex();
  TTreeNode* node = node_->Owner()->AddChildObject(node_, text, child.get());
  node->ImageIndex = image;
  node->SelectedIndex = image;
  child->node_ = node;
  return child.release();
}

void TTreeNodeHolder::DeleteChild(int index) {
  delete Child(index);
  for (int i = index; i < ChildCount(); ++i)
    if (TTreeNodeHolder* child = Child(i)) child->UpdateCaption();
}

void TTreeNodeHolder::UpdateCaption() {
  TTreeNodeHolder* parent = ParentHolder();
  if (!parent) return;
  node_->Text = GetCaption() + " " + parent->GetChildCaption(OwnIndex());
}

TTreeNodeHolder* TTreeNodeHolder::Child(int index) const {
  if (index < 0 || index >= ChildCount()) RaiseListIndexError(index);
  return HolderOf(node_->Item(index));
}

TTreeNodeHolder* TTreeNodeHolder::ParentHolder() const {
  return node_ ? HolderOf(node_->Parent()) : nullptr;
}

TTreeNodeHolder* TTreeNodeHolder::HolderOf(const TTreeNode* node) {
  return node ? dynamic_cast<TTreeNodeHolder*>(node->Data) : nullptr;
}

// ---------------------------------------------------------------------------------------
// TZUKProgressNotifier

void TZUKProgressNotifier::Notify(TStream& stream, bool isReading) {
  if (OnNotify) OnNotify(this, stream, isReading);
}

TTreeNodeHolder* TZUKProgressNotifier::AddChild(std::unique_ptr<TTreeNodeHolder> child) {
  TTreeNodeHolder* added = TTreeNodeHolder::AddChild(std::move(child));
  if (auto* notifier = dynamic_cast<TZUKProgressNotifier*>(added))
    notifier->OnNotify = [this](TZUKProgressNotifier*, TStream& stream, bool isReading) {
      Notify(stream, isReading);
    };
  return added;
}

// ---------------------------------------------------------------------------------------
// TZUKQuestionContainer

void TZUKQuestionContainer::LoadChild(int index, TStream& stream) {
  if (index < GetMaxChildCount()) {
    LoadOrSkipQuestion(*this, stream);
  } else {
    CountLeftOut(*this, SkipQuestion(ReadByte(stream), stream));
  }
  Notify(stream, true);
}

void TZUKQuestionContainer::SaveChild(int index, TStream& stream) {
  TZUKProgressNotifier::SaveChild(index, stream);
  Notify(stream, false);
}

TQuestion* TZUKQuestionContainer::Question(int index) const {
  return dynamic_cast<TQuestion*>(Child(index));
}

int64_t TZUKQuestionContainer::SkipChildren(TStream& stream, const TZUKTreeNotifyEvent& handler) {
  const int32_t n = ReadRecordCount(stream, kMinQuestionRecordSize);
  int64_t questions = 0;
  for (int32_t i = 0; i < n; ++i) {
    questions += SkipQuestion(ReadByte(stream), stream);
    if (handler) handler(nullptr, stream, true);
  }
  return questions;
}

int64_t TZUKQuestionContainer::MinChildRecordSize() const {
  return kMinQuestionRecordSize;
}

// ---------------------------------------------------------------------------------------
// Exams

std::string TZUKExam::GetCaption() const {
  return ZUKLocalizedText("EXAM");
}

void TZUKExam::Save(TStream& stream) {
  WriteByte(GetTypeCode(), stream);
  TZUKQuestionContainer::Save(stream);
}

int32_t TZUKCaseStudyExam::GetQuestionCount() const {
  int32_t total = 0;
  for (int i = 0; i < ChildCount(); ++i)
    if (auto* set = dynamic_cast<TZUKQuestionContainer*>(Child(i))) total += set->GetQuestionCount();
  return total;
}

void TZUKCaseStudyExam::LoadChild(int index, TStream& stream) {
  if (index >= GetMaxChildCount()) {
    CountLeftOut(*this, SkipQuestionSet(stream, OnNotify));
    return;
  }
  std::unique_ptr<TZUKQuestionSet> set = QuestionSetClassByType(ReadByte(stream)).Create();
  TZUKQuestionSet* attached = set.get();
  AddChild(std::move(set));
  attached->Load(stream);
}

int64_t TZUKCaseStudyExam::SkipChildren(TStream& stream, const TZUKTreeNotifyEvent& handler) {
  const int32_t n = ReadRecordCount(stream, kMinQuestionSetRecordSize);
  int64_t questions = 0;
  for (int32_t i = 0; i < n; ++i) questions += SkipQuestionSet(stream, handler);
  return questions;
}

int64_t TZUKCaseStudyExam::MinChildRecordSize() const {
  return kMinQuestionSetRecordSize;
}

// ---------------------------------------------------------------------------------------
// Case-study pages

void TCaseStudyPageData::Load(TStream& stream, int depth) {
  CheckPageDepth(depth);
  TZUKLoadVisitor visitor(stream);
  VisitFields(visitor, depth);
}

void TCaseStudyPageData::Save(TStream& stream) {
  TZUKSaveVisitor visitor(stream);
  VisitFields(visitor, 0);
}

void TCaseStudyPageData::Skip(TStream& stream, int depth) {
  CheckPageDepth(depth);
  TCaseStudyPageData scratch;
  TZUKSkipVisitor visitor(stream);
  scratch.VisitFields(visitor, depth);
}

void TCaseStudyPageData::VisitFields(TZUKFieldVisitor& visitor, int depth) {
  visitor.ScrambledString(Title);
  int32_t count = Children.Count();
  visitor.Int32(count);
  if (count == 0) {
    visitor.ScrambledStream(Content);
  } else if (count > 0) {
    visitor.Pages(Children, count, depth + 1);
  }
}

// ---------------------------------------------------------------------------------------
// Question sets and testlets

std::string TZUKQuestionSet::GetCaption() const {
  return ZUKLocalizedText("QUESTION_SET");
}

void TZUKQuestionSet::VisitHeader(TZUKFieldVisitor& visitor) {
  visitor.Int32(HeaderValue);
}

void TZUKQuestionSet::Load(TStream& stream) {
  TZUKLoadVisitor visitor(stream);
  VisitHeader(visitor);
  TZUKQuestionContainer::Load(stream);
}

void TZUKQuestionSet::Save(TStream& stream) {
  WriteByte(IsTestlet() ? 1 : 0, stream);
  TZUKSaveVisitor visitor(stream);
  VisitHeader(visitor);
  TZUKQuestionContainer::Save(stream);
}

TZUKTestlet::TZUKTestlet() : Title(ZUKLocalizedText("DEFAULT_TESTLET_TITLE")) {}

std::string TZUKTestlet::GetCaption() const {
  return ZUKLocalizedText("TESTLET");
}

void TZUKTestlet::VisitHeader(TZUKFieldVisitor& visitor) {
  TZUKQuestionSet::VisitHeader(visitor);
  visitor.ScrambledString(Title);
  visitor.Int32(TestletValue);
  visitor.ScrambledStream(TestletData1);
  visitor.ScrambledStream(TestletData2);
  int32_t pages = Pages.Count();
  visitor.RecordCount(pages, kMinCaseStudyPageSize);
  visitor.Pages(Pages, pages, 0);
}

// ---------------------------------------------------------------------------------------
// TZUKExamCollection

TZUKExamCollection::TZUKExamCollection(TTreeView* treeView) : TreeView(treeView) {
  if (!TreeView) {
    ownTreeView_ = std::make_unique<TTreeView>();
    TreeView = ownTreeView_.get();
  }
}

// The exams go before a tree of the collection's own does, in one batch of the tree's changes.
TZUKExamCollection::~TZUKExamCollection() {
  TTreeNodesUpdate update(TreeView->Items);
  ReleaseTree();
}

std::string TZUKExamCollection::GetChildCaption(int index) const {
  return std::string(1, static_cast<char>('A' + index));
}

void TZUKExamCollection::LoadChild(int index, TStream& stream) {
  const TZUKExamClass& cls = ExamClassByType(ReadByte(stream));
  if (index >= GetMaxChildCount()) {
    LeftOutQuestions += cls.SkipChildren(stream, OnNotify);
    return;
  }
  std::unique_ptr<TZUKExam> exam = cls.Create();
  TZUKExam* attached = exam.get();
  AddChild(std::move(exam));
  attached->Load(stream);
}

void TZUKExamCollection::InitRootNode(const std::string& name) {
  Name = name;
  TTreeNode* node = TreeView->Items.AddObject(nullptr, GetCaption(), this);
  node->ImageIndex = GetImageIndex();
  node->SelectedIndex = GetImageIndex();
  SetNode(node);
}

TZUKExam* TZUKExamCollection::Exam(int index) const {
  return dynamic_cast<TZUKExam*>(Child(index));
}

int32_t TZUKExamCollection::GetTotalQuestionCount() const {
  int32_t total = 0;
  for (int i = 0; i < ChildCount(); ++i)
    if (const TTreeNodeHolder* exam = Child(i)) total += exam->ChildCount();
  return total;
}

int32_t TZUKExamCollection::CountExamsWithQuestions() const {
  int32_t n = 0;
  for (int i = 0; i < ChildCount(); ++i)
    if (const TTreeNodeHolder* exam = Child(i); exam && exam->ChildCount() > 0) ++n;
  return n;
}

int64_t TZUKExamCollection::MinChildRecordSize() const {
  return kMinExamRecordSize;
}

// ---------------------------------------------------------------------------------------
// Class by type

const TZUKExamClass& ExamClassByType(uint8_t type) {
  static const TZUKExamClass kExam{Make<TZUKExam, TZUKExam>, TZUKQuestionContainer::SkipChildren};
  static const TZUKExamClass kCaseStudyExam{Make<TZUKCaseStudyExam, TZUKExam>,
                                            TZUKCaseStudyExam::SkipChildren};
  switch (type) {
    case 0:
      return kExam;
    case 1:
      return kCaseStudyExam;
    default:
      throw EZUKUnknownExamType();
  }
}

const TZUKQuestionSetClass& QuestionSetClassByType(uint8_t type) {
  static const TZUKQuestionSetClass kSet{Make<TZUKQuestionSet, TZUKQuestionSet>,
                                         SkipSetHeader<TZUKQuestionSet>, TZUKQuestionContainer::SkipChildren};
  static const TZUKQuestionSetClass kTestlet{Make<TZUKTestlet, TZUKQuestionSet>, SkipSetHeader<TZUKTestlet>,
                                             TZUKQuestionContainer::SkipChildren};
  switch (type) {
    case 0:
      return kSet;
    case 1:
      return kTestlet;
    default:
      throw EZUKUnknownQuestionSetType();
  }
}
