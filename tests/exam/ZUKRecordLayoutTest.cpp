// Records written out byte by byte, independently of the code's own Save, so that a load and
// a save that agree with each other but not with the file layout cannot pass unnoticed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "exam/ZUKHolders.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKReader.h"
#include "exam/ZUKStream.h"

namespace {

/// Little-endian bytes of an exam file, built by hand.
struct Bytes {
  std::string out;

  Bytes& Byte(uint8_t b) {
    out += static_cast<char>(b);
    return *this;
  }
  Bytes& Int(int32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return *this;
  }
  Bytes& Plain(const std::string& s) {
    Int(static_cast<int32_t>(s.size()));
    out += s;
    return *this;
  }
  /// Length prefix in the clear, then byte i XORed with i mod 256.
  Bytes& Scrambled(const std::string& s) {
    Int(static_cast<int32_t>(s.size()));
    for (size_t i = 0; i < s.size(); ++i) out += static_cast<char>(s[i] ^ static_cast<char>(i & 0xFF));
    return *this;
  }
  Bytes& Raw(const std::string& s) {
    out += s;
    return *this;
  }
};

/// The common part of a question record: section 12, setting 7, one exhibit.
std::string CommonPart(uint8_t type) {
  const std::string exhibits = Bytes().Plain("Exhibit").Byte(1).Plain("JFIF").out;
  return Bytes()
      .Byte(type)
      .Int(12)
      .Int(7)
      .Int(1)
      .Scrambled("PARTS")
      .Scrambled("ANSWER")
      .Scrambled(exhibits)
      .out;
}

template <typename T>
T& As(TQuestion& q) {
  return dynamic_cast<T&>(q);
}

}  // namespace

