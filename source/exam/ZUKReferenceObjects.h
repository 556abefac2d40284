// The exam index: for every exam, question set and question only where its record starts,
// its type and a few header values, so that questions can be counted (per exam or per
// section) and a record found again without holding any rich text in memory.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/Lists.h"
#include "platform/core/Object.h"
#include "platform/core/Streams.h"

class TQuestionRef : public TObject {
 public:
  std::string ClassName() const override { return "TQuestionRef"; }

  uint8_t QuestionType = 0;
  int32_t SectionId = -1;
  /// Offset of the record's type byte.
  int64_t Position = 0;
};

class TQuestionContainerRef : public TObject {
 public:
  std::string ClassName() const override { return "TQuestionContainerRef"; }

  TObjectList<TQuestionRef> Questions;
  /// Offset of the container's type byte.
  int64_t Position = 0;

  virtual int32_t GetQuestionCount() const { return Questions.Count(); }
  virtual int32_t CountQuestionsOfSection(int32_t id) const;
  /// Reads an int32 count and indexes that many question records.
  virtual void Load(TStream& stream);
};

/// A standard exam.
class TExamRef : public TQuestionContainerRef {
 public:
  std::string ClassName() const override { return "TExamRef"; }
};

class TQuestionSetRef : public TQuestionContainerRef {
 public:
  std::string ClassName() const override { return "TQuestionSetRef"; }

  int32_t HeaderValue = 0;

  /// Reads the header, then indexes the question records.
  void Load(TStream& stream) override;
  virtual void ReadHeader(TStream& stream);
  virtual bool IsTestlet() const { return false; }
};

class TTestletRef : public TQuestionSetRef {
 public:
  std::string ClassName() const override { return "TTestletRef"; }

  /// Offset of the testlet's own part of the header (its title).
  int64_t HeaderPosition = 0;
  std::string Title;

  /// Also reads the title and steps over the rest of the testlet header and its pages.
  void ReadHeader(TStream& stream) override;
  bool IsTestlet() const override { return true; }
};

/// A case-study exam: its questions are those of its sets.
class TCaseStudyExamRef : public TExamRef {
 public:
  std::string ClassName() const override { return "TCaseStudyExamRef"; }

  /// The sum of the sets' header values (kept in 64 bits, so no file can overflow it).
  int64_t HeaderTotal = 0;
  TObjectList<TQuestionSetRef> Sets;

  int32_t GetQuestionCount() const override;
  int32_t CountQuestionsOfSection(int32_t id) const override;
  /// Reads an int32 count and indexes that many sets; a set type other than 0 or 1 raises
  /// EZUKUnknownQuestionSetType.
  void Load(TStream& stream) override;
};

using TExamRefClass = std::unique_ptr<TExamRef> (*)();
/// 0 TExamRef, 1 TCaseStudyExamRef; other types raise EZUKUnknownExamType.
TExamRefClass ExamRefClassByType(uint8_t type);
