#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "../../tools/fuzz/ExamReaderFuzzEntry.h"
#include "exam/ZUKException.h"
#include "exam/ZUKFileBuilder.h"
#include "exam/ZUKHolders.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKRecordLimits.h"
#include "exam/ZUKStream.h"

namespace {

std::string Caption(const char* key, const std::string& suffix) {
  return ZUKLocalizedText(key) + " " + suffix;
}

ZUKQuestionDesc MC(int32_t section = -1) {
  ZUKQuestionDesc q;
  q.sectionId = section;
  q.parts = {"q", "a", "b", "c", "d", "e"};
  q.answer = "A";
  return q;
}

ZUKQuestionDesc OfType(uint8_t type) {
  ZUKQuestionDesc q = MC();
  q.type = type;
  return q;
}

void LoadBytesIndex(const std::string& file) {
  TMemoryStream stream(file);
  TZUKReader reader(stream);
  reader.Load();
}

/// Loads `file` into a holder tree and counts the reading notifications at the root.
struct LoadedTree {
  explicit LoadedTree(const std::string& file) : stream(file), reader(stream) {
    reader.ExamCollection.OnNotify = [this](TZUKProgressNotifier* sender, TStream&, bool isReading) {
      if (!isReading) return;
      ++notifications;
      if (sender == &reader.ExamCollection) ++fromRoot;
    };
    reader.Load();
  }
  TZUKExamCollection& root() { return reader.ExamCollection; }

  TMemoryStream stream;
  TExamTreeReader reader;
  int notifications = 0;
  int fromRoot = 0;
};

}  // namespace

TEST(ZUKHoldersTest, BuildsTheTreeWithCaptionsImagesAndData) {
  LoadedTree tree(BuildZUKFile(EveryKindSpec()));
  TZUKExamCollection& root = tree.root();
  TTreeNode* rootNode = root.Node();
  ASSERT_NE(rootNode, nullptr);
  EXPECT_EQ(rootNode->Text, "");
  EXPECT_EQ(rootNode->ImageIndex, 0);
  EXPECT_EQ(rootNode->Data, &root);
  ASSERT_EQ(root.ChildCount(), 3);
  EXPECT_EQ(rootNode->Item(0)->Text, Caption("EXAM", "A"));
  EXPECT_EQ(rootNode->Item(2)->Text, Caption("EXAM", "C"));
  EXPECT_EQ(rootNode->Item(1)->ImageIndex, 1);

  // The standard exam keeps its two multiple-choice questions of nine records.
  TZUKExam* exam = root.Exam(0);
  ASSERT_EQ(exam->ChildCount(), 2);
  EXPECT_EQ(exam->Node()->Item(1)->Text, Caption("QUESTION", "2"));
  EXPECT_EQ(exam->Node()->Item(1)->SelectedIndex, 2);
  EXPECT_EQ(exam->Question(1)->QuestionType, 1);
  EXPECT_EQ(exam->Question(0)->ParentHolder(), exam);
  EXPECT_EQ(exam->Question(1)->OwnIndex(), 1);
  EXPECT_EQ(tree.notifications, 9 + 4);
  EXPECT_EQ(tree.fromRoot, tree.notifications);
  EXPECT_EQ(root.GetTotalQuestionCount(), 2 + 2);
  EXPECT_EQ(root.CountExamsWithQuestions(), 2);
}

TEST(ZUKHoldersTest, LoadsCaseStudyExamsWithSetsTestletsAndPages) {
  LoadedTree tree(BuildZUKFile(EveryKindSpec()));
  auto* exam = dynamic_cast<TZUKCaseStudyExam*>(tree.root().Exam(1));
  ASSERT_NE(exam, nullptr);
  EXPECT_EQ(exam->GetTypeCode(), 1);
  ASSERT_EQ(exam->ChildCount(), 2);
  EXPECT_EQ(exam->GetQuestionCount(), 2);
  auto* set = dynamic_cast<TZUKQuestionSet*>(exam->Child(0));
  auto* testlet = dynamic_cast<TZUKTestlet*>(exam->Child(1));
  ASSERT_NE(set, nullptr);
  ASSERT_NE(testlet, nullptr);
  EXPECT_FALSE(set->IsTestlet());
  EXPECT_EQ(set->Node()->Text, Caption("QUESTION_SET", "1"));
  EXPECT_EQ(testlet->Node()->Text, Caption("TESTLET", "2"));
  EXPECT_EQ(set->HeaderValue, 20);
  EXPECT_EQ(testlet->HeaderValue, 25);
  EXPECT_EQ(testlet->Title, "Contoso case");
  EXPECT_EQ(testlet->TestletValue, 3);
  EXPECT_EQ(testlet->TestletData1.DataString(), "testlet-data-1");
  EXPECT_EQ(testlet->TestletData2.DataString(), "testlet-data-2");
  ASSERT_EQ(testlet->Pages.Count(), 2);
  EXPECT_EQ(testlet->Pages[0]->Content.DataString(), "rvf-overview");
  TCaseStudyPageData& requirements = *testlet->Pages[1];
  EXPECT_EQ(requirements.Children.Count(), 2);
  EXPECT_EQ(requirements.Content.Size(), 0);
  EXPECT_EQ(requirements.Children[1]->Title, "Technical");
  EXPECT_EQ(requirements.Children[1]->Content.DataString(), "rvf-technical");
  EXPECT_EQ(testlet->Question(0)->Node()->Text, Caption("QUESTION", "1"));
}

