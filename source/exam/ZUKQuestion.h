// Questions: the leaves of the holder tree. The type byte of a record picks the class; each
// class loads its record, steps over it without building anything, and saves it back in the
// layout it read.
//
// Record: type byte, int32 section id, int32 setting, int32 exhibit count E, scr. sub-stream
// of parts, scr. sub-stream answer, and when E > 0 a scr. sub-stream of exhibits; then the
// tail of the kind.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exam/ZUKFields.h"
#include "exam/ZUKHolders.h"
#include "platform/core/Colors.h"
#include "platform/core/Streams.h"

class TBitmap;
class TCustomImageList;
class TCustomRVViewer;
class TNodeTree;
struct TNodeRecord;
class TRVTableItemInfo;

/// What TQuestion::Print appends, one bit each.
enum TQuestionPrintFlag : uint16_t {
  qpfCaseStudy = 0x0020,          // the case study (multiple choice with one)
  qpfQuestion = 0x0040,           // the question text and the answer choices
  qpfExhibits = 0x0080,           // the exhibits, when there are any
  qpfSection = 0x0100,            // the section line
  qpfCorrectAnswer = 0x0200,      // the correct answer
  qpfCandidateResponse = 0x0400,  // the candidate's response
  qpfExplanation = 0x0800,        // the explanation
};

class TQuestion : public TTreeNodeHolder {
 public:
  TQuestion() = default;
  std::string ClassName() const override { return "TQuestion"; }

  uint8_t QuestionType = 0;
  /// The id of the question's section, -1 for none.
  int32_t SectionId = -1;
  int32_t Setting = 5;
  uint8_t ExhibitCount = 0;
  /// Every question has an answer sub-stream in its record.
  bool HasAnswer = true;
  /// The unscrambled sub-streams of the record.
  TMemoryStream QuestionParts;
  TMemoryStream Answer;
  /// ExhibitCount records of (plain string title, byte kind, plain sub-stream image data).
  TMemoryStream Exhibits;

  std::string GetCaption() const override;
  int32_t GetImageIndex() const override { return 2; }
  uint8_t GetTypeCode() const override { return QuestionType; }
  std::string GetTypeName() const override;
  /// Reads the record after its type byte, which the container has read.
  void Load(TStream& stream) override;
  /// Writes the whole record, type byte first.
  void Save(TStream& stream) override;
  /// Describes the fields after the type byte; kinds add their tail after the common part.
  virtual void VisitFields(TZUKFieldVisitor& visitor);

  /// The number of rich-text parts: question and explanation.
  virtual int64_t GetPartCount() const { return 2; }
  virtual void SetQuestionType(uint8_t type) { QuestionType = type; }
  /// The RVF shown as the question's content.
  virtual TMemoryStream& GetQuestionStream() { return QuestionParts; }

  // Printing into a viewer's document (ZUKQuestionPrint.cpp). Every slot finds its RVF part
  // by its index, so any choice of flags prints the right parts. A part that cannot be read
  // raises EZUKIncorrectFileFormat; what was appended before stays.

  /// Appends the slots that `flags` (TQuestionPrintFlag bits) choose, in this order: question,
  /// case study, exhibits, choices, correct answer, candidate response, section line,
  /// explanation. `response` may be null.
  virtual void Print(TCustomRVViewer& viewer, uint16_t flags, const std::string& sectionName, int32_t number,
                     bool isCorrect, TStream* response);
  /// The question part under the heading "QUESTION n" (n >= 1), without a heading (n < 0) or
  /// under the explanation heading (n = 0), then an empty line.
  virtual void PrintQuestion(TCustomRVViewer& viewer, int32_t number);
  virtual void PrintCaseStudy(TCustomRVViewer& /*viewer*/) {}
  virtual void PrintChoices(TCustomRVViewer& /*viewer*/) {}
  virtual void PrintCorrectAnswer(TCustomRVViewer& viewer);
  virtual void PrintCandidateResponse(TCustomRVViewer& viewer, bool isCorrect, TStream* response);
  virtual void PrintExplanation(TCustomRVViewer& viewer);
  /// Each exhibit's heading and picture; `titled` gives every heading the exhibit's title.
  void PrintExhibits(TCustomRVViewer& viewer, bool titled);

