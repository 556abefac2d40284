// The converter from .zuk to .zukm, end to end: exam files made by the test builder, with
// rich-text parts written by the document core, are loaded and written; the mobile file is
// read back with the tests' own reader of the layout and compared field by field; every
// block's HTML is parsed by html5lib and every picture file decoded by libjpeg. Failures
// (unreadable parts and pictures, a full disk, a folder that cannot be written, the source as
// the target) must leave no partial file and keep an existing target as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <linux/magic.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "common/units/LocalizationStore.h"
#include "common/units/Routines.h"
#include "converter/languages/ZUKConverterLocalizationStore.h"
#include "exam/ZUKConverter.h"
#include "exam/ZUKException.h"
#include "exam/ZUKExportView.h"
#include "exam/ZUKFileBuilder.h"
#include "exam/ZUKMobileFile.h"
#include "exam/ZUKPartBuilder.h"
#include "exam/ZUKRVStyle.h"
#include "exam/ZUKViewerExportView.h"
#include "platform/core/Files.h"
#include "platform/core/SysUtils.h"
#include "platform/core/TestFolders.h"
#include "richtext/core/HTMLTestSupport.h"
#include "richtext/viewer/RVViewer.h"

namespace {

namespace fs = std::filesystem;
using zukpart::TPartBuilder;

// ---------------------------------------------------------------------------------------
// Oracles

struct TJPEGError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
};

void OnJPEGError(j_common_ptr info) {
  longjmp(reinterpret_cast<TJPEGError*>(info->err)->jump, 1);
}

/// Decodes a whole JPEG file with libjpeg; false when it is not one.
bool DecodesAsJPEG(const std::string& bytes, int* width = nullptr, int* height = nullptr) {
  jpeg_decompress_struct info;
  TJPEGError error;
  info.err = jpeg_std_error(&error.mgr);
  error.mgr.error_exit = OnJPEGError;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  std::vector<unsigned char> row(static_cast<size_t>(info.output_width) * info.output_components);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
  }
  if (width) *width = static_cast<int>(info.output_width);
  if (height) *height = static_cast<int>(info.output_height);
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

/// The "src" values of the IMG elements in an html5lib outline.
std::multiset<std::string> ImageSources(const std::string& outline) {
  std::multiset<std::string> sources;
  std::istringstream lines(outline);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t img = line.find("<img ");
    const size_t src = line.find(" src=", img);
    if (img == std::string::npos || src == std::string::npos) continue;
    const size_t start = src + 5;
    sources.insert(line.substr(start, line.find_first_of(" >", start) - start));
  }
  return sources;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

/// `bytes` with every `from` replaced by `to`.
std::string Replaced(std::string bytes, const std::string& from, const std::string& to) {
  for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size()))
    bytes.replace(at, from.size(), to);
  return bytes;
}

