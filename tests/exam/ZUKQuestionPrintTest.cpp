// Printing questions into a viewer's document: the order of the slots, headings and styles,
// the two-cell tables of the choices, exhibits, answers and responses, and bad data. The
// document is read back item by item, one line per paragraph.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "ZUKPrintTestSupport.h"
#include "exam/ZUKException.h"
#include "exam/ZUKFileBuilder.h"
#include "exam/ZUKQuestion.h"
#include "platform/core/CodePages.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/GraphicsTestSupport.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/HTMLTestSupport.h"
#include "richtext/core/RVItem.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/RVPageDriver.h"
#include "richtext/viewer/RVRVData.h"

namespace {

using printtest::SetStream;
using printtest::TValues;

std::string Describe(TCustomRVData& data, int itemNo);

std::string CellText(TCustomRVData& cell) {
  std::string text;
  for (int i = 0; i < cell.GetItemCount(); ++i) text += (i > 0 ? " " : "") + Describe(cell, i);
  return text;
}

/// "style:text" for text, "table[first cell|second cell]" and "picture WxH".
std::string Describe(TCustomRVData& data, int itemNo) {
  TCustomRVItemInfo* item = data.GetItem(itemNo);
  if (item->StyleNo >= 0)
    return std::to_string(item->StyleNo) + ":" + WideToMultiByte(CP_UTF8, 0, data.GetItemTextW(itemNo));
  if (auto* table = dynamic_cast<TRVTableItemInfo*>(item)) {
    std::string text = "table[";
    for (int col = 0; col < table->Rows().GetColCount(); ++col)
      text += (col > 0 ? "|" : "") + CellText(*table->GetCell(0, col));
    return text + "]";
  }
  if (auto* picture = dynamic_cast<TRVGraphicItemInfo*>(item))
    return "picture " + std::to_string(picture->Image->Width()) + "x" +
           std::to_string(picture->Image->Height());
  return "item " + std::to_string(item->StyleNo);
}

class QuestionPrintTest : public printtest::PrintTestBase {
 protected:
  /// One line per paragraph: "p<para> " and its items joined by " + ".
  std::vector<std::string> Paragraphs() {
    TCustomRVData& data = viewer.RVData();
    std::vector<std::string> lines;
    for (int i = 0; i < data.GetItemCount(); ++i) {
      if (lines.empty() || data.GetItem(i)->IsParaStart())
        lines.push_back("p" + std::to_string(data.GetItem(i)->ParaNo) + " " + Describe(data, i));
      else
        lines.back() += " + " + Describe(data, i);
    }
    return lines;
  }

  /// A multiple-choice question whose parts are the texts given (question, [case study],
  /// choices, explanation).
  std::unique_ptr<TMultipleChoiceQuestion> Choice(const std::vector<std::u16string>& parts, int32_t choices,
                                                  bool caseStudy = false) {
    ZUKQuestionDesc desc;
    for (const auto& text : parts) desc.parts.push_back(Part(text));
    desc.number = choices;
    desc.flag = caseStudy;
    desc.title = "Contoso";
    desc.answer = "B";
    std::unique_ptr<TQuestion> q = MakeQuestion(desc);
    return std::unique_ptr<TMultipleChoiceQuestion>(static_cast<TMultipleChoiceQuestion*>(q.release()));
  }

  std::string GIFBytes() {
    TMemoryStream out;
    zukpart::SolidGIF(12, 8, clRed)->SaveToStream(out);
    return out.DataString();
  }
};

TEST_F(QuestionPrintTest, QuestionAndChoicesMakeLabelledTwoCellTables) {
  auto q = Choice({u"Which one?", u"alpha", u"beta", u"gamma", u"because"}, 3);
  q->Print(viewer, qpfQuestion, "", 7, false, nullptr);
  EXPECT_EQ(Paragraphs(),
            (std::vector<std::string>{"p0 1:QUESTION 7", "p0 0:Which one?", "p0 1:", "p0 table[0:A.|0:alpha]",
                                      "p0 table[0:B.|0:beta]", "p0 table[0:C.|0:gamma]", "p0 1:"}));
  auto* table = dynamic_cast<TRVTableItemInfo*>(viewer.GetItem(3));
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->Rows().Count(), 1);
  EXPECT_EQ(table->GetCell(0, 0)->BestWidth, 21);
  EXPECT_EQ(table->GetCell(0, 1)->BestWidth, 0);
  EXPECT_EQ(table->BorderWidth, 0);
  EXPECT_EQ(table->BorderHSpacing, 0);
  EXPECT_EQ(table->BorderVSpacing, 2);
  EXPECT_EQ(table->CellHSpacing, 0);
  EXPECT_EQ(table->CellVSpacing, 0);
  EXPECT_EQ(table->CellPadding, 0);
  viewer.Format();  // the printed document lays out
}

