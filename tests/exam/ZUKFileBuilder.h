// Writes .zuk exam files from a short description, for the tests. The exam records are
// written by the program's own holders and questions (their Save), so a file the builder
// makes is also what a loaded file saves back to. Rich-text parts, pictures and styles are
// opaque byte blobs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exam/ZUKHolders.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKReader.h"

struct ZUKExhibitDesc {
  std::string title;
  uint8_t kind = 0;
  std::string image;
};

/// One question. The generic fields go to the kind's own fields (see MakeQuestion).
struct ZUKQuestionDesc {
  uint8_t type = 0;
  int32_t sectionId = -1;
  int32_t setting = 5;
  /// RVF parts, written into QuestionParts as consecutive plain sub-streams.
  std::vector<std::string> parts;
  std::string answer;
  std::vector<ZUKExhibitDesc> exhibits;
  /// ChoiceCount, BlankValue, BoxWidth (BoxHeight = number + 1) or TreeOption/Option1.
  int32_t number = 4;
  /// HasCaseStudy, or the first flag of the other kinds.
  bool flag = false;
  /// CaseStudyTitle, ConnectorsTitle or AnswerChoicesTitle.
  std::string title;
  /// DiagramData1/2, ImageData1/2, or TreeData (data1).
  std::string data1;
  std::string data2;
};

struct ZUKPageDesc {
  std::string title;
  std::string content;
  std::vector<ZUKPageDesc> children;
};

struct ZUKSetDesc {
  bool testlet = false;
  int32_t headerValue = 20;
  std::string title = "Testlet";
  int32_t testletValue = 0;
  std::string data1;
  std::string data2;
  std::vector<ZUKPageDesc> pages;
  std::vector<ZUKQuestionDesc> questions;
};

struct ZUKExamDesc {
  bool caseStudy = false;
  std::vector<ZUKQuestionDesc> questions;
  std::vector<ZUKSetDesc> sets;
};

struct ZUKPropertiesDesc {
  uint8_t fileType = 0;
  std::string text1 = "Exam title";
  std::string text2 = "Vendor";
  int32_t number1 = 7;
  int32_t number2 = 8;
  std::string text3 = "Notes";
  double values[4] = {1.5, 2.5, -3.25, 100.0};
  bool descriptionFlag = true;
  bool hasExtraText = false;
  std::string extraText;
  std::string extraData;
};

struct ZUKFileDesc {
  uint8_t major = 1;
  uint8_t minor = 1;
  ZUKPropertiesDesc properties;
  /// The unscrambled style sub-stream.
  std::string styles;
  /// The unscrambled description sub-stream (RVF).
  std::string description = "description-rvf";
  std::vector<std::pair<int32_t, std::string>> sections;
  std::vector<ZUKExamDesc> exams;
};

/// Where the parts of a built file start.
struct ZUKFileLayout {
  int64_t properties = 0;
  int64_t styles = 0;
  int64_t description = 0;
  int64_t sections = 0;
  int64_t exams = 0;
  int64_t trailer = 0;
};

/// The content of a QuestionParts stream: each part as a plain sub-stream.
std::string PartsBytes(const std::vector<std::string>& parts);
/// The content of an Exhibits stream.
std::string ExhibitBytes(const std::vector<ZUKExhibitDesc>& exhibits);
/// A question of the desc's type with its fields filled in.
std::unique_ptr<TQuestion> MakeQuestion(const ZUKQuestionDesc& desc);
/// Hangs the desc's exams, sets, pages and questions under `collection`, whose root node
/// must exist.
void AddExams(TZUKExamCollection& collection, const std::vector<ZUKExamDesc>& exams);
/// A style sub-stream of text and paragraph styles; each style is a property list holding
/// one short-string property "StyleName" with a string value.
std::string StyleBytes(const std::vector<std::string>& textStyles,
                       const std::vector<std::string>& paraStyles);

/// Writes a whole .zuk file: header, properties, the two sub-streams, sections, the exams
/// of `collection` (through its Save) and the trailer.
std::string WriteZUKFile(uint8_t major, uint8_t minor, const TZUKFileProperties& properties,
                         TMemoryStream& styles, TMemoryStream& description,
                         const TZUKSectionCollection& sections, TZUKExamCollection& collection,
                         ZUKFileLayout* layout = nullptr);
/// Writes the file properties in file order.
void WriteProperties(const TZUKFileProperties& properties, TStream& stream);

/// The .zuk file described by `desc`.
std::string BuildZUKFile(const ZUKFileDesc& desc, ZUKFileLayout* layout = nullptr);

/// The little-endian int32 at `offset` of `bytes`, and its replacement.
int32_t Int32At(const std::string& bytes, int64_t offset);
void PatchInt32(std::string& bytes, int64_t offset, int32_t value);

/// A file with questions of every kind (types 0 to 5 and 7 to 9), exhibits, a case-study
/// exam with a set and a testlet with nested pages, and three sections.
ZUKFileDesc EveryKindSpec();
/// Like EveryKindSpec, but with multiple-choice questions only, which the holder tree keeps
/// whole, so the loaded tree saves back to the same file.
ZUKFileDesc TreeKeptSpec();