std::string Utf8(std::u8string_view text) {
  return {text.begin(), text.end()};
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

/// Runs `body` in a child process and answers its exit status (-1 when it did not exit).
int RunInChild(const std::function<int()>& body) {
  fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ---------------------------------------------------------------------------------------
// Localisation

/// The converter's store in the language of the INI file it is given.
class TStoreInLanguage : public TZUKConverterLocalizationStore {
 public:
  explicit TStoreInLanguage(std::string ini) : ini_(std::move(ini)) {}

 protected:
  std::string IniFileName() const override { return ini_; }

 private:
  std::string ini_;
};

/// Makes the converter speak language `index` (0 English, 1 Russian) through an INI file in `folder`.
void UseLanguage(const htmltest::TTempFolder& folder, int index) {
  WriteFile(folder.Path() + "language.ini", "[language]\r\nCurrentLanguageIndex=" + std::to_string(index));
  LocalizationStore = TLocalizationStore::Create<TStoreInLanguage>(folder.Path() + "language.ini");
}

// ---------------------------------------------------------------------------------------
// Parts and files

/// Exam styles appended after the converter's 17: two 8-bit text styles, one paragraph style.
constexpr int kAnsiStyle = 17;

/// The export view of the tests: records where pictures were asked to go, and checks that
/// the folder is the run's own.
class TRecordingView : public TZUKDocumentExportView {
 public:
  using TZUKDocumentExportView::TZUKDocumentExportView;
  bool SaveHTMLToStream(TStream& stream, const std::string& path, const std::string& title,
                        const std::string& imagesPrefix, TRVHTMLSaveOptions options) override {
    folders.insert(path);
    // The folder and the user's folder that holds it.
    for (const fs::path& folder :
         {fs::path(path).parent_path(), fs::path(path).parent_path().parent_path()}) {
      struct stat st;
      if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || (st.st_mode & 07777) != 0700)
        ADD_FAILURE() << "picture folder is not private: " << folder;
    }
    if (!FilesIn(path).empty()) ADD_FAILURE() << "picture folder is not empty: " << path;
    titles.insert(title);
    optionSets.insert(options);
    return TZUKDocumentExportView::SaveHTMLToStream(stream, path, title, imagesPrefix, options);
  }
  std::set<std::string> folders;
  std::set<std::string> titles;
  std::set<int> optionSets;
};

class ZUKConverterTest : public ::testing::Test {
 public:
  static std::string ExamStyles() { return StyleBytes({"Exam Text", "Exam Bold"}, {"Exam Para"}); }

 protected:
  void SetUp() override {
    previousStore_ = std::move(LocalizationStore);
    LocalizationStore = TLocalizationStore::Create<TZUKConverterLocalizationStore>();
    bullets.SetSize(9, 6);
    bullets.Add(htmltest::SolidBitmap(9, 6, clNavy).get(), nullptr);
    RVBuildMainStyle(sheet, &bullets);
    zukpart::SolidGIF(1, 1, clBlack);  // registers the GIF class with the RVF reader
  }
  void TearDown() override { LocalizationStore = std::move(previousStore_); }

  /// A builder of parts in the sheet the exam's styles have been appended to.
  TPartBuilder Part() {
    if (!examSheet_) {
      examSheet_ = std::make_unique<TRVStyle>();
      RVBuildMainStyle(*examSheet_, &bullets);
      TMemoryStream styles(ExamStyles());
      LoadStyleFromStream(*examSheet_, styles);
    }
    return TPartBuilder(*examSheet_);
  }
  /// The sheet parts are built in: the converter's styles and the exam's.
  const TRVStyle& ExamSheet() {
    Part();
    return *examSheet_;
  }
  /// A file of one standard exam holding `questions`.
  ZUKFileDesc FileOf(std::vector<ZUKQuestionDesc> questions) {
    ZUKFileDesc desc;
    desc.styles = ExamStyles();
    desc.description = Part().Unicode(u"About this exam").RVF();
    desc.exams.push_back(ZUKExamDesc{false, std::move(questions), {}});
    return desc;
  }
  ZUKQuestionDesc Choice(std::vector<std::string> parts, int32_t choices, bool caseStudy = false) {
    ZUKQuestionDesc q;
    q.type = 0;
    q.parts = std::move(parts);
    q.number = choices;
    q.flag = caseStudy;
    q.title = "Case";
    q.answer = "A";
    return q;
  }

  std::string Source(const ZUKFileDesc& desc, const std::string& name = "exam.zuk") {
    const std::string path = dir.Path() + name;
    WriteFile(path, BuildZUKFile(desc));
    return path;
  }

  /// Loads `source` and writes `target` with `view` (the tests' recording view by default).
  void Convert(const std::string& source, const std::string& target, TZUKExportView* with = nullptr,
               TZUKProgressEvent progress = nullptr) {
    TZUKConverter converter(source, nullptr);
    TZUKRVStyleTarget styles(*(with ? with : &view)->GetStyle());
    converter.Style = &styles;
    converter.Load();
    converter.OnProgress = std::move(progress);
    converter.SaveMobile(target, with ? *with : view);
  }
  /// Converts twice and checks that each run had a folder of its own inside `parent`, gone
  /// afterwards (the recording view checks that it was private and empty for each block).
  void ExpectFreshFoldersIn(const std::string& source, const std::string& parent) {
    view.folders.clear();
    Convert(source, dir.Path() + "one.zukm");
    Convert(source, dir.Path() + "two.zukm");
    ASSERT_EQ(view.folders.size(), 2u);
    for (const std::string& folder : view.folders) {
      EXPECT_TRUE(folder.starts_with(parent + "/zuk_converter-")) << folder;
      EXPECT_FALSE(fs::exists(folder)) << folder;
    }
  }
  ZUKMobileFile ConvertAndRead(const ZUKFileDesc& desc) {
    const std::string target = dir.Path() + "exam.zukm";
    Convert(Source(desc), target);
    return ReadZUKMobileFile(ReadFile(target));
  }

  /// Checks every block: the HTML parses without errors, names exactly the block's files,
  /// and every file is a JPEG named after the block, listed in name order. Without html5lib
  /// it skips the test once the checks that need no parser have run.
  void CheckBlocks(const ZUKMobileFile& file) {
    for (const auto& [name, block] : AllBlocks(file)) {
      SCOPED_TRACE(name);
      std::multiset<std::string> files;
      std::vector<std::string> order;
      for (const auto& [fileName, bytes] : block->files) {
        EXPECT_TRUE(fileName.starts_with(name + "_img") && fileName.ends_with(".jpg")) << fileName;
        EXPECT_TRUE(DecodesAsJPEG(bytes)) << fileName;
        files.insert(fileName);
        order.push_back(fileName);
      }
      EXPECT_TRUE(std::is_sorted(order.begin(), order.end(), FolderNameLess));
      EXPECT_TRUE(block->html.ends_with("\r\n") || block->html.empty());
      if (!htmltest::HTML5LibAvailable()) continue;
      const htmltest::TParsedPage page = htmltest::ParseHTML5(block->html, true);
      ASSERT_TRUE(page.Ran) << page.Errors;
      EXPECT_EQ(page.Errors, "") << block->html;
      EXPECT_EQ(ImageSources(page.Outline), files) << page.Outline;
    }
    if (!htmltest::HTML5LibAvailable()) GTEST_SKIP() << "python3-html5lib is not installed";
  }

  /// The outline html5lib makes of a block ("" without html5lib).
  static std::string Outline(const ZUKMobileBlock& block) {
    return htmltest::HTML5LibAvailable() ? htmltest::ParseHTML5(block.html, true).Outline : std::string();
  }

  /// The images of the sheet's bulleted lists.
  TCustomImageList bullets;
  TRVStyle sheet;
  TRecordingView view{sheet};
  htmltest::TTempFolder dir;

 private:
  std::unique_ptr<TLocalizationStore> previousStore_;
  std::unique_ptr<TRVStyle> examSheet_;
};

// ---------------------------------------------------------------------------------------
// End to end

/// Every kind of question record, case studies, exhibits of both kinds (and one without
/// bytes), parts with pictures of every class, lists, Unicode and 8-bit text, empty parts.
ZUKFileDesc RichFile(const std::function<TPartBuilder()>& part) {
  ZUKFileDesc desc;
  desc.properties.text1 = "Networking basics";
  desc.properties.text2 = "Vendor \xE9";
  desc.properties.number1 = 42;
  desc.styles = ZUKConverterTest::ExamStyles();
  desc.description = part().Unicode(u"About this exam").Picture(htmltest::SolidBitmap(6, 4, clBlue)).RVF();
  desc.sections = {{7, "Routing"}, {3, "Switching \xC4"}};

  ZUKQuestionDesc first;
  first.type = 0;
  first.sectionId = 7;
  first.setting = 11;
  first.number = 4;
  first.answer = "AC";
  first.exhibits = {
      {"Topology", 0, std::string("GIF89a\x01\x00", 8)}, {"Photo", 1, "\xFF\xD8\xFF"}, {"None", 1, ""}};
  first.parts = {part().Unicode(u"Which picture is a JPEG?").Picture(htmltest::SolidJPEG(9, 7, clRed)).RVF(),
                 part().Picture(htmltest::SolidBitmap(5, 5, clLime)).RVF(),
                 part().Picture(zukpart::SolidGIF(4, 3, clYellow)).RVF(),
                 part().Picture(htmltest::HalfTransparentIcon(16, 16, clRed)).RVF(),
                 part().Picture(zukpart::SolidWMF(0x0000FF)).RVF(),
                 part()
                     .ListItem(u"First reason")
                     .ListItem(u"Second reason")
                     .ListItem(u"A bullet", zukpart::kBulletList)
                     .RVF()};

  ZUKQuestionDesc second;
  second.type = 1;
  second.setting = 2;
  second.number = 2;
  second.flag = true;
  second.title = "Contoso";
  second.answer = "B";
  second.parts = {part().Ansi("Caf\xE9 <b> & co", kAnsiStyle).RVF(),
                  part().Unicode(u"\u041F\u0440\u0438\u0432\u0435\u0442 \U0001F600").RVF(), "",
                  part().Unicode(u"  two leading blanks").RVF(), ""};

  // The other kinds are stepped over on load: they are not in the mobile file.
  ZUKExamDesc standard{false, {first}, {}};
  for (uint8_t type : {2, 3, 4, 5, 7, 8, 9}) {
    ZUKQuestionDesc other;
    other.type = type;
    standard.questions.push_back(other);
    if (type == 5) standard.questions.push_back(second);
  }
  ZUKExamDesc empty;  // no questions: left out
  ZUKExamDesc caseStudy;
  caseStudy.caseStudy = true;
  ZUKQuestionDesc inSet = second;
  inSet.flag = false;
  inSet.answer = "A";
  inSet.parts = {part().Unicode(u"In a set").RVF(), "", "", ""};
  ZUKSetDesc set;
  set.questions = {inSet};
  ZUKSetDesc testlet;
  testlet.testlet = true;
  testlet.pages = {{"Overview", part().Unicode(u"page").RVF(), {}}};
  ZUKQuestionDesc inTestlet = inSet;
  inTestlet.sectionId = 3;
  testlet.questions = {inTestlet};
  caseStudy.sets = {set, testlet};
  desc.exams = {standard, empty, caseStudy};
  return desc;
}

TEST_F(ZUKConverterTest, WritesEveryFieldOfARichExam) {
  const ZUKFileDesc desc = RichFile([this] { return Part(); });
  const ZUKMobileFile file = ConvertAndRead(desc);

  EXPECT_EQ(file.text1, "Networking basics");
  EXPECT_EQ(file.text2, "Vendor \xE9");
  EXPECT_EQ(file.number1, 42);
  EXPECT_TRUE(file.descriptionFlag);
  ASSERT_TRUE(file.description);
  EXPECT_EQ(file.description->files.size(), 1u);
  EXPECT_EQ(file.sections, desc.sections);
  ASSERT_EQ(file.exams.size(), 2u);
  ASSERT_EQ(file.exams[0].size(), 2u);
  ASSERT_EQ(file.exams[1].size(), 2u);

  const ZUKMobileQuestion& first = file.exams[0][0];
  EXPECT_EQ(first.type, 0);
  EXPECT_EQ(first.sectionId, 7);
  EXPECT_EQ(first.setting, 11);
  ASSERT_EQ(first.exhibits.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(first.exhibits[i].title, desc.exams[0].questions[0].exhibits[i].title);
    EXPECT_EQ(first.exhibits[i].kind, desc.exams[0].questions[0].exhibits[i].kind);
    EXPECT_EQ(first.exhibits[i].image, desc.exams[0].questions[0].exhibits[i].image);
  }
  EXPECT_TRUE(first.flag1);
  EXPECT_FALSE(first.hasCaseStudy);
  ASSERT_EQ(first.choices.size(), 4u);
  EXPECT_EQ(first.answer, "AC");
  EXPECT_EQ(first.question.files.size(), 1u);
  for (const ZUKMobileBlock& choice : first.choices) EXPECT_EQ(choice.files.size(), 1u);
  EXPECT_TRUE(first.explanation.files.empty());

  const ZUKMobileQuestion& second = file.exams[0][1];
  EXPECT_EQ(second.type, 1);
  EXPECT_EQ(second.sectionId, -1);
  EXPECT_TRUE(second.hasCaseStudy);
  EXPECT_EQ(second.caseStudyTitle, "Contoso");
  ASSERT_TRUE(second.caseStudy);
  ASSERT_EQ(second.choices.size(), 2u);
  EXPECT_EQ(second.answer, "B");
  EXPECT_TRUE(second.exhibits.empty());

  // The questions of a case-study exam's sets, in tree order.
  EXPECT_EQ(file.exams[1][0].sectionId, -1);
  EXPECT_EQ(file.exams[1][1].sectionId, 3);
  CheckBlocks(file);

  if (!htmltest::HTML5LibAvailable()) GTEST_SKIP() << "python3-html5lib is not installed";
  EXPECT_NE(Outline(first.question).find("Which picture is a JPEG?"), std::string::npos);
  EXPECT_NE(Outline(first.explanation).find("Second reason"), std::string::npos);
  EXPECT_NE(Outline(first.explanation).find("<li value=2>"), std::string::npos) << first.explanation.html;
  EXPECT_NE(Outline(first.explanation).find("<ul>"), std::string::npos) << first.explanation.html;
  EXPECT_NE(Outline(second.question).find("Caf\xC3\xA9 <b> & co"), std::string::npos);
  EXPECT_NE(
      Outline(*second.caseStudy).find("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xF0\x9F\x98\x80"),
      std::string::npos);
  // Leading blanks stay visible.
  EXPECT_NE(second.choices[1].html.find("&nbsp;&nbsp;two leading blanks"), std::string::npos)
      << second.choices[1].html;
}

TEST_F(ZUKConverterTest, TheViewerControlWritesWhatTheDocumentCoreWrites) {
  const std::string source = Source(RichFile([this] { return Part(); }));
  Convert(source, dir.Path() + "core.zukm");
  TRVStyle viewerSheet;
  RVBuildMainStyle(viewerSheet, &bullets);
  TRVViewer viewer;
  viewer.SetStyle(&viewerSheet);
  viewer.SetDoInPaletteMode(rvpaCreateCopies);
  TZUKViewerExportView throughViewer(viewer);
  Convert(source, dir.Path() + "viewer.zukm", &throughViewer);
  EXPECT_EQ(ReadFile(dir.Path() + "viewer.zukm"), ReadFile(dir.Path() + "core.zukm"));

  // The viewer reports the picture it could not decode, and which it was.
  std::string rvf = Part().Picture(htmltest::SolidBitmap(20, 20, clRed)).RVF();
  rvf.replace(rvf.find("BM"), 2, "XX");
  EXPECT_THAT(
      [&] {
        Convert(Source(FileOf({Choice({rvf, ""}, 0)}), "bad.zuk"), dir.Path() + "bad.zukm", &throughViewer);
      },
      ::testing::ThrowsMessage<EZUKConversionError>(::testing::HasSubstr("picture 1 (BMP)")));
}

TEST_F(ZUKConverterTest, PartsWithTablesKeepTheirGrid) {
  const std::string part =
      Part()
          .Unicode(u"Which cell is merged?")
          .Table(3, 3, {u"big", u"", u"r", u"", u"", u"s", u"x", u"y", u"z"}, {{0, 0, 2, 2}})
          .Table(1, 2, {u"a", u"b"})
          .RVF();
  const ZUKMobileFile file = ConvertAndRead(FileOf({Choice({part, ""}, 0)}));
  ASSERT_EQ(file.exams.size(), 1u);
  const ZUKMobileBlock& block = file.exams[0][0].question;
  CheckBlocks(file);
  if (!htmltest::HTML5LibAvailable()) GTEST_SKIP() << "python3-html5lib is not installed";
  // One line per row: its cells with their spans and texts.
  std::string grid;
  std::istringstream lines(Outline(block));
  std::string line;
  while (std::getline(lines, line)) {
    const std::string trimmed = line.substr(line.find_first_not_of(' '));
    if (trimmed.rfind("<table", 0) == 0) grid += "|";
    if (trimmed.rfind("<tr", 0) == 0) grid += "\n";
    if (trimmed.rfind("<td", 0) == 0)
      grid += trimmed.find("colspan=2 rowspan=2") != std::string::npos ? "[2x2]" : "[]";
    if (trimmed[0] == '\'' && grid.find('|') != std::string::npos) grid += trimmed;
  }
  EXPECT_EQ(grid, "|\n[2x2]'big'[]'r'\n[]'s'\n[]'x'[]'y'[]'z'|\n[]'a'[]'b'") << block.html;
}

TEST_F(ZUKConverterTest, EmptyPartsAndAnExamWithoutDescription) {
  // The second question's parts are missing altogether: its blocks are empty documents.
  ZUKFileDesc desc = FileOf({Choice({"", "", ""}, 1), Choice({}, 0)});
  desc.properties.descriptionFlag = false;
  desc.exams.push_back(ZUKExamDesc{});
  const ZUKMobileFile file = ConvertAndRead(desc);
  EXPECT_FALSE(file.descriptionFlag);
  EXPECT_FALSE(file.description);
  ASSERT_EQ(file.exams.size(), 1u);
  ASSERT_EQ(file.exams[0].size(), 2u);
  EXPECT_EQ(file.exams[0][0].question.html, file.exams[0][1].question.html);
  EXPECT_EQ(file.exams[0][1].explanation.html, file.exams[0][1].question.html);
  for (const auto& [name, block] : AllBlocks(file)) EXPECT_TRUE(block->files.empty()) << name;
  CheckBlocks(file);
}

TEST_F(ZUKConverterTest, ExamsWithoutQuestionsGiveNoExamRecords) {
  ZUKFileDesc desc = FileOf({});
  desc.exams.push_back(ZUKExamDesc{});
  const std::string target = dir.Path() + "exam.zukm";
  Convert(Source(desc), target);
  const std::string bytes = ReadFile(target);
  const ZUKMobileFile file = ReadZUKMobileFile(bytes);
  EXPECT_TRUE(file.exams.empty());
  // The exam count 0 is followed directly by the trailer.
  EXPECT_EQ(Int32At(bytes, static_cast<int64_t>(bytes.size()) - 8), 0);
}

TEST_F(ZUKConverterTest, PicturesOfOnePartDoNotReachTheNext) {
  const ZUKFileDesc desc = FileOf({Choice(
      {Part().Picture(htmltest::SolidJPEG(4, 4, clRed)).RVF(), Part().Unicode(u"no picture").RVF(),
       Part().Picture(htmltest::SolidBitmap(3, 3, clRed)).Picture(htmltest::SolidBitmap(2, 2, clBlue)).RVF(),
       ""},
      2)});
  const ZUKMobileFile file = ConvertAndRead(desc);
  ASSERT_EQ(file.exams.size(), 1u);
  const ZUKMobileQuestion& q = file.exams[0][0];
  EXPECT_EQ(q.question.files.size(), 1u);
  EXPECT_TRUE(q.choices[0].files.empty());
  ASSERT_EQ(q.choices[1].files.size(), 2u);
  EXPECT_EQ(q.choices[1].files[0].first, "choiceB_img1.jpg");
  EXPECT_EQ(q.choices[1].files[1].first, "choiceB_img2.jpg");
  CheckBlocks(file);
  EXPECT_EQ(view.titles, std::set<std::string>{"content"});
  EXPECT_EQ(view.optionSets, std::set<int>{0x55});
}

TEST_F(ZUKConverterTest, AGIFWithADamagedCodeIsConverted) {
  // A 3 x 1 GIF whose codes are clear, 1, 7 (beyond the next free code 6), end, in place of a
  // sound GIF's bytes.
  std::string damaged(
      "GIF89a\x03\x00\x01\x00\x80\x00\x00\xFF\x00\x00\x00\x00\xFF"
      "\x2C\x00\x00\x00\x00\x03\x00\x01\x00\x00\x02\x02\xCC\x0B\x00\x3B",
      35);
  std::unique_ptr<TGIFImage> sound = zukpart::SolidGIF(40, 30, clYellow);
  TMemoryStream soundBytes;
  sound->SaveToStream(soundBytes);
  damaged.resize(soundBytes.DataString().size(), '\0');
  const std::string rvf = Replaced(Part().Picture(std::move(sound)).RVF(), soundBytes.DataString(), damaged);
  const ZUKMobileFile file = ConvertAndRead(FileOf({Choice({rvf, "", ""}, 1)}));
  ASSERT_EQ(file.exams.size(), 1u);
  ASSERT_EQ(file.exams[0][0].question.files.size(), 1u);
  int width = 0, height = 0;
  EXPECT_TRUE(DecodesAsJPEG(file.exams[0][0].question.files[0].second, &width, &height));
  EXPECT_EQ(std::pair(width, height), std::pair(3, 1));
}

TEST_F(ZUKConverterTest, PicturesInTableCellsReachTheBlock) {
  // The cell's picture is written by the cell's own document, not the part's.
  const std::string part = Part()
                               .Picture(htmltest::SolidBitmap(3, 3, clRed))
                               .PictureInTable(htmltest::SolidBitmap(5, 4, clBlue))
                               .RVF();
  const ZUKMobileFile file = ConvertAndRead(FileOf({Choice({part, ""}, 0)}));
  ASSERT_EQ(file.exams.size(), 1u);
  const ZUKMobileBlock& block = file.exams[0][0].question;
  ASSERT_EQ(block.files.size(), 2u);
  EXPECT_EQ(block.files[1].first, "question_img2.jpg");
  CheckBlocks(file);
}

TEST_F(ZUKConverterTest, APictureWithoutPixelsIsLeftOutOfItsBlock) {
  const std::string part = Part()
                               .Unicode(u"before")
                               .Picture(std::make_unique<TBitmap>())
                               .Picture(htmltest::SolidBitmap(3, 3, clRed))
                               .RVF();
  const ZUKMobileFile file = ConvertAndRead(FileOf({Choice({"", part, ""}, 1)}));
  ASSERT_EQ(file.exams.size(), 1u);
  EXPECT_NE(file.exams[0][0].choices[0].html.find("before"), std::string::npos);
  EXPECT_EQ(file.exams[0][0].choices[0].files.size(), 1u);  // and CheckBlocks finds one IMG for it
  CheckBlocks(file);
}

TEST_F(ZUKConverterTest, AStyleBlockInAPartAppliesToThatPartOnly) {
  // A part saved with its own style sheet replaces the sheet's styles while it is read:
  // a sheet of its own size, or one with as many styles as the exam's.
  TRVStyle small;
  TRVStyle sameSize;
  sameSize.SetTextStyles(ExamSheet().TextStyles());
  sameSize.SetParaStyles(ExamSheet().ParaStyles());
  ASSERT_EQ(sameSize.TextStyles().Count(), 19);
  for (const auto& [own, style] : {std::pair{&small, 0}, std::pair{&sameSize, kAnsiStyle}}) {
    own->TextStyles().Items(style)->Color = clRed;
    TCustomRVData styled;
    styled.SetRVStyle(own);
    styled.SetRVFOptions(styled.GetRVFOptions() | rvfoSaveTextStyles | rvfoSaveParaStyles);
    styled.AddTextItem("big", style, 0);
    TMemoryStream styledRVF;
    styled.SaveRVFToStream(styledRVF, false, clNone, nullptr, nullptr);

    const std::string plain = Part().Ansi("exam style", kAnsiStyle).Unicode(u"main style").RVF();
    const ZUKMobileFile alone = ConvertAndRead(FileOf({Choice({plain, plain}, 1)}));
    const ZUKMobileFile after = ConvertAndRead(FileOf({Choice({styledRVF.DataString(), plain}, 1)}));
    ASSERT_EQ(alone.exams.size(), 1u);
    ASSERT_EQ(after.exams.size(), 1u);
    EXPECT_NE(after.exams[0][0].question.html, alone.exams[0][0].question.html);
    EXPECT_EQ(after.exams[0][0].choices[0].html, alone.exams[0][0].choices[0].html);
    // The caller's sheet is as it was.
    EXPECT_EQ(sheet.TextStyles().Count(), 19);
    EXPECT_EQ(sheet.ParaStyles().Count(), 18);
  }
}

TEST_F(ZUKConverterTest, ReportsEveryWrittenQuestionAgainstTheTotal) {
  const std::string part = Part().Unicode(u"q").RVF();
  ZUKFileDesc desc = FileOf({Choice({part, part}, 0), Choice({part, part}, 0)});
  desc.exams.push_back(ZUKExamDesc{false, {Choice({part, part}, 0)}, {}});
  std::vector<std::pair<int64_t, int64_t>> calls;
  Convert(Source(desc), dir.Path() + "exam.zukm", nullptr,
          [&](int64_t total, int64_t position) { calls.emplace_back(total, position); });
  EXPECT_EQ(calls, (std::vector<std::pair<int64_t, int64_t>>{{3, 1}, {3, 2}, {3, 3}}));
}

TEST_F(ZUKConverterTest, EachRunUsesAFreshFolderInTheTemporaryFolderTMPDIRNames) {
  ScopedEnv tmpdir("TMPDIR", dir.Path().c_str());
  const ZUKFileDesc desc = FileOf({Choice({Part().Picture(htmltest::SolidJPEG(2, 2, clRed)).RVF(), ""}, 0)});
  const std::string privateFolder = GetPrivateTempFolder();
  ASSERT_TRUE(privateFolder.starts_with(dir.Path()));
  ExpectFreshFoldersIn(Source(desc), privateFolder);
  // The user's folder goes with the last run that used it.
  EXPECT_FALSE(fs::exists(privateFolder));
}

TEST_F(ZUKConverterTest, WithoutTMPDIRPicturesGoToAPrivateFolderInMemory) {
  struct statfs shm;
  if (statfs("/dev/shm", &shm) != 0 || static_cast<unsigned long>(shm.f_type) != TMPFS_MAGIC ||
      static_cast<uint64_t>(shm.f_bavail) * shm.f_bsize < (uint64_t{256} << 20))
    GTEST_SKIP() << "/dev/shm is not a memory file system with room here";
  const std::string uid = std::to_string(geteuid());
  const std::string shared = "/dev/shm/zuk-" + uid;
  // A runtime folder in memory, first private, then readable by others; a link to it.
  std::string pattern = "/dev/shm/zuk-converter-test-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const std::string runtime = pattern;
  const std::string link = dir.Path() + "runtime-link";
  ASSERT_EQ(symlink(runtime.c_str(), link.c_str()), 0);
  const std::string source =
      Source(FileOf({Choice({Part().Picture(htmltest::SolidJPEG(2, 2, clRed)).RVF(), ""}, 0)}));

  ScopedEnv tmpdir("TMPDIR", nullptr);
  const struct {
    const char* runtimeDir;
    mode_t runtimeMode;
    std::string parent;
  } cases[] = {
      {nullptr, 0700, shared},         {runtime.c_str(), 0700, runtime + "/zuk-" + uid},
      {runtime.c_str(), 0755, shared},  // others may look in: not private
      {link.c_str(), 0700, shared},     // never through a link
      {"relative/path", 0700, shared},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.runtimeDir ? c.runtimeDir : "(no runtime folder)");
    ScopedEnv runtimeDir("XDG_RUNTIME_DIR", c.runtimeDir);
    chmod(runtime.c_str(), c.runtimeMode);
    // The user's folder is private while it is used (the view checks).
    ExpectFreshFoldersIn(source, c.parent);
  }
  fs::remove_all(runtime);
}

