#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "exam/ZUKException.h"
#include "exam/ZUKFileBuilder.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKStream.h"
#include "platform/core/Exceptions.h"

namespace {

const std::vector<uint8_t> kAllTypes = {0, 1, 2, 3, 4, 5, 7, 8, 9};

std::string Saved(TQuestion& question) {
  TMemoryStream out;
  question.Save(out);
  return out.DataString();
}

ZUKQuestionDesc Desc(uint8_t type, int exhibits) {
  ZUKQuestionDesc q;
  q.type = type;
  q.sectionId = 40 + type;
  q.setting = 9;
  q.parts = {"question", "choice A", "choice B", "explanation"};
  q.answer = "AB";
  for (int i = 0; i < exhibits; ++i) q.exhibits.push_back({"Exhibit " + std::to_string(i), 1, "JFIF"});
  q.number = 3;
  q.flag = true;
  q.title = "title";
  q.data1 = "data one";
  q.data2 = "data two";
  return q;
}

/// Loads a saved record (type byte first) the way a container does.
std::unique_ptr<TQuestion> LoadRecord(const std::string& record) {
  TMemoryStream in(record);
  const uint8_t type = ReadByte(in);
  std::unique_ptr<TQuestion> question = QuestionClassByType(type).Create();
  question->SetQuestionType(type);
  question->Load(in);
  EXPECT_EQ(in.Position(), in.Size()) << "type " << int(type);
  return question;
}

}  // namespace

TEST(ZUKQuestionTest, TypeBytesPickClassesAndNames) {
  struct Case {
    uint8_t type;
    const char* className;
    const char* nameKey;
  };
  const std::vector<Case> cases = {
      {0, "TMultipleChoiceQuestion", "MULTIPLE_CHOICE"},
      {1, "TMultipleChoiceQuestion", "MULTIPLE_CHOICE"},
      {2, "TImageQuestion", "SELECT_AND_PLACE"},
      {3, "TImageQuestion", "POINT_AND_SHOT"},
      {4, "TTreeQuestion", "CREATE_A_TREE"},
      {5, "TTreeQuestion", "BUILD_LIST_AND_REORDER"},
      {7, "TDropAndConnectQuestion", "DROP_AND_CONNECT"},
      {8, "TFillInTheBlankQuestion", "FILL_IN_THE_BLANK"},
      {9, "TImageQuestion", "HOT_AREA"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TQuestion> q = QuestionClassByType(c.type).Create();
    q->SetQuestionType(c.type);
    EXPECT_EQ(q->ClassName(), c.className);
    EXPECT_EQ(q->GetTypeName(), ZUKLocalizedText(c.nameKey));
    EXPECT_EQ(q->GetTypeCode(), c.type);
    EXPECT_EQ(q->GetCaption(), ZUKLocalizedText("QUESTION"));
    EXPECT_EQ(q->GetImageIndex(), 2);
  }
  for (uint8_t type : {6, 10, 200, 255}) {
    EXPECT_THROW(QuestionClassByType(type), EZUKUnknownQuestionType);
    EXPECT_EQ(GetQuestionTypeName(type), "");
  }
}

TEST(ZUKQuestionTest, NewQuestionsTakeTheirDefaults) {
  TMultipleChoiceQuestion mc;
  EXPECT_EQ(mc.SectionId, -1);
  EXPECT_EQ(mc.Setting, 5);
  EXPECT_EQ(mc.ExhibitCount, 0);
  EXPECT_TRUE(mc.HasAnswer);
  EXPECT_EQ(mc.ChoiceCount, 4);
  EXPECT_TRUE(mc.Flag1);
  EXPECT_FALSE(mc.Flag2);
  EXPECT_FALSE(mc.HasCaseStudy);
  EXPECT_EQ(mc.CaseStudyTitle, ZUKLocalizedText("CASE_STUDY_TITLE"));

  TFillInTheBlankQuestion blank;
  EXPECT_EQ(blank.BlankValue, 1);
  EXPECT_FALSE(blank.Flag1);
  EXPECT_TRUE(blank.Flag2);
  EXPECT_TRUE(blank.Flag3);

  TDropAndConnectQuestion dnc;
  EXPECT_EQ(dnc.ConnectorsTitle, ZUKLocalizedText("CONNECTORS"));
  EXPECT_EQ(dnc.BoxWidth, 90);
  EXPECT_EQ(dnc.BoxHeight, 70);

  TImageQuestion image;
  EXPECT_EQ(image.Option1, 0);
  EXPECT_EQ(image.Option2, 0);

  for (auto [type, key] :
       {std::pair{4, "TREE_STRUCTURE_TITLE_PROPERTY"}, {5, "ORDERED_LIST_TITLE_PROPERTY"}}) {
    TTreeQuestion tree;
    tree.SetQuestionType(static_cast<uint8_t>(type));
    EXPECT_EQ(tree.StructureTitle, ZUKLocalizedText(key));
    EXPECT_EQ(tree.AnswerChoicesTitle, ZUKLocalizedText("ANSWER_CHOICES_TITLE_PROPERTY"));
    EXPECT_EQ(tree.TreeOption, 0);
    EXPECT_TRUE(tree.Flag1);
    EXPECT_FALSE(tree.Flag2);
  }
}

TEST(ZUKQuestionTest, CountsRichTextParts) {
  TMultipleChoiceQuestion mc;
  mc.ChoiceCount = 5;
  mc.HasCaseStudy = true;
  EXPECT_EQ(mc.GetPartCount(), 8);
  mc.HasCaseStudy = false;
  EXPECT_EQ(mc.GetPartCount(), 7);
  mc.ChoiceCount = INT32_MAX;
  EXPECT_EQ(mc.GetPartCount(), int64_t{INT32_MAX} + 2);
  EXPECT_EQ(TFillInTheBlankQuestion().GetPartCount(), 2);
}

TEST(ZUKQuestionTest, EveryKindSavesTheRecordItLoaded) {
  for (uint8_t type : kAllTypes) {
    for (int exhibits : {0, 2}) {
      const std::string record = Saved(*MakeQuestion(Desc(type, exhibits)));
      std::unique_ptr<TQuestion> loaded = LoadRecord(record);
      EXPECT_EQ(Saved(*loaded), record) << "type " << int(type);
      EXPECT_EQ(loaded->SectionId, 40 + type);
      EXPECT_EQ(loaded->Setting, 9);
      EXPECT_EQ(loaded->ExhibitCount, exhibits);
      EXPECT_EQ(loaded->Answer.DataString(), "AB");
      EXPECT_EQ(loaded->QuestionParts.DataString(),
                PartsBytes({"question", "choice A", "choice B", "explanation"}));
    }
  }
}

TEST(ZUKQuestionTest, SkipStepsOverExactlyOneRecordAndGivesItsSection) {
  for (uint8_t type : kAllTypes) {
    for (int exhibits : {0, 1, 255}) {
      TMemoryStream in(Saved(*MakeQuestion(Desc(type, exhibits))) + "\x42");
      ASSERT_EQ(ReadByte(in), type);
      EXPECT_EQ(QuestionClassByType(type).Skip(in), 40 + type);
      EXPECT_EQ(ReadByte(in), 0x42) << "type " << int(type) << ", " << exhibits << " exhibits";
    }
  }
}

TEST(ZUKQuestionTest, ExhibitsSubStreamIsPresentOnlyWithExhibits) {
  const std::string without = Saved(*MakeQuestion(Desc(0, 0)));
  const std::string with = Saved(*MakeQuestion(Desc(0, 2)));
  const std::string exhibits = ExhibitBytes(Desc(0, 2).exhibits);
  EXPECT_EQ(with.size(), without.size() + 4 + exhibits.size());

  std::unique_ptr<TQuestion> loaded = LoadRecord(with);
  TMemoryStream& e = loaded->Exhibits;
  e.SetPosition(0);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(ReadString(e), "Exhibit " + std::to_string(i));
    EXPECT_EQ(ReadByte(e), 1);
    TMemoryStream image;
    EXPECT_EQ(ReadStream(e, image), 4);
    EXPECT_EQ(image.DataString(), "JFIF");
  }
  EXPECT_EQ(e.Remaining(), 0);
}

