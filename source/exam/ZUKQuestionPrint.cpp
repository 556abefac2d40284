// Printing a question into a viewer's document: numbered question text, case study, exhibits,
// answer choices, correct answer, the candidate's response, section and explanation, each as
// the viewer's sheet shows it (text style 0 plain, 1 bold; paragraph style 0 normal, 8
// centred). The parts are RVF documents kept as consecutive plain sub-streams; each slot finds
// its own part by index, so the slots a caller leaves out never shift the ones it prints.
#include <memory>

#include "exam/ZUKDrawingRoutines.h"
#include "exam/ZUKException.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKStream.h"
#include "gif/GIFImage.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/RVGraphicFuncs.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/RVRVData.h"
#include "richtext/viewer/RVViewer.h"

namespace {

constexpr int kPlainText = 0;
constexpr int kBoldText = 1;
constexpr int kNormalPara = 0;
constexpr int kCentredPara = 8;
/// A paragraph number that continues the paragraph of the item before.
constexpr int kSamePara = -1;

/// Width of the label cell of a choice table.
constexpr int32_t kLabelCellWidth = 21;

// Exhibit kinds.
constexpr uint8_t kGIFExhibit = 0;
constexpr uint8_t kJPEGExhibit = 1;
/// Title length, kind and image length: an exhibit record shorter than that is cut off.
constexpr int64_t kMinExhibitRecordSize = 9;

void AddText(TCustomRVViewer& viewer, std::u16string_view text, int style, int para) {
  viewer.AddTextLineWithTag(text, style, para, 0);
}

void AddEmptyLine(TCustomRVViewer& viewer, int style) {
  AddText(viewer, u"", style, kNormalPara);
}

void AddCentredPicture(TCustomRVViewer& viewer, std::unique_ptr<TBitmap> picture) {
  if (picture) viewer.AddPicture("", std::move(picture), kCentredPara, 0);
}

std::u16string MarkText(bool isCorrect) {
  return LocalizedTextW(isCorrect ? "CORRECT_MARK" : "INCORRECT_MARK");
}

std::u16string TextOrNone(const std::string& text) {
  return text.empty() ? LocalizedTextW("NONE_RESPONSE") : ExamTextW(text);
}

/// "Candidate Response (mark): " in bold, the heading of the pictured responses.
void AddMarkedResponseHeading(TCustomRVViewer& viewer, bool isCorrect) {
  AddText(viewer, LocalizedTextW("CANDIDATE_RESPONSE_FOR_PRINT") + u" (" + MarkText(isCorrect) + u"): ",
          kBoldText, kNormalPara);
}

/// The text of a typed response: the first plain string of `response` after `skipped` int32
/// values, from the stream's start; none for an empty stream. A stream too short for the values
/// is a broken response.
std::string ReadResponseText(TStream* response, int64_t skipped) {
  if (response == nullptr || response->Size() == 0) return {};
  response->SetPosition(0);
  if (skipped < 0) skipped = 0;
  if (skipped * 4 > response->Remaining()) throw EZUKIncorrectFileFormat();
  response->Seek(skipped * 4, soCurrent);
  try {
    return ReadString(*response);
  } catch (const EReadError&) {
    throw EZUKIncorrectFileFormat();
  }
}

/// The exhibit's picture, or the sheet's invalid-picture image when its data does not decode.
std::unique_ptr<TGraphic> LoadExhibitPicture(uint8_t kind, TStream& data, TRVStyle* style) {
  std::unique_ptr<TGraphic> picture;
  if (kind == kGIFExhibit)
    picture = std::make_unique<TGIFImage>();
  else
    picture = std::make_unique<TJPEGImage>();
  try {
    data.SetPosition(0);
    picture->LoadFromStream(data);
    if (!picture->Empty()) return picture;
  } catch (const std::exception&) {
  }
  if (style == nullptr) return nullptr;
  const TGraphic* invalid = style->InvalidPicture().Graphic();
  return invalid != nullptr ? RVCopyGraphic(*invalid) : nullptr;
}

/// Positions `parts` at the start of part `index`; false when it has fewer parts.
bool SeekPart(TMemoryStream& parts, int64_t index) {
  parts.SetPosition(0);
  if (index < 0) return false;
  try {
    for (int64_t i = 0; i < index; ++i) {
      if (parts.Remaining() < 4) return false;
      SkipStream(parts);
    }
  } catch (const EReadError&) {
    throw EZUKIncorrectFileFormat();
  }
  return parts.Remaining() >= 4;
}

/// Reads the part at the position of `parts` into `part`; false when no part is left.
bool ReadNextPart(TMemoryStream& parts, TMemoryStream& part) {
  part.Clear();
  if (parts.Remaining() < 4) return false;
  try {
    ReadStream(parts, part);
  } catch (const EReadError&) {
    throw EZUKIncorrectFileFormat();
  }
  part.SetPosition(0);
  return true;
}

}  // namespace

