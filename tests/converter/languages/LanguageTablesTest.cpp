// The converter's language tables: every key the program looks up is there in English and in
// Russian, the texts come out as UTF-8, and templates fit the arguments the program gives them.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "converter/languages/LanguageTables.h"
#include "converter/languages/ZUKConverterLocalizationStore.h"
#include "platform/core/SysUtils.h"

namespace {

// Component names of the main window that only the English converter table holds; the
// Russian window keeps the texts of its form for them.
const std::set<std::string> kEnglishOnlyComponentKeys = {
    "DescStaticText", "InstructionsStaticText", "SourceFileStaticText", "acBrowse", "acAbout", "acExit",
    "acConvert"};

// Keys the program looks up although no table holds them: the key itself is shown.
const std::set<std::string> kKeysWithoutText = {"DEFAULT_TESTLET_TITLE", "UNKNOWN_QUESTION_SET_TYPE",
                                                "CORRECT_MARK", "INCORRECT_MARK"};

// Keys the program needs, whether or not the code that looks them up exists yet.
const std::set<std::string> kRequiredKeys = {"LANGUAGE_TITLE",
                                             "INVALID_FILE_FORMAT",
                                             "FILE_FORMAT_NEXT_VERSION",
                                             "UNKNOWN_EXAM_TYPE",
                                             "UNKNOWN_QUESTION_TYPE",
                                             "WRONG_EXAM_FILE_TYPE_EXCEPTION_MESSAGE",
                                             "EXAM",
                                             "QUESTION",
                                             "CASE_STUDY_TITLE",
                                             "CONNECTORS",
                                             "ANSWER_CHOICES_TITLE_PROPERTY",
                                             "TREE_STRUCTURE_TITLE_PROPERTY",
                                             "ORDERED_LIST_TITLE_PROPERTY",
                                             "MULTIPLE_CHOICE",
                                             "SELECT_AND_PLACE",
                                             "POINT_AND_SHOT",
                                             "CREATE_A_TREE",
                                             "BUILD_LIST_AND_REORDER",
                                             "DROP_AND_CONNECT",
                                             "FILL_IN_THE_BLANK",
                                             "HOT_AREA",
                                             "QUESTION_UPPER",
                                             "EXPLANATION_REFERENCE_TITLE",
                                             "CASE_STUDY_FOR_PRINT",
                                             "EXHIBIT_BEGIN_FOR_PRINT",
                                             "EXHIBIT_AFTER_FOR_PRINT",
                                             "CORRECT_ANSWER_FOR_PRINT",
                                             "CANDIDATE_RESPONSE_FOR_PRINT",
                                             "SECTION",
                                             "NONE_RESPONSE",
                                             "FILL_IN_THE_BLANK_ANSWER_UNION_OR",
                                             "MOVE_BUTTON",
                                             "REMOVE_BUTTON",
                                             "COLLAPSE_BUTTON_STATE",
                                             "MainForm",
                                             "DescStaticText",
                                             "InstructionsStaticText",
                                             "SourceFileStaticText",
                                             "acBrowse",
                                             "acAbout",
                                             "acExit",
                                             "acConvert",
                                             "CONVERTER_FILE_NOT_FOUND_MESSAGE",
                                             "SPEFICY_SOURCE_ZUK_FILE",
                                             "YOU_SHOULD_SPECIFY_SOURCE_ZUK_FILE",
                                             "SOURCE_FILE_MUST_HAVE_ZUK_EXT",
                                             "CONVERTED_FILE_NOT_FOUND",
                                             "USE_ZUKMOBILE_TO_OPEN_ZUKM_FILES",
                                             "USE_MANAGER_TO_OPEN_ZUK_FILES",
                                             "CONVERTED_SUCCESSFULLY",
                                             "VERSION_LABEL",
                                             "COPYRIGHT_NOTICE",
                                             "CANT_OPEN_INTERNET_BROWSER"};

std::set<std::string> KeysOf(const TCstStringHash& table) {
  TStringList keys;
  table.GetKeys(keys);
  std::set<std::string> set;
  for (int i = 0; i < keys.Count(); ++i) set.insert(keys[i]);
  return set;
}

std::set<std::string> KeysOfResource(const char* name) {
  RegisterLanguageTables();
  TStringList lines;
  ReadLanguageResource(name, lines);
  TCstStringHash table;
  ParseLanguageTable(lines, table);
  return KeysOf(table);
}

/// Appends the string literal that stands at `pos` (after blanks) to `keys`.
void TakeLiteral(const std::string& source, size_t pos, std::set<std::string>& keys) {
  while (pos < source.size() && std::isspace(static_cast<unsigned char>(source[pos]))) ++pos;
  if (pos >= source.size() || source[pos] != '"') return;
  const size_t end = source.find('"', pos + 1);
  if (end == std::string::npos) return;
  const std::string key = source.substr(pos + 1, end - pos - 1);
  if (!key.empty() && key.find('\\') == std::string::npos) keys.insert(key);
}

/// Keys that the program's sources look up with a literal: GetString("KEY"),
/// LocalizedText("KEY") (and ZUKLocalizedText) and the keyed exception declarations.
std::set<std::string> KeysLookedUpInSources() {
  std::set<std::string> keys;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(ZUK_SOURCE_DIR)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    for (const std::string call : {"GetString(", "LocalizedText("})
      for (size_t at = source.find(call); at != std::string::npos; at = source.find(call, at + 1))
        TakeLiteral(source, at + call.size(), keys);
    const std::string keyed = "ZUK_DECLARE_KEYED_EXCEPTION(";
    for (size_t at = source.find(keyed); at != std::string::npos; at = source.find(keyed, at + 1)) {
      const size_t comma = source.find_first_of(",)", at);
      if (comma != std::string::npos && source[comma] == ',') TakeLiteral(source, comma + 1, keys);
    }
  }
  return keys;
}