TEST(ZUKQuestionTest, ExhibitCountsOutsideAByteAreRefusedByLoadAndSkip) {
  for (uint8_t type : kAllTypes) {
    for (int32_t count : {256, -1, INT32_MIN, 0x101}) {
      std::string record = Saved(*MakeQuestion(Desc(type, 1)));
      PatchInt32(record, 9, count);
      EXPECT_THROW(LoadRecord(record), EZUKIncorrectFileFormat) << count;
      TMemoryStream in(record);
      ReadByte(in);
      EXPECT_THROW(QuestionClassByType(type).Skip(in), EZUKIncorrectFileFormat) << count;
    }
  }
}

TEST(ZUKQuestionTest, QuestionStreamAndAnswerText) {
  struct Case {
    uint8_t type;
    std::string content;
  };
  for (const Case& c :
       std::vector<Case>{{0, PartsBytes({"question", "choice A", "choice B", "explanation"})},
                         {7, "data one"},
                         {2, "data one"},
                         {9, "data one"},
                         {4, "data one"},
                         {8, PartsBytes({"question", "choice A", "choice B", "explanation"})}}) {
    std::unique_ptr<TQuestion> q = MakeQuestion(Desc(c.type, 0));
    EXPECT_EQ(q->GetQuestionStream().DataString(), c.content) << int(c.type);
  }
  auto mc = MakeQuestion(Desc(1, 0));
  EXPECT_EQ(dynamic_cast<TMultipleChoiceQuestion&>(*mc).AnswerText(), "AB");
}

// Kinds whose records end in scalars: a cut inside a final length prefix would read as an
// empty value, which the file's trailer check catches instead.
TEST(ZUKQuestionTest, SkipRefusesEveryRecordCutShort) {
  for (uint8_t type : {4, 5, 7, 8}) {
    const std::string record = Saved(*MakeQuestion(Desc(type, 1)));
    for (size_t size = 1; size < record.size(); ++size) {
      TMemoryStream in(record.substr(0, size));
      ReadByte(in);
      bool refused = false;
      try {
        QuestionClassByType(type).Skip(in);
      } catch (const EReadError&) {
        refused = true;
      } catch (const EZUKIncorrectFileFormat&) {
        refused = true;
      }
      EXPECT_TRUE(refused) << "type " << int(type) << " cut at " << size;
    }
  }
}
