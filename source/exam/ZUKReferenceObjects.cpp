#include "exam/ZUKReferenceObjects.h"

#include <memory>

#include "exam/ZUKException.h"
#include "exam/ZUKHolders.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKRecordLimits.h"
#include "exam/ZUKStream.h"

namespace {

template <typename T, typename Base>
std::unique_ptr<Base> Make() {
  return std::make_unique<T>();
}

std::unique_ptr<TQuestionSetRef> MakeSetRef(uint8_t type) {
  switch (type) {
    case 0:
      return std::make_unique<TQuestionSetRef>();
    case 1:
      return std::make_unique<TTestletRef>();
    default:
      throw EZUKUnknownQuestionSetType();
  }
}

}  // namespace

int32_t TQuestionContainerRef::CountQuestionsOfSection(int32_t id) const {
  int32_t n = 0;
  for (const auto& q : Questions)
    if (q->SectionId == id) ++n;
  return n;
}

void TQuestionContainerRef::Load(TStream& stream) {
  const int32_t n = ReadRecordCount(stream, kMinQuestionRecordSize);
  for (int32_t i = 0; i < n; ++i) {
    auto ref = std::make_unique<TQuestionRef>();
    ref->Position = stream.Position();
    ref->QuestionType = ReadByte(stream);
    ref->SectionId = QuestionClassByType(ref->QuestionType).Skip(stream);
    Questions.Add(std::move(ref));
  }
}

void TQuestionSetRef::Load(TStream& stream) {
  ReadHeader(stream);
  TQuestionContainerRef::Load(stream);
}

void TQuestionSetRef::ReadHeader(TStream& stream) {
  HeaderValue = ReadInt32(stream);
}

void TTestletRef::ReadHeader(TStream& stream) {
  const int64_t start = stream.Position();
  TQuestionSetRef::ReadHeader(stream);
  HeaderPosition = stream.Position();
  ReadScrambledString(stream, Title);
  // The index keeps only the title; the whole header is then stepped over as the testlet
  // describes it (set type 1).
  stream.SetPosition(start);
  QuestionSetClassByType(1).SkipHeader(stream);
}

int32_t TCaseStudyExamRef::GetQuestionCount() const {
  int32_t n = 0;
  for (const auto& set : Sets) n += set->GetQuestionCount();
  return n;
}

int32_t TCaseStudyExamRef::CountQuestionsOfSection(int32_t id) const {
  int32_t n = 0;
  for (const auto& set : Sets) n += set->CountQuestionsOfSection(id);
  return n;
}

void TCaseStudyExamRef::Load(TStream& stream) {
  const int32_t n = ReadRecordCount(stream, kMinQuestionSetRecordSize);
  for (int32_t i = 0; i < n; ++i) {
    const int64_t position = stream.Position();
    std::unique_ptr<TQuestionSetRef> set = MakeSetRef(ReadByte(stream));
    set->Position = position;
    set->Load(stream);
    HeaderTotal += set->HeaderValue;
    Sets.Add(std::move(set));
  }
}

TExamRefClass ExamRefClassByType(uint8_t type) {
  switch (type) {
    case 0:
      return Make<TExamRef, TExamRef>;
    case 1:
      return Make<TCaseStudyExamRef, TExamRef>;
    default:
      throw EZUKUnknownExamType();
  }
}