class LanguageTablesTest : public ::testing::Test {
 protected:
  void SetUp() override { store = TLocalizationStore::Create<TZUKConverterLocalizationStore>(); }
  const TCstStringHash& English() const { return store->Language(0); }
  const TCstStringHash& Russian() const { return store->Language(1); }

  std::unique_ptr<TZUKConverterLocalizationStore> store;
};

TEST_F(LanguageTablesTest, EnglishAndRussianAreRegisteredInThatOrder) {
  ASSERT_EQ(store->LanguageCount(), 2);
  EXPECT_EQ(English().GetValue("LANGUAGE_TITLE"), "English");
  EXPECT_EQ(Russian().GetValue("LANGUAGE_TITLE"), "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9");
}

TEST_F(LanguageTablesTest, EveryKeyLookedUpInTheSourcesHasEnglishAndRussianTexts) {
  std::set<std::string> keys = KeysLookedUpInSources();
  EXPECT_FALSE(keys.empty()) << "no lookups found under " << ZUK_SOURCE_DIR;
  keys.insert(kRequiredKeys.begin(), kRequiredKeys.end());
  for (const std::string& key : keys) {
    if (kKeysWithoutText.count(key)) continue;
    EXPECT_TRUE(English().Exists(key)) << key;
    if (!kEnglishOnlyComponentKeys.count(key)) {
      EXPECT_TRUE(Russian().Exists(key)) << key;
    }
  }
}

TEST_F(LanguageTablesTest, KeysWithoutTextAreInNoTable) {
  for (const std::string& key : kKeysWithoutText) {
    EXPECT_FALSE(English().Exists(key)) << key;
    EXPECT_FALSE(Russian().Exists(key)) << key;
    EXPECT_EQ(store->GetString(key), key);
  }
}

TEST(LanguageTableContentsTest, RussianTablesHoldEveryEnglishKeyExceptTheWindowsComponents) {
  const std::set<std::string> english_common = KeysOfResource("ENGLISH_COMMON");
  const std::set<std::string> russian_common = KeysOfResource("RUSSIAN_COMMON");
  const std::set<std::string> english_converter = KeysOfResource("ENGLISH_CONVERTER");
  const std::set<std::string> russian_converter = KeysOfResource("RUSSIAN_CONVERTER");
  EXPECT_EQ(english_common, russian_common);
  for (const std::string& key : english_converter) {
    if (kEnglishOnlyComponentKeys.count(key))
      EXPECT_FALSE(russian_converter.count(key)) << key;
    else
      EXPECT_TRUE(russian_converter.count(key)) << key;
  }
  for (const std::string& key : russian_converter) EXPECT_TRUE(english_converter.count(key)) << key;
}