TEST_F(ZUKConverterTest, ReplacesAnExistingTargetKeepingItsPermissions) {
  const std::string target = dir.Path() + "exam.zukm";
  WriteFile(target, "old");
  chmod(target.c_str(), 0640);
  Convert(Source(FileOf({Choice({"", ""}, 0)})), target);
  EXPECT_EQ(ReadZUKMobileFile(ReadFile(target)).exams.size(), 1u);
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(FilesIn(dir.Path()), (std::set<std::string>{"exam.zuk", "exam.zukm"}));
}

TEST_F(ZUKConverterTest, ATargetFolderMovedWhileWrittenGetsTheTargetAndNoPartialFile) {
  const std::string source = Source(FileOf({Choice({"", ""}, 0), Choice({"", ""}, 0)}));
  fs::create_directories(dir.Path() + "out");
  Convert(source, dir.Path() + "out/exam.zukm", nullptr, [&](int64_t, int64_t position) {
    if (position == 1) fs::rename(dir.Path() + "out", dir.Path() + "moved");
  });
  EXPECT_EQ(FilesIn(dir.Path() + "moved"), (std::set<std::string>{"exam.zukm"}));
  EXPECT_EQ(ReadZUKMobileFile(ReadFile(dir.Path() + "moved/exam.zukm")).exams.size(), 1u);
}