TEST(ZUKHoldersTest, LoadedTreeSavesBackToTheSameFile) {
  for (const ZUKFileDesc& desc : {TreeKeptSpec(), ZUKFileDesc{}}) {
    const std::string file = BuildZUKFile(desc);
    LoadedTree tree(file);
    TZUKReader& r = tree.reader;
    const std::string saved = WriteZUKFile(desc.major, desc.minor, r.Properties, r.RawStyle, r.RawDescription,
                                           r.Sections, tree.root());
    EXPECT_EQ(saved, file);
  }
}

TEST(ZUKHoldersTest, KeepsMultipleChoiceAndNotifiesForEveryRecord) {
  ZUKFileDesc desc;
  ZUKExamDesc exam;
  exam.questions = {OfType(0), OfType(7), OfType(1)};
  desc.exams = {exam, ZUKExamDesc{}};
  LoadedTree tree(BuildZUKFile(desc));
  TZUKExam* loaded = tree.root().Exam(0);
  ASSERT_EQ(loaded->ChildCount(), 2);
  EXPECT_EQ(loaded->Node()->Item(0)->Text, Caption("QUESTION", "1"));
  EXPECT_EQ(loaded->Node()->Item(1)->Text, Caption("QUESTION", "2"));
  EXPECT_EQ(loaded->Question(1)->QuestionType, 1);
  EXPECT_EQ(tree.notifications, 3);
  EXPECT_EQ(tree.root().Exam(1)->ChildCount(), 0) << "an exam without records stays, empty";
}

TEST(ZUKHoldersTest, StepsOverExamsSetsAndQuestionsBeyondTheLimits) {
  ZUKFileDesc desc;
  for (int i = 0; i < 27; ++i) {
    ZUKExamDesc exam;
    exam.questions = {MC(i)};
    desc.exams.push_back(exam);
  }
  desc.exams.back().questions.push_back(OfType(7));  // never kept, so not left out either
  ZUKExamDesc big;
  big.questions.assign(kMaxQuestionRecords + 1, MC());
  big.questions.back().sectionId = 77;
  ZUKExamDesc caseStudy;
  caseStudy.caseStudy = true;
  ZUKSetDesc set;
  set.questions = {MC()};
  caseStudy.sets.assign(kMaxQuestionSets + 1, set);
  caseStudy.sets.back().testlet = true;
  caseStudy.sets.back().pages = {{"p", "c", {}}};
  desc.exams[0] = big;
  desc.exams[1] = caseStudy;

  LoadedTree tree(BuildZUKFile(desc));
  TZUKExamCollection& root = tree.root();
  ASSERT_EQ(root.ChildCount(), kMaxExams);
  EXPECT_EQ(root.Node()->Item(25)->Text, Caption("EXAM", "Z"));
  EXPECT_EQ(root.Exam(0)->ChildCount(), kMaxQuestionRecords);
  EXPECT_EQ(root.Exam(1)->ChildCount(), kMaxQuestionSets);
  EXPECT_EQ(tree.notifications, (kMaxQuestionRecords + 1) + (kMaxQuestionSets + 1) + 25 + 1);
  // One question beyond each limit: the 10000th record, the 100th set's, the 27th exam's.
  EXPECT_EQ(root.LeftOutQuestions, 3);
}

TEST(ZUKHoldersTest, DeletingAChildRenumbersTheOnesAfterIt) {
  TTreeView view;
  TZUKExamCollection root(&view);
  root.InitRootNode("Root");
  AddExams(root, {ZUKExamDesc{false, {MC(), MC(), MC()}, {}}, ZUKExamDesc{}});
  TZUKExam* exam = root.Exam(0);
  const int nodesBefore = view.Items.Count();
  exam->DeleteChild(0);
  EXPECT_EQ(view.Items.Count(), nodesBefore - 1);
  ASSERT_EQ(exam->ChildCount(), 2);
  EXPECT_EQ(exam->Node()->Item(0)->Text, Caption("QUESTION", "1"));
  EXPECT_EQ(exam->Node()->Item(1)->Text, Caption("QUESTION", "2"));
  root.DeleteChild(0);
  EXPECT_EQ(root.Node()->Item(0)->Text, Caption("EXAM", "A"));
  EXPECT_EQ(root.Node()->Text, "Root");
}