TEST_F(QuestionPrintTest, PrintedToPaperTheChoicesReadWithTheirLabels) {
  if (!gfxtest::RunCommand("pdftotext -v 2>&1")) GTEST_SKIP() << "poppler-utils (pdftotext) is not installed";
  auto q = Choice({u"Which one?", u"alpha", u"beta", u"gamma", u"because"}, 3);
  q->Print(viewer, qpfQuestion | qpfCorrectAnswer, "", 7, false, nullptr);
  viewer.Format();
  std::string folder = (std::filesystem::temp_directory_path() / "zuk-qprint-XXXXXX").string();
  ASSERT_NE(mkdtemp(folder.data()), nullptr);
  const std::string pdf = folder + "/question.pdf";
  TRVPageDriver driver(viewer);
  EXPECT_EQ(driver.PrintToPDF(pdf, 150), 1);
  const auto text = gfxtest::RunCommand("pdftotext -layout '" + pdf + "' - 2>/dev/null");
  std::filesystem::remove_all(folder);
  ASSERT_TRUE(text.has_value());
  // What a reader of the printed page sees: the heading, the question, each label beside its
  // choice on one line, then the answer, in this order. (The bold heading after the tables
  // once ran into the answer: the tables' cell fonts were left on the layout canvas.)
  std::vector<std::string> lines;
  std::string line;
  for (char c : *text) {
    if (c != '\n') {
      line += c;
      continue;
    }
    std::string words;
    for (size_t i = 0; i < line.size(); ++i)
      if (line[i] != ' ' || (!words.empty() && words.back() != ' ')) words += line[i];
    while (!words.empty() && words.back() == ' ') words.pop_back();
    if (!words.empty()) lines.push_back(words);
    line.clear();
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"QUESTION 7", "Which one?", "A. alpha", "B. beta", "C. gamma",
                                             "Correct Answer: B"}));
}

TEST_F(QuestionPrintTest, EverySlotInItsOrder) {
  auto q = Choice({u"Q", u"the study", u"one", u"two", u"why"}, 2, true);
  q->ExhibitCount = 1;
  SetStream(q->Exhibits, ExhibitBytes({{"Network", 0, GIFBytes()}}));
  TMemoryStream response(TValues().Int(1).Int(0).Str("A").Bytes());
  q->Print(viewer, 0x0FE0, "Routing", 3, true, &response);
  EXPECT_EQ(Paragraphs(),
            (std::vector<std::string>{
                "p0 1:QUESTION 3", "p0 0:Q", "p0 1:", "p0 1:(Case Study): Contoso", "p0 0:the study", "p0 1:",
                "p0 1:Exhibit:", "p0 picture 12x8", "p0 0:", "p0 table[0:A.|0:one]", "p0 table[0:B.|0:two]",
                "p0 1:", "p0 1:Correct Answer:  + 0:B", "p0 1:Candidate Response:  + 0:A (CORRECT_MARK)",
                "p0 1:Section:  + 0:Routing", "p0 1:", "p0 1:Explanation/Reference:", "p0 0:why"}));
}

TEST_F(QuestionPrintTest, EachSlotFindsItsOwnPartWhateverIsLeftOut) {
  auto q = Choice({u"Q", u"the study", u"one", u"two", u"why"}, 2, true);
  q->Print(viewer, qpfExplanation, "", 1, false, nullptr);
  EXPECT_EQ(Paragraphs(), (std::vector<std::string>{"p0 1:", "p0 1:Explanation/Reference:", "p0 0:why"}));
  viewer.Clear();
  q->Print(viewer, qpfCaseStudy, "", 1, false, nullptr);
  EXPECT_EQ(Paragraphs(),
            (std::vector<std::string>{"p0 1:(Case Study): Contoso", "p0 0:the study", "p0 1:"}));
  // Without a case study the second part is the first choice, and no case study prints.
  viewer.Clear();
  auto plain = Choice({u"Q", u"one", u"why"}, 1);
  plain->Print(viewer, qpfCaseStudy | qpfExplanation, "", 1, false, nullptr);
  EXPECT_EQ(Paragraphs(), (std::vector<std::string>{"p0 1:", "p0 1:Explanation/Reference:", "p0 0:why"}));
}

