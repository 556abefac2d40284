// Reads .zukm mobile exam files back for the tests, written here from the file layout alone
// (not with the writer's code), so that every field the converter writes is checked against
// the layout: header, properties, description block, sections, exams, questions, exhibits,
// blocks with their files, and the trailer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "exam/ZUKFileBuilder.h"

struct ZUKMobileBlock {
  std::string html;
  /// (file name, bytes) in file order.
  std::vector<std::pair<std::string, std::string>> files;
};

/// Title, kind and image bytes, as in the exam file.
using ZUKMobileExhibit = ZUKExhibitDesc;

struct ZUKMobileQuestion {
  uint8_t type = 0;
  int32_t sectionId = 0;
  int32_t setting = 0;
  std::vector<ZUKMobileExhibit> exhibits;
  bool flag1 = false;
  ZUKMobileBlock question;
  bool hasCaseStudy = false;
  std::string caseStudyTitle;
  std::optional<ZUKMobileBlock> caseStudy;
  std::vector<ZUKMobileBlock> choices;
  std::string answer;
  ZUKMobileBlock explanation;
};

struct ZUKMobileFile {
  std::string text1;
  std::string text2;
  int32_t number1 = 0;
  bool descriptionFlag = false;
  std::optional<ZUKMobileBlock> description;
  std::vector<std::pair<int32_t, std::string>> sections;
  std::vector<std::vector<ZUKMobileQuestion>> exams;
};

/// Parses a whole .zukm file; a field that does not fit, bytes left over or a wrong trailer
/// give a test failure (and an empty result).
ZUKMobileFile ReadZUKMobileFile(const std::string& bytes);

/// Every block of the file: the description first, then each question's blocks in file order.
std::vector<std::pair<std::string, const ZUKMobileBlock*>> AllBlocks(const ZUKMobileFile& file);