TEST(ZUKHoldersTest, CollectionFreesItsExamsAndTheirNodes) {
  TTreeView view;
  {
    TZUKExamCollection root(&view);
    root.InitRootNode("");
    AddExams(root, EveryKindSpec().exams);
    EXPECT_GT(view.Items.Count(), 10);
  }
  EXPECT_EQ(view.Items.Count(), 0);

  // Without a tree view the collection keeps one of its own.
  TZUKExamCollection own;
  own.InitRootNode("");
  AddExams(own, EveryKindSpec().exams);
  EXPECT_EQ(own.ChildCount(), 3);
}

TEST(ZUKHoldersTest, AHolderThatDoesNotOwnItsNodeLeavesItWithoutData) {
  TTreeView view;
  TZUKExamCollection root(&view);
  root.InitRootNode("");
  AddExams(root, {ZUKExamDesc{}});
  root.Exam(0)->OwnsNode = false;
  TTreeNode* node = root.Exam(0)->Node();
  root.DeleteChild(0);
  EXPECT_EQ(root.ChildCount(), 1);
  EXPECT_EQ(node->Data, nullptr);
  EXPECT_EQ(root.Child(0), nullptr);
  EXPECT_EQ(root.GetTotalQuestionCount(), 0);
  TMemoryStream out;
  EXPECT_THROW(root.Save(out), EInvalidOperation);
}

/// A tree view that runs out of memory when it is given its `failAt`-th node (from 1).
struct TFailingTreeView : TTreeView {
  explicit TFailingTreeView(int failAt) : failAt(failAt) {}
  void NodeInserted(TTreeNode&, int) override {
    if (--failAt == 0) throw std::bad_alloc();
  }
  int failAt;
};

// Regression: a holder whose node could not be added was freed while its node stayed in the
// tree carrying it, and freeing the tree then used the freed holder (the sanitizers see it).
TEST(ZUKHoldersTest, AHolderWhoseNodeCouldNotBeAddedLeavesNothingBehind) {
  TZUKExamCollection source;
  source.InitRootNode("");
  AddExams(source, {ZUKExamDesc{false, {MC(), MC()}, {}}, ZUKExamDesc{false, {MC()}, {}}});
  TMemoryStream records;
  source.Save(records);
  // The nodes come in the order root, exam A, its two questions, exam B, its question.
  for (int failAt : {2, 3, 4, 5, 6}) {
    SCOPED_TRACE(failAt);
    TFailingTreeView view(failAt);
    {
      TZUKExamCollection collection(&view);
      collection.InitRootNode("");
      records.SetPosition(0);
      EXPECT_THROW(collection.Load(records), std::bad_alloc);
      EXPECT_EQ(view.Items.Count(), failAt - 1);
    }
    EXPECT_EQ(view.Items.Count(), 0);
  }
}

TEST(ZUKHoldersTest, AddingToAHolderWithoutANodeFails) {
  TZUKExam exam;
  EXPECT_THROW(exam.AddChild(MakeQuestion(MC())), EInvalidOperation);
  EXPECT_EQ(exam.ChildCount(), 0);
  EXPECT_EQ(exam.OwnIndex(), -1);
  EXPECT_EQ(exam.ParentHolder(), nullptr);
}

TEST(ZUKHoldersTest, SavingReportsEachQuestionAgainstTheTotal) {
  TZUKExamCollection root;
  root.InitRootNode("");
  AddExams(root, TreeKeptSpec().exams);
  TMemoryStream out;
  TZUKReader processor(out);
  std::vector<std::pair<int64_t, int64_t>> reports;
  processor.OnProgress = [&](int64_t total, int64_t position) { reports.emplace_back(total, position); };
  root.OnNotify = [&](TZUKProgressNotifier* sender, TStream& s, bool isReading) {
    processor.HandleTreeNotify(sender, s, isReading);
  };
  root.TotalQuestions = root.GetTotalQuestionCount();
  root.Save(out);
  // Two questions of the standard exam, two sets and their two questions.
  ASSERT_EQ(reports.size(), 6u);
  for (size_t i = 0; i < reports.size(); ++i) {
    EXPECT_EQ(reports[i].first, 4);
    EXPECT_EQ(reports[i].second, static_cast<int64_t>(i + 1));
  }
  EXPECT_EQ(processor.WriteCount, 6);
}