 protected:
  /// The consecutive plain sub-streams of RVF that hold the printed question and explanation.
  virtual TMemoryStream& PrintPartStream() { return QuestionParts; }
  /// Reads RVF part `index` of PrintPartStream into `part` (left empty when the stream has no
  /// such part). A part that runs past the end of the stream raises EZUKIncorrectFileFormat.
  void ReadPrintPart(int64_t index, TMemoryStream& part);
};

/// Appends `part` for printing. Direct: the part's items go to the end of the document, after
/// a heading chosen by `number` (see TQuestion::PrintQuestion); answers null. Not direct: the
/// part is read into the second cell of a new borderless 1 x 2 table (the first cell 21 pixels
/// wide, for a label), read with `color` as its background, and the table is answered for the
/// caller to fill and add. An empty or null part adds no content. A part the reader refuses
/// raises EZUKIncorrectFileFormat.
std::unique_ptr<TRVTableItemInfo> AppendRVFForPrint(TCustomRVViewer& viewer, TStream* part, bool direct,
                                                    TColor color, int32_t number);

/// Types 0 and 1. QuestionParts holds the RVF parts as consecutive plain sub-streams: the
/// question, the case study (when there is one), one per answer choice, the explanation.
class TMultipleChoiceQuestion : public TQuestion {
 public:
  TMultipleChoiceQuestion();
  std::string ClassName() const override { return "TMultipleChoiceQuestion"; }

  int32_t ChoiceCount = 4;
  bool Flag1 = true;
  bool Flag2 = false;
  bool HasCaseStudy = false;
  std::string CaseStudyTitle;

  void VisitFields(TZUKFieldVisitor& visitor) override;
  int64_t GetPartCount() const override;
  /// The correct answer: the whole Answer stream as 8-bit text.
  std::string AnswerText() const;

  void PrintCaseStudy(TCustomRVViewer& viewer) override;
  /// One two-cell table per choice: the label "A.", "B.", ... and the choice's part.
  void PrintChoices(TCustomRVViewer& viewer) override;
  void PrintCorrectAnswer(TCustomRVViewer& viewer) override;
  /// The response stream holds ChoiceCount int32 values, then the response text.
  void PrintCandidateResponse(TCustomRVViewer& viewer, bool isCorrect, TStream* response) override;

 private:
  int64_t FirstChoicePart() const { return HasCaseStudy ? 2 : 1; }
};

/// Type 8. Answer holds BlankValue plain strings, the accepted answers.
class TFillInTheBlankQuestion : public TQuestion {
 public:
  std::string ClassName() const override { return "TFillInTheBlankQuestion"; }

  int32_t BlankValue = 1;
  bool Flag1 = false;
  bool Flag2 = true;
  bool Flag3 = true;

  void VisitFields(TZUKFieldVisitor& visitor) override;
  /// The accepted answers, joined by "-or-".
  void PrintCorrectAnswer(TCustomRVViewer& viewer) override;
  /// The response stream holds the response text first.
  void PrintCandidateResponse(TCustomRVViewer& viewer, bool isCorrect, TStream* response) override;
};

/// Type 7. QuestionParts holds the diagram, Answer the correct relationships; the question
/// text and explanation are the RVF parts of DiagramData1.
class TDropAndConnectQuestion : public TQuestion {
 public:
  TDropAndConnectQuestion();
  std::string ClassName() const override { return "TDropAndConnectQuestion"; }

  std::string ConnectorsTitle;
  int32_t BoxWidth = 90;
  int32_t BoxHeight = 70;
  TMemoryStream DiagramData1;
  TMemoryStream DiagramData2;

  void VisitFields(TZUKFieldVisitor& visitor) override;
  TMemoryStream& GetQuestionStream() override { return DiagramData1; }

  void PrintChoices(TCustomRVViewer& viewer) override;
  void PrintCorrectAnswer(TCustomRVViewer& viewer) override;
  /// The response stream holds the candidate's box positions, then the relationships each
  /// followed by its label position.
  void PrintCandidateResponse(TCustomRVViewer& viewer, bool isCorrect, TStream* response) override;

  // Pictures (ZUKDiagramPictures.cpp). QuestionParts holds int32 c, c connectors (plain string
  // caption, byte kind), int32 b and b box captions. Bad data raises EZUKIncorrectFileFormat
  // or the stream's EReadError.

