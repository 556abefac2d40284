#include "exam/ZUKQuestion.h"

#include "exam/ZUKException.h"
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

/// Walks the fields of a throw-away question of the kind, keeping only its section id.
template <typename T>
int32_t Skip(TStream& stream) {
  T scratch;
  TZUKSkipVisitor visitor(stream);
  scratch.VisitFields(visitor);
  return scratch.SectionId;
}

constexpr TQuestionClass kMultipleChoice{Make<TMultipleChoiceQuestion>, Skip<TMultipleChoiceQuestion>};
constexpr TQuestionClass kImage{Make<TImageQuestion>, Skip<TImageQuestion>};
constexpr TQuestionClass kTree{Make<TTreeQuestion>, Skip<TTreeQuestion>};
constexpr TQuestionClass kDropAndConnect{Make<TDropAndConnectQuestion>, Skip<TDropAndConnectQuestion>};
constexpr TQuestionClass kFillInTheBlank{Make<TFillInTheBlankQuestion>, Skip<TFillInTheBlankQuestion>};

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
  TZUKLoadVisitor visitor(stream);
  VisitFields(visitor);
}

void TQuestion::Save(TStream& stream) {
  WriteByte(QuestionType, stream);
  TZUKSaveVisitor visitor(stream);
  VisitFields(visitor);
}

void TQuestion::VisitFields(TZUKFieldVisitor& visitor) {
  visitor.Int32(SectionId);
  visitor.Int32(Setting);
  visitor.ExhibitCount(ExhibitCount);
  visitor.ScrambledStream(QuestionParts);
  if (HasAnswer) visitor.ScrambledStream(Answer);
  if (ExhibitCount > 0) visitor.ScrambledStream(Exhibits);
}

// ---------------------------------------------------------------------------------------
// Multiple choice

TMultipleChoiceQuestion::TMultipleChoiceQuestion() : CaseStudyTitle(ZUKLocalizedText("CASE_STUDY_TITLE")) {}

void TMultipleChoiceQuestion::VisitFields(TZUKFieldVisitor& visitor) {
  TQuestion::VisitFields(visitor);
  visitor.Int32(ChoiceCount);
  visitor.Bool(Flag1);
  visitor.Bool(Flag2);
  visitor.Bool(HasCaseStudy);
  visitor.ScrambledString(CaseStudyTitle);
}

int64_t TMultipleChoiceQuestion::GetPartCount() const {
  return static_cast<int64_t>(ChoiceCount) + 2 + (HasCaseStudy ? 1 : 0);
}

std::string TMultipleChoiceQuestion::AnswerText() const {
  return Answer.DataString();
}

// ---------------------------------------------------------------------------------------
// Fill in the blank

void TFillInTheBlankQuestion::VisitFields(TZUKFieldVisitor& visitor) {
  TQuestion::VisitFields(visitor);
  visitor.Int32(BlankValue);
  visitor.Bool(Flag1);
  visitor.Bool(Flag2);
  visitor.Bool(Flag3);
}

// ---------------------------------------------------------------------------------------
// Drop and connect

TDropAndConnectQuestion::TDropAndConnectQuestion() : ConnectorsTitle(ZUKLocalizedText("CONNECTORS")) {}

void TDropAndConnectQuestion::VisitFields(TZUKFieldVisitor& visitor) {
  TQuestion::VisitFields(visitor);
  visitor.ScrambledStream(DiagramData1);
  visitor.ScrambledStream(DiagramData2);
  visitor.ScrambledString(ConnectorsTitle);
  visitor.Int32(BoxHeight);
  visitor.Int32(BoxWidth);
}

// ---------------------------------------------------------------------------------------
// Image kinds

void TImageQuestion::VisitFields(TZUKFieldVisitor& visitor) {
  TQuestion::VisitFields(visitor);
  visitor.ScrambledStream(ImageData1);
  visitor.Byte(Option1);
  visitor.Byte(Option2);
  visitor.ScrambledStream(ImageData2);
}

// ---------------------------------------------------------------------------------------
// Tree kinds

TTreeQuestion::TTreeQuestion() : AnswerChoicesTitle(ZUKLocalizedText("ANSWER_CHOICES_TITLE_PROPERTY")) {}

void TTreeQuestion::SetQuestionType(uint8_t type) {
  TQuestion::SetQuestionType(type);
  if (type == 4) StructureTitle = ZUKLocalizedText("TREE_STRUCTURE_TITLE_PROPERTY");
  if (type == 5) StructureTitle = ZUKLocalizedText("ORDERED_LIST_TITLE_PROPERTY");
}

void TTreeQuestion::VisitFields(TZUKFieldVisitor& visitor) {
  TQuestion::VisitFields(visitor);
  visitor.Byte(TreeOption);
  visitor.ScrambledString(AnswerChoicesTitle);
  visitor.ScrambledString(StructureTitle);
  visitor.ScrambledStream(TreeData);
  visitor.Bool(Flag1);
  visitor.Bool(Flag2);
}