TEST(ZUKHoldersTest, RefusesUnknownTypesAndDeepPages) {
  ZUKFileDesc desc;
  ZUKExamDesc caseStudy;
  caseStudy.caseStudy = true;
  ZUKSetDesc testlet;
  testlet.testlet = true;
  ZUKPageDesc page{"leaf", "content", {}};
  for (int depth = 1; depth < kMaxCaseStudyPageDepth + 1; ++depth) page = ZUKPageDesc{"level", "", {page}};
  testlet.pages = {page};
  caseStudy.sets = {testlet};
  desc.exams = {caseStudy};
  const std::string deepest = BuildZUKFile(desc);
  EXPECT_NO_THROW(LoadedTree{deepest});
  EXPECT_NO_THROW(LoadBytesIndex(deepest));

  desc.exams[0].sets[0].pages = {ZUKPageDesc{"too deep", "", {page}}};
  const std::string tooDeep = BuildZUKFile(desc);
  EXPECT_THROW(LoadedTree{tooDeep}, EZUKIncorrectFileFormat);
  EXPECT_THROW(LoadBytesIndex(tooDeep), EZUKIncorrectFileFormat);
}

// The nesting limit guards reading only: a page tree built in memory saves whole, and the
// pages come back when it is read within the limit.
TEST(ZUKHoldersTest, PagesSaveAtAnyDepthAndReadBack) {
  TCaseStudyPageData root;
  TCaseStudyPageData* page = &root;
  for (int depth = 0; depth <= kMaxCaseStudyPageDepth + 1; ++depth) {
    page->Title = "level " + std::to_string(depth);
    page = page->Children[page->Children.Add(std::make_unique<TCaseStudyPageData>())];
  }
  page->Content.WriteBuffer("leaf");
  TMemoryStream saved;
  root.Save(saved);

  saved.SetPosition(0);
  TCaseStudyPageData loaded;
  EXPECT_THROW(loaded.Load(saved), EZUKIncorrectFileFormat);
  saved.SetPosition(0);
  loaded.Children.Clear();
  ASSERT_NO_THROW(loaded.Load(saved, -2));
  EXPECT_EQ(saved.Remaining(), 0);
  const TCaseStudyPageData* leaf = &loaded;
  while (leaf->Children.Count() > 0) leaf = leaf->Children[0];
  EXPECT_EQ(leaf->Content.DataString(), "leaf");
  EXPECT_EQ(loaded.Children[0]->Title, "level 1");
}

TEST(ZUKHoldersTest, ClassesByType) {
  EXPECT_FALSE(ExamClassByType(0).Create()->IsCaseStudy());
  EXPECT_TRUE(ExamClassByType(1).Create()->IsCaseStudy());
  EXPECT_FALSE(QuestionSetClassByType(0).Create()->IsTestlet());
  EXPECT_TRUE(QuestionSetClassByType(1).Create()->IsTestlet());
  EXPECT_EQ(TZUKTestlet().Title, ZUKLocalizedText("DEFAULT_TESTLET_TITLE"));
  for (uint8_t type : {2, 3, 255}) {
    EXPECT_THROW(ExamClassByType(type), EZUKUnknownExamType);
    EXPECT_THROW(QuestionSetClassByType(type), EZUKUnknownQuestionSetType);
  }
}

TEST(ZUKHoldersTest, ReadingReportsTheFileSizeAndTheEndOfEachRecord) {
  ZUKFileDesc desc;
  ZUKExamDesc exam;
  exam.questions = {OfType(0), OfType(7), OfType(1)};
  desc.exams = {exam, ZUKExamDesc{}};
  const std::string file = BuildZUKFile(desc);

  TMemoryStream indexStream(file);
  TZUKReader index(indexStream);
  index.Load();
  const TExamRef& ref = *index.ExamIndex[0];
  const std::vector<int64_t> recordEnds = {ref.Questions[1]->Position, ref.Questions[2]->Position,
                                           index.ExamIndex[1]->Position};

  TMemoryStream stream(file);
  TExamTreeReader reader(stream);
  std::vector<std::pair<int64_t, int64_t>> reports;
  reader.OnProgress = [&](int64_t total, int64_t position) { reports.emplace_back(total, position); };
  reader.ExamCollection.OnNotify = [&](TZUKProgressNotifier* sender, TStream& s, bool isReading) {
    reader.HandleTreeNotify(sender, s, isReading);
  };
  reader.Load();
  // Four steps before the exams and one after the trailer report too; the records lie between.
  ASSERT_EQ(reports.size(), 4 + recordEnds.size() + 1);
  for (size_t i = 0; i < recordEnds.size(); ++i) {
    EXPECT_EQ(reports[4 + i].first, static_cast<int64_t>(file.size()));
    EXPECT_EQ(reports[4 + i].second, recordEnds[i]);
  }
  EXPECT_EQ(reader.WriteCount, 0);

  // Without a progress handler a write notification changes nothing.
  reader.OnProgress = nullptr;
  TMemoryStream out;
  reader.HandleTreeNotify(&reader.ExamCollection, out, false);
  EXPECT_EQ(reader.WriteCount, 0);
}