std::unique_ptr<TRVTableItemInfo> AppendRVFForPrint(TCustomRVViewer& viewer, TStream* part, bool direct,
                                                    TColor color, int32_t number) {
  std::unique_ptr<TRVTableItemInfo> table;
  if (!direct) {
    table = TRVTableItemInfo::CreateWithSize(1, 2, &viewer.RVData());
    table->GetCell(0, 0)->Clear();
    table->GetCell(0, 1)->Clear();
    table->GetCell(0, 0)->BestWidth = kLabelCellWidth;
    table->BorderWidth = 0;
    table->BorderHSpacing = 0;
    table->BorderVSpacing = 2;
    table->CellVSpacing = 0;
    table->CellHSpacing = 0;
    table->CellPadding = 0;
  }
  if (part == nullptr || part->Size() == 0) return table;
  part->SetPosition(0);
  if (!direct) {
    TColor background = color;
    if (!table->GetCell(0, 1)->LoadRVFFromStream(*part, background, nullptr, nullptr))
      throw EZUKIncorrectFileFormat();
    return table;
  }
  if (number >= 1)
    AddText(viewer, LocalizedTextW("QUESTION_UPPER") + u" " + ExamTextW(IntToStr(number)), kBoldText,
            kNormalPara);
  else if (number == 0)
    AddText(viewer, LocalizedTextW("EXPLANATION_REFERENCE_TITLE") + u":", kBoldText, kNormalPara);
  if (!viewer.InsertRVFFromStream(*part, viewer.GetItemCount())) throw EZUKIncorrectFileFormat();
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// TQuestion

void TQuestion::ReadPrintPart(int64_t index, TMemoryStream& part) {
  part.Clear();
  TMemoryStream& parts = PrintPartStream();
  if (SeekPart(parts, index)) ReadNextPart(parts, part);
}

void TQuestion::Print(TCustomRVViewer& viewer, uint16_t flags, const std::string& sectionName, int32_t number,
                      bool isCorrect, TStream* response) {
  if ((flags & qpfQuestion) != 0) PrintQuestion(viewer, number);
  if ((flags & qpfCaseStudy) != 0) PrintCaseStudy(viewer);
  if ((flags & qpfExhibits) != 0 && ExhibitCount > 0) PrintExhibits(viewer, false);
  if ((flags & qpfQuestion) != 0) PrintChoices(viewer);
  if ((flags & qpfCorrectAnswer) != 0) PrintCorrectAnswer(viewer);
  if ((flags & qpfCandidateResponse) != 0) PrintCandidateResponse(viewer, isCorrect, response);
  if ((flags & qpfSection) != 0) {
    AddText(viewer, LocalizedTextW("SECTION") + u": ", kBoldText, kNormalPara);
    if (!sectionName.empty()) AddText(viewer, ExamTextW(sectionName), kPlainText, kSamePara);
  }
  if ((flags & qpfExplanation) != 0) PrintExplanation(viewer);
}

void TQuestion::PrintQuestion(TCustomRVViewer& viewer, int32_t number) {
  TMemoryStream part;
  ReadPrintPart(0, part);
  AppendRVFForPrint(viewer, &part, true, clNone, number);
  AddEmptyLine(viewer, kBoldText);
}

void TQuestion::PrintCorrectAnswer(TCustomRVViewer& viewer) {
  AddText(viewer, LocalizedTextW("CORRECT_ANSWER_FOR_PRINT") + u" ", kBoldText, kNormalPara);
}

void TQuestion::PrintCandidateResponse(TCustomRVViewer& viewer, bool /*isCorrect*/, TStream* /*response*/) {
  AddText(viewer, LocalizedTextW("CANDIDATE_RESPONSE_FOR_PRINT") + u": ", kBoldText, kNormalPara);
}

void TQuestion::PrintExplanation(TCustomRVViewer& viewer) {
  AddEmptyLine(viewer, kBoldText);
  TMemoryStream part;
  ReadPrintPart(GetPartCount() - 1, part);
  AppendRVFForPrint(viewer, &part, true, clNone, 0);
}

void TQuestion::PrintExhibits(TCustomRVViewer& viewer, bool titled) {
  if (ExhibitCount == 0 || Exhibits.Size() == 0) return;
  Exhibits.SetPosition(0);
  const bool useTitles = titled || ExhibitCount > 1;
  try {
    for (int i = 0; i < ExhibitCount; ++i) {
      if (Exhibits.Remaining() < kMinExhibitRecordSize) throw EZUKIncorrectFileFormat();
      const std::string title = ReadString(Exhibits);
      const std::u16string heading = useTitles
                                         ? ExamTextW(title) + u" " + LocalizedTextW("EXHIBIT_AFTER_FOR_PRINT")
                                         : LocalizedTextW("EXHIBIT_BEGIN_FOR_PRINT");
      AddText(viewer, heading, kBoldText, kNormalPara);
      const uint8_t kind = ReadByte(Exhibits);
      TMemoryStream image;
      ReadStream(Exhibits, image);
      if (kind != kGIFExhibit && kind != kJPEGExhibit) continue;
      std::unique_ptr<TGraphic> picture = LoadExhibitPicture(kind, image, viewer.Style());
      if (picture) viewer.AddPicture("", std::move(picture), kNormalPara, 0);
      AddEmptyLine(viewer, kPlainText);
    }
  } catch (const EReadError&) {
    throw EZUKIncorrectFileFormat();
  }
}

// ---------------------------------------------------------------------------------------
// Multiple choice

void TMultipleChoiceQuestion::PrintCaseStudy(TCustomRVViewer& viewer) {
  if (!HasCaseStudy) return;
  AddText(viewer, LocalizedTextW("CASE_STUDY_FOR_PRINT") + u" " + ExamTextW(CaseStudyTitle), kBoldText,
          kNormalPara);
  TMemoryStream part;
  ReadPrintPart(1, part);
  AppendRVFForPrint(viewer, &part, true, clNone, -1);
  AddEmptyLine(viewer, kBoldText);
}

void TMultipleChoiceQuestion::PrintChoices(TCustomRVViewer& viewer) {
  TMemoryStream& parts = PrintPartStream();
  if (ChoiceCount > 0 && SeekPart(parts, FirstChoicePart())) {
    TMemoryStream part;
    // A count beyond the parts the stream holds prints the choices there are.
    for (int32_t i = 0; i < ChoiceCount && ReadNextPart(parts, part); ++i) {
      std::unique_ptr<TRVTableItemInfo> table = AppendRVFForPrint(viewer, &part, false, clNone, -1);
      const char label[] = {static_cast<char>('A' + i), '.'};
      table->GetCell(0, 0)->AddWideTextItem(ExamTextW(std::string_view(label, 2)), kPlainText, kNormalPara,
                                            TRVTag());
      viewer.AddItem("", std::move(table));
    }
  }
  AddEmptyLine(viewer, kBoldText);
}

void TMultipleChoiceQuestion::PrintCorrectAnswer(TCustomRVViewer& viewer) {
  TQuestion::PrintCorrectAnswer(viewer);
  const std::string answer = AnswerText();
  if (!answer.empty()) AddText(viewer, ExamTextW(answer), kPlainText, kSamePara);
}

void TMultipleChoiceQuestion::PrintCandidateResponse(TCustomRVViewer& viewer, bool isCorrect,
                                                     TStream* response) {
  TQuestion::PrintCandidateResponse(viewer, isCorrect, response);
  const std::string text = ReadResponseText(response, ChoiceCount);
  AddText(viewer, TextOrNone(text) + u" (" + MarkText(isCorrect) + u")", kPlainText, kSamePara);
}

// ---------------------------------------------------------------------------------------
// Fill in the blank

void TFillInTheBlankQuestion::PrintCorrectAnswer(TCustomRVViewer& viewer) {
  TQuestion::PrintCorrectAnswer(viewer);
  Answer.SetPosition(0);
  std::u16string accepted;
  try {
    // Stops where the stream ends, whatever count the record claims.
    for (int32_t i = 0; i < BlankValue && Answer.Remaining() >= 4; ++i) {
      if (i > 0) accepted += u" " + LocalizedTextW("FILL_IN_THE_BLANK_ANSWER_UNION_OR") + u" ";
      accepted += ExamTextW(ReadString(Answer));
    }
  } catch (const EReadError&) {
    throw EZUKIncorrectFileFormat();
  }
  if (!accepted.empty()) AddText(viewer, accepted, kPlainText, kSamePara);
}

void TFillInTheBlankQuestion::PrintCandidateResponse(TCustomRVViewer& viewer, bool isCorrect,
                                                     TStream* response) {
  TQuestion::PrintCandidateResponse(viewer, isCorrect, response);
  const std::string text = ReadResponseText(response, 0);
  AddText(viewer, TextOrNone(text) + u" (" + MarkText(isCorrect) + u")", kPlainText, kSamePara);
}

// ---------------------------------------------------------------------------------------
// Drop and connect

void TDropAndConnectQuestion::PrintChoices(TCustomRVViewer& viewer) {
  AddText(viewer, UiTextW(GetTypeName()) + u":", kBoldText, kNormalPara);
  AddCentredPicture(viewer, DrawChoicesPicture());
  AddEmptyLine(viewer, kPlainText);
}

void TDropAndConnectQuestion::PrintCorrectAnswer(TCustomRVViewer& viewer) {
  TQuestion::PrintCorrectAnswer(viewer);
  AddCentredPicture(viewer, DrawBoxDiagram(&DiagramData2, &Answer));
  AddEmptyLine(viewer, kPlainText);
}

void TDropAndConnectQuestion::PrintCandidateResponse(TCustomRVViewer& viewer, bool isCorrect,
                                                     TStream* response) {
  AddMarkedResponseHeading(viewer, isCorrect);
  AddCentredPicture(viewer, DrawBoxDiagram(response, response));
  AddEmptyLine(viewer, kPlainText);
}

// ---------------------------------------------------------------------------------------
// Tree kinds

void TTreeQuestion::PrintChoices(TCustomRVViewer& viewer) {
  AddText(viewer, UiTextW(GetTypeName()) + u":", kBoldText, kNormalPara);
  AddCentredPicture(viewer, DrawChoicesPicture());
  AddEmptyLine(viewer, kPlainText);
}

void TTreeQuestion::PrintCorrectAnswer(TCustomRVViewer& viewer) {
  TQuestion::PrintCorrectAnswer(viewer);
  AddCentredPicture(viewer, DrawAnswerPicture(&Answer));
  AddEmptyLine(viewer, kPlainText);
}

void TTreeQuestion::PrintCandidateResponse(TCustomRVViewer& viewer, bool isCorrect, TStream* response) {
  AddMarkedResponseHeading(viewer, isCorrect);
  // Without a response a list that is reordered in place shows its items as offered.
  std::unique_ptr<TBitmap> picture =
      response != nullptr || QuestionType == 4 || Flag2 ? DrawAnswerPicture(response) : DrawChoicesPicture();
  AddCentredPicture(viewer, std::move(picture));
  AddEmptyLine(viewer, kPlainText);
}