// The hidden temporary name is longer than the target's and must still fit the folder's limit
// of 255 bytes, also where its cut falls inside a two-byte character: before that character.
TEST_F(ZUKConverterTest, ATargetNameOfTheLongestLengthConvertsFreshAndOverAnOldFile) {
  const std::string source = Source(FileOf({Choice({"", ""}, 0)}));
  for (const auto& [name, kept] : {std::pair{std::string(250, 'x') + ".zukm", std::string(247, 'x')},
                                   {std::string(246, 'x') + Utf8(u8"фф") + ".zukm", std::string(246, 'x')}}) {
    for (const bool existing : {false, true}) {
      const std::string target = dir.Path() + name;
      if (existing) WriteFile(target, "old");
      std::string hidden;  // "." + kept + "." + six characters
      Convert(source, target, nullptr, [&](int64_t, int64_t) { hidden = *FilesIn(dir.Path()).begin(); });
      EXPECT_EQ(hidden.substr(0, std::max<size_t>(hidden.size(), 6) - 6), "." + kept + ".");
      EXPECT_EQ(ReadZUKMobileFile(ReadFile(target)).exams.size(), 1u) << existing;
      EXPECT_EQ(FilesIn(dir.Path()), (std::set<std::string>{"exam.zuk", name}));
      fs::remove(target);
    }
  }
}