TEST(ZUKRecordLayoutTest, EveryQuestionKindReadsSkipsAndWritesItsTailInFileOrder) {
  struct Case {
    uint8_t type;
    std::string tail;
    std::function<void(TQuestion&)> check;
  };
  const std::vector<Case> cases = {
      {1, Bytes().Int(6).Byte(0).Byte(1).Byte(1).Scrambled("Case title").out,
       [](TQuestion& q) {
         auto& mc = As<TMultipleChoiceQuestion>(q);
         EXPECT_EQ(mc.ChoiceCount, 6);
         EXPECT_FALSE(mc.Flag1);
         EXPECT_TRUE(mc.Flag2);
         EXPECT_TRUE(mc.HasCaseStudy);
         EXPECT_EQ(mc.CaseStudyTitle, "Case title");
       }},
      {8, Bytes().Int(3).Byte(1).Byte(0).Byte(0).out,
       [](TQuestion& q) {
         auto& blank = As<TFillInTheBlankQuestion>(q);
         EXPECT_EQ(blank.BlankValue, 3);
         EXPECT_TRUE(blank.Flag1);
         EXPECT_FALSE(blank.Flag2);
         EXPECT_FALSE(blank.Flag3);
       }},
      {7, Bytes().Scrambled("diagram one").Scrambled("diagram two").Scrambled("Links").Int(33).Int(44).out,
       [](TQuestion& q) {
         auto& dnc = As<TDropAndConnectQuestion>(q);
         EXPECT_EQ(dnc.DiagramData1.DataString(), "diagram one");
         EXPECT_EQ(dnc.DiagramData2.DataString(), "diagram two");
         EXPECT_EQ(dnc.ConnectorsTitle, "Links");
         EXPECT_EQ(dnc.BoxHeight, 33);
         EXPECT_EQ(dnc.BoxWidth, 44);
       }},
      {9, Bytes().Scrambled("image one").Byte(5).Byte(6).Scrambled("image two").out,
       [](TQuestion& q) {
         auto& image = As<TImageQuestion>(q);
         EXPECT_EQ(image.ImageData1.DataString(), "image one");
         EXPECT_EQ(image.Option1, 5);
         EXPECT_EQ(image.Option2, 6);
         EXPECT_EQ(image.ImageData2.DataString(), "image two");
       }},
      {5, Bytes().Byte(2).Scrambled("Choices").Scrambled("Order").Scrambled("tree data").Byte(0).Byte(1).out,
       [](TQuestion& q) {
         auto& tree = As<TTreeQuestion>(q);
         EXPECT_EQ(tree.TreeOption, 2);
         EXPECT_EQ(tree.AnswerChoicesTitle, "Choices");
         EXPECT_EQ(tree.StructureTitle, "Order");
         EXPECT_EQ(tree.TreeData.DataString(), "tree data");
         EXPECT_FALSE(tree.Flag1);
         EXPECT_TRUE(tree.Flag2);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    const std::string record = CommonPart(c.type) + c.tail;

    TMemoryStream in(record);
    const uint8_t type = ReadByte(in);
    std::unique_ptr<TQuestion> q = QuestionClassByType(type).Create();
    q->SetQuestionType(type);
    q->Load(in);
    EXPECT_EQ(in.Position(), in.Size());
    EXPECT_EQ(q->SectionId, 12);
    EXPECT_EQ(q->Setting, 7);
    EXPECT_EQ(q->ExhibitCount, 1);
    EXPECT_EQ(q->QuestionParts.DataString(), "PARTS");
    EXPECT_EQ(q->Answer.DataString(), "ANSWER");
    EXPECT_EQ(q->Exhibits.DataString(), Bytes().Plain("Exhibit").Byte(1).Plain("JFIF").out);
    c.check(*q);

    TMemoryStream out;
    q->Save(out);
    EXPECT_EQ(out.DataString(), record);

    TMemoryStream skipped(record + "\x42");
    SkipByte(skipped);
    EXPECT_EQ(QuestionClassByType(c.type).Skip(skipped), 12);
    EXPECT_EQ(ReadByte(skipped), 0x42);
  }
}

TEST(ZUKRecordLayoutTest, ExamsSetsTestletsAndPagesFollowTheFileLayout) {
  const std::string question = CommonPart(0) + Bytes().Int(4).Byte(1).Byte(0).Byte(0).Scrambled("").out;
  // Pages: a page with content, then a page with one child page of its own.
  const std::string pages = Bytes()
                                .Int(2)
                                .Scrambled("Overview")
                                .Int(0)
                                .Scrambled("overview rvf")
                                .Scrambled("Details")
                                .Int(1)
                                .Scrambled("Inner")
                                .Int(0)
                                .Scrambled("inner rvf")
                                .out;
  const std::string file = Bytes()
                               .Int(2)
                               // A standard exam of one question.
                               .Byte(0)
                               .Int(1)
                               .Raw(question)
                               // A case-study exam: a question set, then a testlet.
                               .Byte(1)
                               .Int(2)
                               .Byte(0)
                               .Int(20)
                               .Int(0)
                               .Byte(1)
                               .Int(25)
                               .Scrambled("Contoso")
                               .Int(9)
                               .Scrambled("first data")
                               .Scrambled("second data")
                               .Raw(pages)
                               .Int(1)
                               .Raw(question)
                               .out;

  TZUKExamCollection root;
  root.InitRootNode("");
  TMemoryStream in(file);
  root.Load(in);
  EXPECT_EQ(in.Position(), in.Size());
  ASSERT_EQ(root.ChildCount(), 2);
  EXPECT_EQ(root.Exam(0)->ChildCount(), 1);
  auto* caseStudy = dynamic_cast<TZUKCaseStudyExam*>(root.Exam(1));
  ASSERT_NE(caseStudy, nullptr);
  ASSERT_EQ(caseStudy->ChildCount(), 2);
  EXPECT_EQ(dynamic_cast<TZUKQuestionSet&>(*caseStudy->Child(0)).HeaderValue, 20);
  auto& testlet = dynamic_cast<TZUKTestlet&>(*caseStudy->Child(1));
  EXPECT_EQ(testlet.HeaderValue, 25);
  EXPECT_EQ(testlet.Title, "Contoso");
  EXPECT_EQ(testlet.TestletValue, 9);
  EXPECT_EQ(testlet.TestletData1.DataString(), "first data");
  EXPECT_EQ(testlet.TestletData2.DataString(), "second data");
  ASSERT_EQ(testlet.Pages.Count(), 2);
  EXPECT_EQ(testlet.Pages[0]->Title, "Overview");
  EXPECT_EQ(testlet.Pages[0]->Content.DataString(), "overview rvf");
  ASSERT_EQ(testlet.Pages[1]->Children.Count(), 1);
  EXPECT_EQ(testlet.Pages[1]->Children[0]->Title, "Inner");
  EXPECT_EQ(testlet.Pages[1]->Children[0]->Content.DataString(), "inner rvf");
  EXPECT_EQ(testlet.GetQuestionCount(), 1);

  TMemoryStream out;
  root.Save(out);
  EXPECT_EQ(out.DataString(), file);

  // Skipping the pages walks exactly the same bytes.
  TMemoryStream pageBytes(pages + "\x42");
  const int32_t count = ReadInt32(pageBytes);
  for (int32_t i = 0; i < count; ++i) TCaseStudyPageData::Skip(pageBytes);
  EXPECT_EQ(ReadByte(pageBytes), 0x42);
}

TEST(ZUKRecordLayoutTest, SectionsAreAnIdAndAScrambledName) {
  const std::string bytes = Bytes().Int(2).Int(5).Scrambled("Five").Int(2).Scrambled("Two").out;
  TMemoryStream in(bytes);
  TZUKSectionCollection sections;
  sections.Load(in);
  ASSERT_EQ(sections.Count(), 2);
  EXPECT_EQ(sections[0]->Name, "Five");
  EXPECT_EQ(sections[1]->Id, 2);
  TMemoryStream out;
  sections.Save(out);
  EXPECT_EQ(out.DataString(), bytes);
}
