#include "exam/ZUKQuestion.h"

#include "exam/ZUKException.h"
#include "exam/ZUKRecordLimits.h"
#include "exam/ZUKStream.h"

namespace {

struct TypeEntry {
  TQuestionClass cls;
  const char* nameKey;
};

template <typename T>
std::unique_ptr<TQuestion> Make() {
  return std::make_unique<T>();
}

constexpr TQuestionClass kMultipleChoice{Make<TMultipleChoiceQuestion>, TMultipleChoiceQuestion::Skip};
constexpr TQuestionClass kImage{Make<TImageQuestion>, TImageQuestion::Skip};
constexpr TQuestionClass kTree{Make<TTreeQuestion>, TTreeQuestion::Skip};
constexpr TQuestionClass kDropAndConnect{Make<TDropAndConnectQuestion>, TDropAndConnectQuestion::Skip};
constexpr TQuestionClass kFillInTheBlank{Make<TFillInTheBlankQuestion>, TFillInTheBlankQuestion::Skip};

/// Indexed by type byte; type 6 has no class.
constexpr TypeEntry kTypes[] = {
    {kMultipleChoice, "MULTIPLE_CHOICE"},
    {kMultipleChoice, "MULTIPLE_CHOICE"},
    {kImage, "SELECT_AND_PLACE"},
    {kImage, "POINT_AND_SHOT"},
    {kTree, "CREATE_A_TREE"},
    {kTree, "BUILD_LIST_AND_REORDER"},
    {{nullptr, nullptr}, nullptr},
    {kDropAndConnect, "DROP_AND_CONNECT"},
    {kFillInTheBlank, "FILL_IN_THE_BLANK"},
    {kImage, "HOT_AREA"},
};
constexpr size_t kTypeCount = sizeof(kTypes) / sizeof(kTypes[0]);

const TypeEntry* FindType(uint8_t type) {
  if (type >= kTypeCount || !kTypes[type].nameKey) return nullptr;
  return &kTypes[type];
}

}  // namespace

const TQuestionClass& QuestionClassByType(uint8_t type) {
  const TypeEntry* entry = FindType(type);
  if (!entry) throw EZUKUnknownQuestionType();
  return entry->cls;
}

std::string GetQuestionTypeName(uint8_t type) {
  const TypeEntry* entry = FindType(type);
  return entry ? ZUKLocalizedText(entry->nameKey) : std::string();
}

// ---------------------------------------------------------------------------------------
// TQuestion

std::string TQuestion::GetCaption() const {
  return ZUKLocalizedText("QUESTION");
}
std::string TQuestion::GetTypeName() const {
  return GetQuestionTypeName(QuestionType);
}

void TQuestion::Load(TStream& stream) {
  SectionId = ReadInt32(stream);
  Setting = ReadInt32(stream);
  ExhibitCount = ReadExhibitCount(stream);
  ReadScrambledStream(stream, QuestionParts);
  if (HasAnswer) ReadScrambledStream(stream, Answer);
  if (ExhibitCount > 0) ReadScrambledStream(stream, Exhibits);
}

void TQuestion::Save(TStream& stream) {
  WriteByte(QuestionType, stream);
  WriteInt32(SectionId, stream);
  WriteInt32(Setting, stream);
  WriteInt32(ExhibitCount, stream);
  WriteScrambledStream(QuestionParts, stream);
  if (HasAnswer) WriteScrambledStream(Answer, stream);
  if (ExhibitCount > 0) WriteScrambledStream(Exhibits, stream);
}

int32_t TQuestion::Skip(TStream& stream) {
  const int32_t sectionId = ReadInt32(stream);
  SkipInt32(stream);
  const uint8_t exhibits = ReadExhibitCount(stream);
  SkipStream(stream);
  SkipStream(stream);
  if (exhibits > 0) SkipStream(stream);
  return sectionId;
}

// ---------------------------------------------------------------------------------------
// Multiple choice

TMultipleChoiceQuestion::TMultipleChoiceQuestion() : CaseStudyTitle(ZUKLocalizedText("CASE_STUDY_TITLE")) {}

void TMultipleChoiceQuestion::Load(TStream& stream) {
  TQuestion::Load(stream);
  ChoiceCount = ReadInt32(stream);
  Flag1 = ReadBool(stream);
  Flag2 = ReadBool(stream);
  HasCaseStudy = ReadBool(stream);
  ReadScrambledString(stream, CaseStudyTitle);
}

void TMultipleChoiceQuestion::Save(TStream& stream) {
  TQuestion::Save(stream);
  WriteInt32(ChoiceCount, stream);
  WriteBool(Flag1, stream);
  WriteBool(Flag2, stream);
  WriteBool(HasCaseStudy, stream);
  WriteScrambledString(CaseStudyTitle, stream);
}

int64_t TMultipleChoiceQuestion::GetPartCount() const {
  return static_cast<int64_t>(ChoiceCount) + 2 + (HasCaseStudy ? 1 : 0);
}

std::string TMultipleChoiceQuestion::AnswerText() const {
  return Answer.DataString();
}