TEST_F(ZUKConverterTest, RefusesCaseStudyBasedFiles) {
  ZUKFileDesc desc = FileOf({});
  desc.properties.fileType = 1;
  TZUKConverter converter(Source(desc), nullptr);
  EXPECT_THROW(converter.Load(), EZUKWrongExamFileType);
}

// ---------------------------------------------------------------------------------------
// Failures: an error, no partial file, an existing target untouched

class ZUKConverterFailureTest : public ZUKConverterTest {
 protected:
  void SetUp() override {
    ZUKConverterTest::SetUp();
    target = dir.Path() + "exam.zukm";
    WriteFile(target, kOldTarget);
  }
  /// The target is as it was, and nothing else was left beside it.
  void ExpectTargetUntouched(const std::string& source) {
    EXPECT_EQ(ReadFile(target), kOldTarget);
    EXPECT_EQ(FilesIn(dir.Path()), (std::set<std::string>{ExtractFileName(source), "exam.zukm"}));
  }
  /// Converts and answers the error's message ("" when nothing was raised).
  template <typename E>
  std::string ConversionError(const std::string& source) {
    try {
      Convert(source, target);
    } catch (const E& e) {
      return e.what();
    }
    ADD_FAILURE() << "no error";
    return {};
  }

  /// Converts in a child process after `prepare` (which answers whether it could set the child
  /// up): 3 when the conversion raised E, 2 for another error, 0 for none, 4 when `prepare`
  /// failed.
  template <typename E>
  int ConvertInChild(const std::string& source, const std::function<bool()>& prepare) {
    return RunInChild([&] {
      if (!prepare()) return 4;
      try {
        Convert(source, target);
      } catch (const E&) {
        return 3;
      } catch (...) {
        return 2;
      }
      return 0;
    });
  }