TEST_F(QuestionPrintTest, QuestionNumberChoosesTheHeading) {
  auto q = Choice({u"text", u"a", u"e"}, 1);
  q->PrintQuestion(viewer, 0);
  q->PrintQuestion(viewer, -1);
  q->PrintQuestion(viewer, 12);
  EXPECT_EQ(Paragraphs(),
            (std::vector<std::string>{"p0 1:Explanation/Reference:", "p0 0:text", "p0 1:", "p0 0:text",
                                      "p0 1:", "p0 1:QUESTION 12", "p0 0:text", "p0 1:"}));
}

TEST_F(QuestionPrintTest, MissingPartsPrintNothingButTheirLines) {
  auto q = Choice({u"only the question"}, 4);
  q->Print(viewer, qpfQuestion | qpfExplanation, "", 2, false, nullptr);
  EXPECT_EQ(Paragraphs(), (std::vector<std::string>{"p0 1:QUESTION 2", "p0 0:only the question",
                                                    "p0 1:", "p0 1:", "p0 1:"}));
}

TEST_F(QuestionPrintTest, ChoiceCountBeyondThePartsPrintsThePartsThereAre) {
  for (int32_t count : {INT32_MAX, -3}) {
    viewer.Clear();
    auto q = Choice({u"Q", u"one", u"two"}, count);
    q->PrintChoices(viewer);
    const std::vector<std::string> expected =
        count > 0 ? std::vector<std::string>{"p0 table[0:A.|0:one]", "p0 table[0:B.|0:two]", "p0 1:"}
                  : std::vector<std::string>{"p0 1:"};
    EXPECT_EQ(Paragraphs(), expected) << count;
  }
}

TEST_F(QuestionPrintTest, ExhibitHeadingsAndPictures) {
  auto q = Choice({u"Q"}, 0);
  q->ExhibitCount = 1;
  SetStream(q->Exhibits, ExhibitBytes({{"Only", 1, [] {
                                          TMemoryStream out;
                                          htmltest::SolidJPEG(20, 10, clBlue)->SaveToStream(out);
                                          return out.DataString();
                                        }()}}));
  q->PrintExhibits(viewer, false);
  EXPECT_EQ(Paragraphs(), (std::vector<std::string>{"p0 1:Exhibit:", "p0 picture 20x10", "p0 0:"}));

  // Two exhibits are headed by their titles; kinds other than pictures show none; data that
  // does not decode shows the sheet's invalid-picture image.
  viewer.Clear();
  q->ExhibitCount = 3;
  SetStream(q->Exhibits, ExhibitBytes({{"Plan", 0, GIFBytes()}, {"Notes", 7, "x"}, {"Broken", 0, "GIF89a"}}));
  q->PrintExhibits(viewer, false);
  const TGraphic* invalid = sheet.InvalidPicture().Graphic();
  const std::string invalidPicture =
      "picture " + std::to_string(invalid->Width()) + "x" + std::to_string(invalid->Height());
  EXPECT_EQ(Paragraphs(), (std::vector<std::string>{
                              "p0 1:Plan (exhibit):", "p0 picture 12x8", "p0 0:", "p0 1:Notes (exhibit):",
                              "p0 1:Broken (exhibit):", "p0 " + invalidPicture, "p0 0:"}));
  // The titled heading can be forced for a single exhibit.
  viewer.Clear();
  q->ExhibitCount = 1;
  q->PrintExhibits(viewer, true);
  EXPECT_EQ(Paragraphs().front(), "p0 1:Plan (exhibit):");
}

TEST_F(QuestionPrintTest, CutOffExhibitsAreAnError) {
  auto q = Choice({u"Q"}, 0);
  q->ExhibitCount = 2;  // one record only
  SetStream(q->Exhibits, ExhibitBytes({{"Plan", 0, GIFBytes()}}));
  EXPECT_THROW(q->PrintExhibits(viewer, false), EZUKIncorrectFileFormat);
  q->ExhibitCount = 1;
  std::string bytes = ExhibitBytes({{"Plan", 0, GIFBytes()}});
  bytes.resize(bytes.size() - 5);  // the picture runs past the end
  SetStream(q->Exhibits, bytes);
  EXPECT_THROW(q->PrintExhibits(viewer, false), EZUKIncorrectFileFormat);
}