  /// The boxes at their grid places and the connector panel; the frame alone when
  /// QuestionParts is empty.
  std::unique_ptr<TBitmap> DrawChoicesPicture();
  /// The boxes at the places `positions` gives (grid places without one) joined by the
  /// relationships `relations` lists (none without both streams); null when QuestionParts is
  /// empty. For the correct diagram `positions` is DiagramData2 (box positions, then the
  /// label positions) and `relations` Answer; a response passes one stream as both.
  std::unique_ptr<TBitmap> DrawBoxDiagram(TStream* positions, TStream* relations);

 protected:
  TMemoryStream& PrintPartStream() override { return DiagramData1; }
};

/// Types 2 (select and place), 3 (point and shoot) and 9 (hot area).
class TImageQuestion : public TQuestion {
 public:
  std::string ClassName() const override { return "TImageQuestion"; }

  uint8_t Option1 = 0;
  uint8_t Option2 = 0;
  TMemoryStream ImageData1;
  TMemoryStream ImageData2;

  void VisitFields(TZUKFieldVisitor& visitor) override;
  TMemoryStream& GetQuestionStream() override { return ImageData1; }
};

/// Types 4 (create a tree) and 5 (build list and reorder). The question text and
/// explanation are RVF parts of TreeData.
class TTreeQuestion : public TQuestion {
 public:
  TTreeQuestion();
  std::string ClassName() const override { return "TTreeQuestion"; }

  std::string AnswerChoicesTitle;
  std::string StructureTitle;
  uint8_t TreeOption = 0;
  bool Flag1 = true;
  bool Flag2 = false;
  TMemoryStream TreeData;

  /// Also gives StructureTitle the default title of the type.
  void SetQuestionType(uint8_t type) override;
  void VisitFields(TZUKFieldVisitor& visitor) override;
  TMemoryStream& GetQuestionStream() override { return TreeData; }

  // Drawing state: the tree control every picture is painted with and the image list of the
  // move-up and move-down arrows. Neither is owned; a caller that prints tree questions sets
  // them first.
  TNodeTree* TreeControl = nullptr;
  TCustomImageList* ButtonImages = nullptr;

  void PrintChoices(TCustomRVViewer& viewer) override;
  void PrintCorrectAnswer(TCustomRVViewer& viewer) override;
  void PrintCandidateResponse(TCustomRVViewer& viewer, bool isCorrect, TStream* response) override;

  // Pictures (ZUKTreeQuestionPictures.cpp). Each empties the tree control before and after
  // use; a stream cut short raises EReadError, out-of-range indexes are passed over. Without a
  // tree control they raise EZUKException.

  /// The offered items with the answer screen's boxes and buttons; null when QuestionParts is
  /// empty.
  std::unique_ptr<TBitmap> DrawChoicesPicture();
  /// The tree or list that `arrangement` describes (the bare structure or the items in stored
  /// order without one); null when QuestionParts is empty.
  std::unique_ptr<TBitmap> DrawAnswerPicture(TStream* arrangement);

 protected:
  TMemoryStream& PrintPartStream() override { return TreeData; }

 private:
  void DrawListChoices(TBitmap& bitmap);
  void DrawTreeChoices(TBitmap& bitmap);
  /// Adds the structure nodes of QuestionParts; answers the node made for each record.
  std::vector<TNodeRecord*> AddStructureNodes(TNodeTree& tree);
  void AddListAnswerNodes(TNodeTree& tree, TStream* arrangement);
  void AddTreeAnswerNodes(TNodeTree& tree, TStream* arrangement);
  TNodeTree& Tree();
};

/// What the loaders need of a question class: making one and stepping over a record.
struct TQuestionClass {
  std::unique_ptr<TQuestion> (*Create)();
  /// Steps over the record after its type byte; returns its section id.
  int32_t (*Skip)(TStream& stream);
};

/// The class of a question type; 6 and types above 9 raise EZUKUnknownQuestionType.
const TQuestionClass& QuestionClassByType(uint8_t type);
/// The localised name of a question type; empty for 6 and types above 9.
std::string GetQuestionTypeName(uint8_t type);
/// Types 0 and 1, the only kind the holder tree builds.
constexpr bool IsMultipleChoiceType(uint8_t type) {
  return type <= 1;
}