  static constexpr const char* kOldTarget = "an older conversion";
  std::string target;
};

/// A part whose RVF ends inside a picture's bytes.
std::string CutShort(const std::string& rvf) {
  return rvf.substr(0, rvf.size() - 20);
}

TEST_F(ZUKConverterFailureTest, APartThatCannotBeReadNamesTheExamAndTheQuestion) {
  const std::string bad = CutShort(Part().Picture(htmltest::SolidBitmap(20, 20, clRed)).RVF());
  const std::string good = Part().Unicode(u"fine").RVF();
  const std::string source =
      Source(FileOf({Choice({good, good, good}, 1), Choice({good, good, bad, good}, 2)}));
  EXPECT_EQ(ConversionError<EZUKConversionError>(source),
            "Exam A, question 2: the rich-text part \"choiceB\" could not be converted.");
  ExpectTargetUntouched(source);
}

TEST_F(ZUKConverterFailureTest, TheMessageIsInTheUsersLanguage) {
  htmltest::TTempFolder iniFolder;
  const std::string ini = iniFolder.Path() + "language.ini";
  WriteFile(ini, "[language]\r\nCurrentLanguageIndex=1\r\n");
  LocalizationStore = TLocalizationStore::Create<TStoreInLanguage>(ini);
  const std::string bad = CutShort(Part().Picture(htmltest::SolidBitmap(20, 20, clRed)).RVF());
  const std::string source = Source(FileOf({Choice({bad, ""}, 0)}));
  EXPECT_EQ(
      ConversionError<EZUKConversionError>(source),
      "\xD0\xAD\xD0\xBA\xD0\xB7\xD0\xB0\xD0\xBC\xD0\xB5\xD0\xBD A, \xD0\xB2\xD0\xBE\xD0\xBF\xD1\x80\xD0\xBE"
      "\xD1\x81 1: \xD0\xBD\xD0\xB5 \xD1\x83\xD0\xB4\xD0\xB0\xD0\xBB\xD0\xBE\xD1\x81\xD1\x8C "
      "\xD0\xBF\xD1\x80\xD0\xB5\xD0\xBE\xD0\xB1\xD1\x80\xD0\xB0\xD0\xB7\xD0\xBE\xD0\xB2\xD0\xB0\xD1\x82\xD1"
      "\x8C "
      "\xD1\x84\xD0\xBE\xD1\x80\xD0\xBC\xD0\xB0\xD1\x82\xD0\xB8\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB0\xD0\xBD\xD0"
      "\xBD"
      "\xD1\x83\xD1\x8E \xD1\x87\xD0\xB0\xD1\x81\xD1\x82\xD1\x8C \"question\".");
  ExpectTargetUntouched(source);
}

