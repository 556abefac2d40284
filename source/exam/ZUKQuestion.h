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

#include "exam/ZUKFields.h"
#include "exam/ZUKHolders.h"
#include "platform/core/Streams.h"

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
};

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
