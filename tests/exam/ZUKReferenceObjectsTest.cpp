#include <gtest/gtest.h>

#include <string>

#include "exam/ZUKException.h"
#include "exam/ZUKFileBuilder.h"
#include "exam/ZUKReader.h"
#include "exam/ZUKReferenceObjects.h"
#include "exam/ZUKStream.h"

namespace {

ZUKQuestionDesc InSection(uint8_t type, int32_t section) {
  ZUKQuestionDesc q;
  q.type = type;
  q.sectionId = section;
  q.parts = {"q", "e"};
  return q;
}

struct Indexed {
  explicit Indexed(const std::string& bytes) : file(bytes), stream(bytes), reader(stream) { reader.Load(); }
  uint8_t ByteAt(int64_t position) const { return static_cast<uint8_t>(file[static_cast<size_t>(position)]); }

  std::string file;
  TMemoryStream stream;
  TZUKReader reader;
};

}  // namespace

TEST(ZUKReferenceObjectsTest, CountsQuestionsPerExamAndSection) {
  ZUKFileDesc desc;
  ZUKExamDesc exam;
  exam.questions = {InSection(0, 3), InSection(7, 1), InSection(8, 3), InSection(2, -1), InSection(5, 1)};
  desc.exams = {exam};
  Indexed indexed(BuildZUKFile(desc));
  ASSERT_EQ(indexed.reader.ExamIndex.Count(), 1);
  const TExamRef& ref = *indexed.reader.ExamIndex[0];
  EXPECT_EQ(ref.GetQuestionCount(), 5);
  EXPECT_EQ(ref.CountQuestionsOfSection(3), 2);
  EXPECT_EQ(ref.CountQuestionsOfSection(1), 2);
  EXPECT_EQ(ref.CountQuestionsOfSection(-1), 1);
  EXPECT_EQ(ref.CountQuestionsOfSection(9), 0);
  EXPECT_EQ(indexed.ByteAt(ref.Position), 0);
  for (const auto& q : ref.Questions) EXPECT_EQ(indexed.ByteAt(q->Position), q->QuestionType);
  EXPECT_EQ(ref.Questions[1]->QuestionType, 7);
}

TEST(ZUKReferenceObjectsTest, IndexesSetsAndTestletsOfCaseStudyExams) {
  ZUKFileDesc desc;
  ZUKExamDesc caseStudy;
  caseStudy.caseStudy = true;
  ZUKSetDesc set;
  set.questions = {InSection(0, 4), InSection(9, 4)};
  ZUKSetDesc testlet;
  testlet.testlet = true;
  testlet.headerValue = 25;
  testlet.title = "Fabrikam";
  testlet.pages = {{"a", "", {{"b", "x", {}}}}, {"c", "y", {}}};
  testlet.questions = {InSection(1, 4)};
  caseStudy.sets = {set, testlet};
  desc.exams = {caseStudy};
  Indexed indexed(BuildZUKFile(desc));
  const auto* ref = dynamic_cast<const TCaseStudyExamRef*>(indexed.reader.ExamIndex[0]);
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(ref->HeaderTotal, 45);
  EXPECT_EQ(ref->GetQuestionCount(), 3);
  EXPECT_EQ(ref->CountQuestionsOfSection(4), 3);
  EXPECT_EQ(indexed.ByteAt(ref->Position), 1);
  ASSERT_EQ(ref->Sets.Count(), 2);
  EXPECT_FALSE(ref->Sets[0]->IsTestlet());
  const auto* t = dynamic_cast<const TTestletRef*>(ref->Sets[1]);
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->IsTestlet());
  EXPECT_EQ(t->Title, "Fabrikam");
  EXPECT_EQ(indexed.ByteAt(t->Position), 1);
  EXPECT_EQ(Int32At(indexed.file, t->HeaderPosition), 8) << "the title's length prefix";
  EXPECT_EQ(indexed.ByteAt(t->Questions[0]->Position), 1);
}

TEST(ZUKReferenceObjectsTest, HeaderTotalDoesNotOverflow) {
  ZUKFileDesc desc;
  ZUKExamDesc caseStudy;
  caseStudy.caseStudy = true;
  ZUKSetDesc set;
  set.headerValue = INT32_MAX;
  caseStudy.sets = {set, set, set};
  desc.exams = {caseStudy};
  Indexed indexed(BuildZUKFile(desc));
  EXPECT_EQ(dynamic_cast<const TCaseStudyExamRef&>(*indexed.reader.ExamIndex[0]).HeaderTotal,
            3LL * INT32_MAX);
}

TEST(ZUKReferenceObjectsTest, UnknownTypesStopTheIndex) {
  EXPECT_THROW(ExamRefClassByType(2), EZUKUnknownExamType);
  EXPECT_NE(dynamic_cast<TCaseStudyExamRef*>(ExamRefClassByType(1)().get()), nullptr);

  ZUKFileDesc desc;
  ZUKExamDesc caseStudy;
  caseStudy.caseStudy = true;
  caseStudy.sets = {ZUKSetDesc{}};
  desc.exams = {caseStudy};
  ZUKFileLayout layout;
  std::string file = BuildZUKFile(desc, &layout);
  // exam count, exam type, set count, then the set type byte
  file[static_cast<size_t>(layout.exams + 4 + 1 + 4)] = 2;
  TMemoryStream stream(file);
  TZUKReader reader(stream);
  EXPECT_THROW(reader.Load(), EZUKUnknownQuestionSetType);
}