TEST_F(ZUKConverterFailureTest, AnUnreadableDescriptionFailsTheConversion) {
  ZUKFileDesc desc = FileOf({Choice({"", ""}, 0)});
  desc.description = CutShort(Part().Picture(htmltest::SolidBitmap(20, 20, clRed)).RVF());
  const std::string source = Source(desc);
  EXPECT_EQ(ConversionError<EZUKConversionError>(source), "The exam description could not be converted.");
  ExpectTargetUntouched(source);
}

TEST_F(ZUKConverterFailureTest, APictureThatCannotBeDecodedFailsThePart) {
  std::string rvf = Part().Picture(htmltest::SolidBitmap(20, 20, clRed)).RVF();
  const size_t at = rvf.find("BM");
  ASSERT_NE(at, std::string::npos);
  rvf.replace(at, 2, "XX");
  const std::string source = Source(FileOf({Choice({"", rvf}, 0)}));
  EXPECT_NE(ConversionError<EZUKConversionError>(source).find("\"expl\""), std::string::npos);
  ExpectTargetUntouched(source);
}

TEST_F(ZUKConverterFailureTest, APictureThatCannotBeDecodedIsNamedByItsNumberAndKind) {
  const std::string bitmap = Part().Picture(htmltest::SolidBitmap(2, 2, clRed)).RVF();
  const struct {
    std::string rvf;
    bool description;
    std::string message;
  } cases[] = {
      // The first of two JPEGs, in a table cell: a JPEG's first bytes made into none.
      {Replaced(Part()
                    .Picture(htmltest::SolidBitmap(2, 2, clRed))
                    .PictureInTable(htmltest::SolidJPEG(2, 2, clRed))
                    .Picture(htmltest::SolidJPEG(2, 2, clRed))
                    .RVF(),
                "\xFF\xD8\xFF", "XXX"),
       false,
       "Exam A, question 1: picture 2 (JPEG) of the rich-text part \"expl\" could not be decoded. "
       "JPEG error: Not a JPEG file: starts with 0x58 0x58"},
      {Replaced(bitmap, "BM", "XX"), true,
       "Picture 1 (BMP) of the exam description could not be decoded. Bitmap image is not valid"},
      {Replaced(Part().Picture(htmltest::SolidJPEG(2, 2, clRed)).RVF(),
                std::string("\xFF\xC0\x00\x11\x08\x00\x02\x00\x02", 9),
                std::string("\xFF\xC0\x00\x11\x08\x9C\x40\x75\x30", 9)),
       false,
       "Exam A, question 1: picture 1 (JPEG) of the rich-text part \"expl\" could not be decoded. "
       "JPEG error: Picture is too large (30000 x 40000)"},
      // A metafile of 1440 inches square at one unit an inch decodes, but is too large to draw.
      {Replaced(Part().Picture(zukpart::SolidWMF(0x0000FF)).RVF(), std::string("\xA0\x05\xA0\x05\xA0\x05", 6),
                std::string("\xA0\x05\xA0\x05\x01\x00", 6)),
       false,
       "Exam A, question 1: the rich-text part \"expl\" could not be converted. "
       "Picture is too large (138240 x 138240)"},
      // A damaged class name: what is not printable is escaped, cut short between characters.
      {Replaced(bitmap, "TBitmap",
                "TGIF\x1F\xFF\\\xC3\xA9\x03\xE2\x80\xAE" + std::string(24, 'x') + "\xD0\xB6\xD0\xB6"),
       false,
       "Exam A, question 1: picture 1 (TGIF\\x1F\\xFF\\\\\xC3\xA9\\x03\\xE2\\x80\\xAE" +
           std::string(24, 'x') + "\xD0\xB6...) of the rich-text part \"expl\" could not be decoded."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    ZUKFileDesc desc = FileOf({Choice({"", c.description ? "" : c.rvf}, 0)});
    if (c.description) desc.description = c.rvf;
    const std::string source = Source(desc);
    EXPECT_EQ(ConversionError<EZUKConversionError>(source), c.message);
    ExpectTargetUntouched(source);
  }
}

TEST_F(ZUKConverterFailureTest, AChoiceCountThePartsCannotHoldIsAFormatError) {
  for (int32_t choices : {5, -1, 27}) {
    SCOPED_TRACE(choices);
    const std::vector<std::string> parts(choices == 27 ? 29 : 3, "");
    const std::string source = Source(FileOf({Choice(parts, choices)}));
    EXPECT_FALSE(ConversionError<EZUKIncorrectFileFormat>(source).empty());
    ExpectTargetUntouched(source);
  }
  // The count is the file's fault even when a part before the missing ones cannot be read.
  const std::string bad = CutShort(Part().Picture(htmltest::SolidBitmap(20, 20, clRed)).RVF());
  const std::string source = Source(FileOf({Choice({"", bad, ""}, 4)}));
  EXPECT_FALSE(ConversionError<EZUKIncorrectFileFormat>(source).empty());
  ExpectTargetUntouched(source);
}

/// `bytes` XORed with their index, as the exam files scramble sub-streams.
std::string Scrambled(std::string bytes) {
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(bytes[i] ^ static_cast<char>(i & 0xFF));
  return bytes;
}

TEST_F(ZUKConverterFailureTest, AnExhibitThatRunsPastItsRecordsIsAFormatError) {
  ZUKQuestionDesc q = Choice({"", ""}, 0);
  q.exhibits = {{"T", 1, "abc"}};
  std::string file = BuildZUKFile(FileOf({q}));
  // The exhibit's image length becomes 300 while its record holds 3 bytes.
  const std::string exhibits = ExhibitBytes(q.exhibits);
  std::string longer = exhibits;
  longer.replace(6, 4, std::string("\x2C\x01\x00\x00", 4));
  const size_t at = file.find(Scrambled(exhibits));
  ASSERT_NE(at, std::string::npos);
  file.replace(at, exhibits.size(), Scrambled(longer));
  const std::string source = dir.Path() + "exam.zuk";
  WriteFile(source, file);
  EXPECT_FALSE(ConversionError<EZUKIncorrectFileFormat>(source).empty());
  ExpectTargetUntouched(source);
}

TEST_F(ZUKConverterFailureTest, RefusesTheSourceAsTarget) {
  const std::string source = Source(FileOf({Choice({"", ""}, 0)}), "exam.zukm");
  const std::string original = ReadFile(source);
  EXPECT_EQ(ConversionError<EZUKConversionError>(source),
            "The target file is the source file itself. Choose another name for the converted file.");
  EXPECT_EQ(ReadFile(source), original);
  // Also under another name of the same file.
  const std::string link = dir.Path() + "link.zuk";
  ASSERT_EQ(::link(source.c_str(), link.c_str()), 0);
  TZUKConverter converter(link, nullptr);
  converter.Load();
  EXPECT_THROW(converter.SaveMobile(source, view), EZUKConversionError);
  EXPECT_EQ(ReadFile(source), original);
}

TEST_F(ZUKConverterFailureTest, AFullDiskLeavesNoPartialFile) {
  // A part of about 200 KB, far above the file size limit of the child.
  std::u16string text(100000, u'x');
  const std::string source = Source(FileOf({Choice({Part().Unicode(text).RVF(), ""}, 0)}));
  const int status = ConvertInChild<EWriteError>(source, [] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
  });
  EXPECT_EQ(status, 3);
  ExpectTargetUntouched(source);
}