int32_t TMultipleChoiceQuestion::Skip(TStream& stream) {
  const int32_t sectionId = TQuestion::Skip(stream);
  SkipInt32(stream);
  SkipBool(stream);
  SkipBool(stream);
  SkipBool(stream);
  SkipString(stream);
  return sectionId;
}

// ---------------------------------------------------------------------------------------
// Fill in the blank

void TFillInTheBlankQuestion::Load(TStream& stream) {
  TQuestion::Load(stream);
  BlankValue = ReadInt32(stream);
  Flag1 = ReadBool(stream);
  Flag2 = ReadBool(stream);
  Flag3 = ReadBool(stream);
}

void TFillInTheBlankQuestion::Save(TStream& stream) {
  TQuestion::Save(stream);
  WriteInt32(BlankValue, stream);
  WriteBool(Flag1, stream);
  WriteBool(Flag2, stream);
  WriteBool(Flag3, stream);
}

int32_t TFillInTheBlankQuestion::Skip(TStream& stream) {
  const int32_t sectionId = TQuestion::Skip(stream);
  SkipInt32(stream);
  SkipBool(stream);
  SkipBool(stream);
  SkipBool(stream);
  return sectionId;
}

// ---------------------------------------------------------------------------------------
// Drop and connect

TDropAndConnectQuestion::TDropAndConnectQuestion() : ConnectorsTitle(ZUKLocalizedText("CONNECTORS")) {}

void TDropAndConnectQuestion::Load(TStream& stream) {
  TQuestion::Load(stream);
  ReadScrambledStream(stream, DiagramData1);
  ReadScrambledStream(stream, DiagramData2);
  ReadScrambledString(stream, ConnectorsTitle);
  BoxHeight = ReadInt32(stream);
  BoxWidth = ReadInt32(stream);
}

void TDropAndConnectQuestion::Save(TStream& stream) {
  TQuestion::Save(stream);
  WriteScrambledStream(DiagramData1, stream);
  WriteScrambledStream(DiagramData2, stream);
  WriteScrambledString(ConnectorsTitle, stream);
  WriteInt32(BoxHeight, stream);
  WriteInt32(BoxWidth, stream);
}

int32_t TDropAndConnectQuestion::Skip(TStream& stream) {
  const int32_t sectionId = TQuestion::Skip(stream);
  SkipStream(stream);
  SkipStream(stream);
  SkipString(stream);
  SkipInt32(stream);
  SkipInt32(stream);
  return sectionId;
}

// ---------------------------------------------------------------------------------------
// Image kinds

void TImageQuestion::Load(TStream& stream) {
  TQuestion::Load(stream);
  ReadScrambledStream(stream, ImageData1);
  Option1 = ReadByte(stream);
  Option2 = ReadByte(stream);
  ReadScrambledStream(stream, ImageData2);
}

void TImageQuestion::Save(TStream& stream) {
  TQuestion::Save(stream);
  WriteScrambledStream(ImageData1, stream);
  WriteByte(Option1, stream);
  WriteByte(Option2, stream);
  WriteScrambledStream(ImageData2, stream);
}

int32_t TImageQuestion::Skip(TStream& stream) {
  const int32_t sectionId = TQuestion::Skip(stream);
  SkipStream(stream);
  SkipByte(stream);
  SkipByte(stream);
  SkipStream(stream);
  return sectionId;
}

// ---------------------------------------------------------------------------------------
// Tree kinds

TTreeQuestion::TTreeQuestion() : AnswerChoicesTitle(ZUKLocalizedText("ANSWER_CHOICES_TITLE_PROPERTY")) {}

void TTreeQuestion::SetQuestionType(uint8_t type) {
  TQuestion::SetQuestionType(type);
  if (type == 4) StructureTitle = ZUKLocalizedText("TREE_STRUCTURE_TITLE_PROPERTY");
  if (type == 5) StructureTitle = ZUKLocalizedText("ORDERED_LIST_TITLE_PROPERTY");
}

void TTreeQuestion::Load(TStream& stream) {
  TQuestion::Load(stream);
  TreeOption = ReadByte(stream);
  ReadScrambledString(stream, AnswerChoicesTitle);
  ReadScrambledString(stream, StructureTitle);
  ReadScrambledStream(stream, TreeData);
  Flag1 = ReadBool(stream);
  Flag2 = ReadBool(stream);
}

void TTreeQuestion::Save(TStream& stream) {
  TQuestion::Save(stream);
  WriteByte(TreeOption, stream);
  WriteScrambledString(AnswerChoicesTitle, stream);
  WriteScrambledString(StructureTitle, stream);
  WriteScrambledStream(TreeData, stream);
  WriteBool(Flag1, stream);
  WriteBool(Flag2, stream);
}

int32_t TTreeQuestion::Skip(TStream& stream) {
  const int32_t sectionId = TQuestion::Skip(stream);
  SkipByte(stream);
  SkipString(stream);
  SkipString(stream);
  SkipStream(stream);
  SkipBool(stream);
  SkipBool(stream);
  return sectionId;
}