TEST_F(LanguageTablesTest, EnglishTextsAreThoseOfTheProgram) {
  const std::pair<const char*, const char*> texts[] = {
      // exam files
      {"INVALID_FILE_FORMAT", "Invalid file format or corrupted file."},
      {"UNKNOWN_EXAM_TYPE", "Unknown exam type."},
      {"UNKNOWN_QUESTION_TYPE", "Unknown question type."},
      {"WRONG_EXAM_FILE_TYPE_EXCEPTION_MESSAGE",
       "The specified file is a case study based exam. ZUK Mobile supports only standard exam files."},
      // main window
      {"MainForm", "ZUK Converter"},
      {"DescStaticText",
       "ZUK Converter allows you to convert .zuk files to .zukm format used by ZUK Mobile."},
      {"InstructionsStaticText", "Choose source file and click Convert."},
      {"SourceFileStaticText", "&Source .zuk file:"},
      {"acBrowse", "&Browse..."},
      {"acAbout", "&About"},
      {"acExit", "E&xit"},
      {"acConvert", "&Convert"},
      // converter messages
      {"CONVERTER_FILE_NOT_FOUND_MESSAGE", "The specified file doesn't exist."},
      {"SPEFICY_SOURCE_ZUK_FILE", "Please specify the source ZUK file name."},
      {"YOU_SHOULD_SPECIFY_SOURCE_ZUK_FILE", "You should specify source .zuk file."},
      {"SOURCE_FILE_MUST_HAVE_ZUK_EXT", "The source file must have .zuk extension."},
      {"CONVERTED_FILE_NOT_FOUND", "File \"%s\" is not found."},
      {"USE_ZUKMOBILE_TO_OPEN_ZUKM_FILES", "You have to use ZUK Mobile to open .zukm files."},
      {"USE_MANAGER_TO_OPEN_ZUK_FILES", "Use Pemry Manager to open .zuk files."},
      {"CONVERTED_SUCCESSFULLY", "The file has been converted successfully."},
      // exam tree and question defaults
      {"EXAM", "Exam"},
      {"QUESTION", "Question"},
      {"CASE_STUDY_TITLE", "Case Study Title"},
      {"CONNECTORS", "Connectors"},
      {"ANSWER_CHOICES_TITLE_PROPERTY", "Answer Choices Title"},
      {"TREE_STRUCTURE_TITLE_PROPERTY", "Tree Structure Title"},
      {"ORDERED_LIST_TITLE_PROPERTY", "Ordered List Title"},
      // question kinds
      {"MULTIPLE_CHOICE", "Multiple Choice"},
      {"SELECT_AND_PLACE", "Select and Place"},
      {"POINT_AND_SHOT", "Point and Shoot"},
      {"CREATE_A_TREE", "Create a Tree"},
      {"BUILD_LIST_AND_REORDER", "Build List and Reorder"},
      {"DROP_AND_CONNECT", "Drop and Connect"},
      {"FILL_IN_THE_BLANK", "Fill in the Blank"},
      {"HOT_AREA", "Hot Area"},
      // about box
      {"VERSION_LABEL", "Version %s"},
      {"CANT_OPEN_INTERNET_BROWSER", "Could not start your Internet Browser."},
      // printing a question
      {"QUESTION_UPPER", "QUESTION"},
      {"EXPLANATION_REFERENCE_TITLE", "Explanation/Reference"},
      {"CASE_STUDY_FOR_PRINT", "(Case Study):"},
      {"EXHIBIT_BEGIN_FOR_PRINT", "Exhibit:"},
      {"EXHIBIT_AFTER_FOR_PRINT", "(exhibit):"},
      {"CORRECT_ANSWER_FOR_PRINT", "Correct Answer:"},
      {"CANDIDATE_RESPONSE_FOR_PRINT", "Candidate Response"},
      {"SECTION", "Section"},
      {"NONE_RESPONSE", "[None]"},
      {"FILL_IN_THE_BLANK_ANSWER_UNION_OR", "-or-"},
      // tree and list answer pictures
      {"MOVE_BUTTON", "<< &Move"},
      {"REMOVE_BUTTON", "&Remove >>"},
      {"COLLAPSE_BUTTON_STATE", "Collapse"},
      {"LANGUAGE_TITLE", "English"},
  };
  for (const auto& [key, text] : texts) EXPECT_EQ(store->GetString(key), text) << key;
  EXPECT_TRUE(store->GetString("FILE_FORMAT_NEXT_VERSION")
                  .starts_with("This file was created with a newer version of Pemry than you have.\r\n"));
}

TEST_F(LanguageTablesTest, TextsComeOutAsUtf8) {
  EXPECT_NE(English().GetValue("COPYRIGHT_NOTICE").find("\xC2\xA9"),
            std::string::npos);  // the copyright sign
  const std::string exam = Russian().GetValue("EXAM");
  EXPECT_EQ(exam, "\xD0\xAD\xD0\xBA\xD0\xB7\xD0\xB0\xD0\xBC\xD0\xB5\xD0\xBD");  // "Экзамен"
}

TEST_F(LanguageTablesTest, TemplatesTakeTheArgumentsTheProgramGives) {
  for (int language = 0; language < 2; ++language) {
    const TCstStringHash& table = store->Language(language);
    EXPECT_NO_THROW(Format(table.GetValue("VERSION_LABEL"), {"1.0.215"})) << language;
    EXPECT_NO_THROW(Format(table.GetValue("COPYRIGHT_NOTICE"), {2024})) << language;
    EXPECT_NO_THROW(Format(table.GetValue("CONVERTED_FILE_NOT_FOUND"), {"x.zuk"})) << language;
    EXPECT_NO_THROW(Format(table.GetValue("YOU_SHOULD_SPECIFY_SOURCE_ZUK_FILE"), {"-c"})) << language;
    EXPECT_NE(Format(table.GetValue("CONVERTED_FILE_NOT_FOUND"), {"x.zuk"}).find("x.zuk"), std::string::npos);
    EXPECT_NE(Format(table.GetValue("DISPLAY_NOT_OPENED"), {":99"}).find("\":99\""), std::string::npos);
    const std::string picture =
        Format(table.GetValue("PICTURE_NOT_DECODED"), {"A", "7", "expl", "2", "JPEG"});
    EXPECT_TRUE(picture.find(" 7") < picture.find("2 (JPEG)") &&
                picture.find("\"expl\"") != std::string::npos);
    EXPECT_NE(Format(table.GetValue("DESCRIPTION_PICTURE_NOT_DECODED"), {"2", "JPEG"}).find("2 (JPEG)"),
              std::string::npos);
  }
}

}  // namespace