TEST_F(ZUKConverterFailureTest, AFileTheSystemRefusesIsNamedWithItsReasonInTheUsersLanguage) {
  htmltest::TTempFolder iniFolder;
  UseLanguage(iniFolder, 1);
  const std::string folder = dir.Path() + "folder.zuk";
  fs::create_directory(folder);
  EXPECT_EQ(ConversionError<EStreamError>(folder),
            Utf8(u8"Не удалось открыть файл \"") + folder + "\". Is a directory");
  // The picture's JPEG file is above a limit of 512 bytes; the target, written through a larger
  // buffer, has not reached the disk when the picture file fails.
  UseLanguage(iniFolder, 0);
  const std::string source =
      Source(FileOf({Choice({Part().Picture(htmltest::SolidBitmap(200, 200, clRed)).RVF(), ""}, 0)}));
  EXPECT_EQ(RunInChild([&] {
              signal(SIGXFSZ, SIG_IGN);
              const rlimit limit{512, 512};
              if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 4;
              try {
                Convert(source, target);
              } catch (const EStreamError& e) {
                const std::string file = ExtractFilePath(e.FileName()) + "question_img1.jpg";
                return e.FileName() == file && e.what() == "The picture file \"" + file +
                                                               "\" could not be written. File too large"
                           ? 3
                           : 5;
              }
              return 0;
            }),
            3);
}

TEST_F(ZUKConverterFailureTest, ATemporaryFolderThatCannotBeUsedIsNamedInTheUsersLanguage) {
  htmltest::TTempFolder scratch;
  UseLanguage(scratch, 1);
  const std::string source = Source(FileOf({Choice({"", ""}, 0)}));
  const std::string user = "/zuk-" + std::to_string(geteuid());
  const std::string taken = scratch.Path() + "taken";  // where the user's folder is a file
  fs::create_directory(taken);
  WriteFile(taken + user, "");
  // Where the user's folder can be made but a folder in it cannot: its name would be too long.
  std::string deep = scratch.Path() + "deep";
  while (deep.size() + user.size() + 255 < PATH_MAX - 20) deep += "/" + std::string(250, 'd');
  deep += "/" + std::string(PATH_MAX - 20 - deep.size() - user.size() - 1, 'd');
  fs::create_directories(deep);
  const std::pair<std::string, std::string> cases[] = {
      {taken, Utf8(u8"Не удалось использовать временную папку \"") + taken + user +
                  Utf8(u8"\". Не папка или символическая ссылка")},
      {deep, Utf8(u8"Не удалось создать временную папку в \"") + deep + user + "\". File name too long"},
  };
  for (const auto& [tmpdir, message] : cases) {
    ScopedEnv env("TMPDIR", tmpdir.c_str());
    EXPECT_EQ(ConversionError<ETempFolderError>(source), message);
    ExpectTargetUntouched(source);
  }
}

TEST_F(ZUKConverterFailureTest, AFolderThatCannotBeWrittenLeavesTheTargetAsItWas) {
  const std::string source = Source(FileOf({Choice({"", ""}, 0)}));
  chmod(source.c_str(), 0644);
  chmod(dir.Path().c_str(), 0555);
  const int status = ConvertInChild<EFCreateError>(source, [] {
    // The superuser may write anywhere: take an ordinary user's rights first.
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return false;
    setenv("TMPDIR", "/tmp", 1);
    return true;
  });
  chmod(dir.Path().c_str(), 0755);
  if (status == 4) GTEST_SKIP() << "cannot take an ordinary user's rights";
  EXPECT_EQ(status, 3);
  ExpectTargetUntouched(source);
}

}  // namespace