TEST_F(QuestionPrintTest, ResponsesAndMarks) {
  auto q = Choice({u"Q", u"a", u"b", u"e"}, 2);
  TMemoryStream empty(TValues().Int(0).Int(0).Str("").Bytes());
  q->PrintCandidateResponse(viewer, false, &empty);
  q->PrintCandidateResponse(viewer, true, nullptr);
  TMemoryStream nothing;
  q->PrintCandidateResponse(viewer, true, &nothing);
  EXPECT_EQ(Paragraphs(), (std::vector<std::string>{"p0 1:Candidate Response:  + 0:[None] (INCORRECT_MARK)",
                                                    "p0 1:Candidate Response:  + 0:[None] (CORRECT_MARK)",
                                                    "p0 1:Candidate Response:  + 0:[None] (CORRECT_MARK)"}));
  // The response text follows ChoiceCount values: one too few cuts the record.
  TMemoryStream cut(TValues().Int(0).Bytes());
  EXPECT_THROW(q->PrintCandidateResponse(viewer, true, &cut), EZUKIncorrectFileFormat);
  TMemoryStream longText(TValues().Int(0).Int(0).Int(50).Bytes());
  EXPECT_THROW(q->PrintCandidateResponse(viewer, true, &longText), EZUKIncorrectFileFormat);
}

TEST_F(QuestionPrintTest, FillInTheBlankJoinsTheAcceptedAnswers) {
  ZUKQuestionDesc desc;
  desc.type = 8;
  desc.parts = {Part(u"Name it"), Part(u"why")};
  desc.answer = TValues().Str("router").Str("gateway").Str("hop").Bytes();
  desc.number = 3;
  std::unique_ptr<TQuestion> q = MakeQuestion(desc);
  TMemoryStream response(TValues().Str("switch").Bytes());
  q->Print(viewer, qpfCorrectAnswer | qpfCandidateResponse, "", 1, false, &response);
  EXPECT_EQ(Paragraphs(),
            (std::vector<std::string>{"p0 1:Correct Answer:  + 0:router -or- gateway -or- hop",
                                      "p0 1:Candidate Response:  + 0:switch (INCORRECT_MARK)"}));
  // A count beyond the strings stored stops at the end; an empty answer prints the heading.
  viewer.Clear();
  static_cast<TFillInTheBlankQuestion&>(*q).BlankValue = 1000000;
  q->PrintCorrectAnswer(viewer);
  SetStream(q->Answer, "");
  q->PrintCorrectAnswer(viewer);
  TMemoryStream none;
  q->PrintCandidateResponse(viewer, true, &none);
  EXPECT_EQ(Paragraphs(), (std::vector<std::string>{"p0 1:Correct Answer:  + 0:router -or- gateway -or- hop",
                                                    "p0 1:Correct Answer: ",
                                                    "p0 1:Candidate Response:  + 0:[None] (CORRECT_MARK)"}));
}

TEST_F(QuestionPrintTest, ImageKindsPrintTheBaseSlots) {
  ZUKQuestionDesc desc;
  desc.type = 9;
  desc.parts = {Part(u"Click the area"), Part(u"why")};
  std::unique_ptr<TQuestion> q = MakeQuestion(desc);
  q->Print(viewer, 0x0FE0, "S", 4, false, nullptr);
  EXPECT_EQ(Paragraphs(), (std::vector<std::string>{"p0 1:QUESTION 4", "p0 0:Click the area",
                                                    "p0 1:", "p0 1:Correct Answer: ",
                                                    "p0 1:Candidate Response: ", "p0 1:Section:  + 0:S",
                                                    "p0 1:", "p0 1:Explanation/Reference:", "p0 0:why"}));
}

TEST_F(QuestionPrintTest, PartsThatCannotBeReadAreAnError) {
  auto q = Choice({u"Q"}, 0);
  std::string parts = q->QuestionParts.DataString();
  parts.resize(parts.size() - 3);  // the part runs past the end of its stream
  SetStream(q->QuestionParts, parts);
  EXPECT_THROW(q->PrintQuestion(viewer, 1), EZUKIncorrectFileFormat);
  SetStream(q->QuestionParts, TValues().Sub("not a rich-text document").Bytes());
  EXPECT_THROW(q->PrintQuestion(viewer, 1), EZUKIncorrectFileFormat);
}

}  // namespace
