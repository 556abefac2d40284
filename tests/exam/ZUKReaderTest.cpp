#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../tools/fuzz/ExamReaderFuzzEntry.h"
#include "exam/ZUKException.h"
#include "exam/ZUKFileBuilder.h"
#include "exam/ZUKReader.h"
#include "exam/ZUKStream.h"
#include "platform/core/Exceptions.h"

namespace {

/// A style sheet that keeps only style names. Each property list must be: byte 1, then
/// (short-string name, 6, short-string value) pairs, then byte 0.
class TFakeStyleSheet : public TZUKStyleTarget {
 public:
  TFakeStyleSheet(int textStyles, int paraStyles) {
    for (int i = 0; i < textStyles; ++i) text.push_back("form text " + std::to_string(i));
    for (int i = 0; i < paraStyles; ++i) para.push_back("form para " + std::to_string(i));
  }
  int TextStyleCount() const override { return static_cast<int>(text.size()); }
  int ParaStyleCount() const override { return static_cast<int>(para.size()); }
  void DeleteTextStyle(int index) override { text.erase(text.begin() + index); }
  void DeleteParaStyle(int index) override { para.erase(para.begin() + index); }
  void AddTextStyle(TStream& stream) override { text.push_back(ReadList(stream)); }
  void AddParaStyle(TStream& stream) override { para.push_back(ReadList(stream)); }

  std::vector<std::string> text;
  std::vector<std::string> para;

 private:
  static std::string ShortString(TStream& stream) {
    std::string s(ReadByte(stream), '\0');
    stream.ReadBuffer(s.data(), static_cast<int64_t>(s.size()));
    return s;
  }
  static std::string ReadList(TStream& stream) {
    if (ReadByte(stream) != 1) throw EReadError("Invalid property list");
    std::string name;
    while (true) {
      const std::string property = ShortString(stream);
      if (property.empty()) return name;  // the end-of-list byte 0 reads as an empty name
      if (ReadByte(stream) != 6) throw EReadError("Invalid property value");
      name = ShortString(stream);
    }
  }
};

class TFakeDescriptionView : public TZUKDescriptionView {
 public:
  void Clear() override { calls += "clear;"; }
  void LoadRVFFromStream(TStream& stream) override {
    std::string bytes(static_cast<size_t>(stream.Remaining()), '\0');
    stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    calls += "load " + bytes + ";";
  }
  void Format() override { calls += "format;"; }
  std::string calls;
};

ZUKFileDesc SmallSpec() {
  ZUKFileDesc desc;
  desc.sections = {{5, "Five"}, {2, "Two"}};
  ZUKExamDesc exam;
  ZUKQuestionDesc q;
  q.parts = {"q", "a", "b", "e"};
  exam.questions = {q, q};
  desc.exams = {exam};
  return desc;
}

template <typename Reader = TZUKReader>
void LoadBytes(const std::string& bytes, bool headerOnly = false) {
  TMemoryStream stream(bytes);
  Reader reader(stream);
  reader.Load(headerOnly);
}

}  // namespace

TEST(ZUKReaderTest, AcceptsVersionsUpToElevenOnly) {
  struct Case {
    uint8_t major, minor;
    bool accepted;
  };
  for (const Case& c : std::vector<Case>{
           {0, 0, true}, {1, 1, true}, {0, 11, true}, {1, 2, false}, {2, 0, false}, {255, 255, false}}) {
    ZUKFileDesc desc = SmallSpec();
    desc.major = c.major;
    desc.minor = c.minor;
    const std::string file = BuildZUKFile(desc);
    if (c.accepted) {
      EXPECT_NO_THROW(LoadBytes(file)) << int(c.major) << "." << int(c.minor);
    } else {
      EXPECT_THROW(LoadBytes(file), EZUKFileFormatNextVersion) << int(c.major) << "." << int(c.minor);
      EXPECT_THROW(LoadBytes(file, true), EZUKFileFormatNextVersion);
    }
  }
}

TEST(ZUKReaderTest, RefusesWrongMagic) {
  for (std::string magic : {std::string("\x85\xA9"), std::string("\xA8\x85"), std::string("PK")}) {
    std::string file = BuildZUKFile(SmallSpec());
    file.replace(0, 2, magic);
    EXPECT_THROW(LoadBytes(file), EZUKIncorrectFileFormat);
  }
}

TEST(ZUKReaderTest, TrailerMustHoldItsOwnOffset) {
  ZUKFileLayout layout;
  const std::string file = BuildZUKFile(SmallSpec(), &layout);
  EXPECT_EQ(Int32At(file, layout.trailer), layout.trailer);
  for (int32_t wrong :
       {0, -1, static_cast<int32_t>(layout.trailer + 1), static_cast<int32_t>(layout.trailer - 4)}) {
    std::string bad = file;
    PatchInt32(bad, layout.trailer, wrong);
    try {
      LoadBytes(bad);
      ADD_FAILURE() << "trailer " << wrong << " accepted";
    } catch (const EZUKIncorrectFileFormat& e) {
      EXPECT_EQ(e.Message(), ZUKLocalizedText("INVALID_FILE_FORMAT"));
    }
  }
  // Nothing after the trailer is read.
  EXPECT_NO_THROW(LoadBytes(file + "trailing bytes"));
}

TEST(ZUKReaderTest, ReadsThePropertiesInFileOrder) {
  ZUKFileDesc desc = SmallSpec();
  desc.properties.fileType = 3;
  desc.properties.hasExtraText = true;
  desc.properties.extraText = "twice scrambled";
  desc.properties.extraData = std::string("\0\xFFraw", 5);
  TMemoryStream stream(BuildZUKFile(desc));
  TZUKReader reader(stream);
  reader.Load(true);
  const TZUKFileProperties& p = reader.Properties;
  EXPECT_EQ(p.FileType, 3);
  EXPECT_EQ(p.Text1, desc.properties.text1);
  EXPECT_EQ(p.Text2, desc.properties.text2);
  EXPECT_EQ(p.Number1, 7);
  EXPECT_EQ(p.Number2, 8);
  EXPECT_EQ(p.Text3, desc.properties.text3);
  EXPECT_EQ(p.Value3, -3.25);
  EXPECT_EQ(p.Value4, 100.0);
  EXPECT_TRUE(p.DescriptionFlag);
  EXPECT_TRUE(p.HasExtraText);
  EXPECT_EQ(p.ExtraText, "twice scrambled");
  EXPECT_EQ(p.ExtraData.DataString(), desc.properties.extraData);
  EXPECT_EQ(reader.Sections.Count(), 0) << "a header-only load stops after the properties";
}

TEST(ZUKReaderTest, WithoutExtraTextTheFlagsAreFollowedByTheExtraData) {
  ZUKFileDesc desc = SmallSpec();
  desc.properties.extraData = "XD";
  ZUKFileLayout layout;
  const std::string file = BuildZUKFile(desc, &layout);
  // ExtraData's prefix and bytes end the properties.
  EXPECT_EQ(Int32At(file, layout.styles - 6), 2);
  EXPECT_EQ(file.substr(static_cast<size_t>(layout.styles - 2), 2), "XD");
  EXPECT_EQ(file[static_cast<size_t>(layout.styles - 7)], '\0') << "HasExtraText";

  TMemoryStream stream(file);
  TZUKReader reader(stream);
  reader.Properties.ExtraText = "kept";
  reader.Load();
  EXPECT_FALSE(reader.Properties.HasExtraText);
  EXPECT_EQ(reader.Properties.ExtraText, "kept");
  EXPECT_EQ(reader.Properties.ExtraData.DataString(), "XD");
}

TEST(ZUKReaderTest, SectionsFollowFileOrderNotIds) {
  ZUKFileLayout layout;
  const std::string file = BuildZUKFile(SmallSpec(), &layout);
  TMemoryStream stream(file);
  TZUKReader reader(stream);
  reader.Load();
  ASSERT_EQ(reader.Sections.Count(), 2);
  EXPECT_EQ(reader.Sections[0]->Id, 5);
  EXPECT_EQ(reader.Sections[0]->Name, "Five");
  EXPECT_EQ(reader.Sections[0]->Index, 0);
  EXPECT_EQ(reader.Sections[1]->Id, 2);
  EXPECT_EQ(reader.Sections[1]->Index, 1);

  TMemoryStream saved;
  reader.Sections.Save(saved);
  EXPECT_EQ(saved.DataString(), file.substr(static_cast<size_t>(layout.sections),
                                            static_cast<size_t>(layout.exams - layout.sections)));
  TZUKSectionCollection none;
  TMemoryStream empty;
  none.Save(empty);
  EXPECT_EQ(empty.DataString(), std::string(4, '\0'));
}

TEST(ZUKReaderTest, KeepsStylesAndDescriptionRawWithoutSheetOrViewer) {
  ZUKFileDesc desc = SmallSpec();
  desc.styles = StyleBytes({"T1"}, {"P1", "P2"});
  desc.description = "rvf description bytes";
  TMemoryStream stream(BuildZUKFile(desc));
  TZUKReader reader(stream);
  reader.Load();
  EXPECT_EQ(reader.RawStyle.DataString(), desc.styles);
  EXPECT_EQ(reader.RawDescription.DataString(), desc.description);
  EXPECT_EQ(reader.RawStyle.Position(), 0);
}

TEST(ZUKReaderTest, LoadsStylesAfterTheFormsSeventeen) {
  struct Case {
    int formText, formPara;
    std::vector<std::string> fileText, filePara;
  };
  for (const Case& c : std::vector<Case>{{17, 17, {}, {}},
                                         {20, 19, {}, {}},
                                         {20, 17, {"Exam Text", "Exam Bold"}, {"Exam Para"}},
                                         {5, 3, {"A"}, {}}}) {
    ZUKFileDesc desc = SmallSpec();
    desc.styles = StyleBytes(c.fileText, c.filePara);
    TMemoryStream stream(BuildZUKFile(desc));
    TZUKReader reader(stream);
    TFakeStyleSheet sheet(c.formText, c.formPara);
    reader.Style = &sheet;
    reader.Load();
    const size_t keptText = static_cast<size_t>(std::min(c.formText, RVMainStyleCount));
    const size_t keptPara = static_cast<size_t>(std::min(c.formPara, RVMainStyleCount));
    ASSERT_EQ(sheet.text.size(), keptText + c.fileText.size());
    ASSERT_EQ(sheet.para.size(), keptPara + c.filePara.size());
    for (size_t i = 0; i < c.fileText.size(); ++i) EXPECT_EQ(sheet.text[keptText + i], c.fileText[i]);
    for (size_t i = 0; i < c.filePara.size(); ++i) EXPECT_EQ(sheet.para[keptPara + i], c.filePara[i]);
    EXPECT_EQ(sheet.text[keptText - 1], "form text " + std::to_string(keptText - 1));
    EXPECT_EQ(reader.RawStyle.Size(), 0);
  }
}

TEST(ZUKReaderTest, RefusesStyleListsThatCannotBeRead) {
  for (const std::string& styles :
       {std::string("\x01\x00\x00\x00\x07", 5), StyleBytes({"A"}, {}).substr(0, 10),
        std::string("\xFF\xFF\x00\x00", 4)}) {
    ZUKFileDesc desc = SmallSpec();
    desc.styles = styles;
    TMemoryStream stream(BuildZUKFile(desc));
    TZUKReader reader(stream);
    TFakeStyleSheet sheet(17, 17);
    reader.Style = &sheet;
    EXPECT_THROW(reader.Load(), EZUKIncorrectFileFormat);
  }
}

TEST(ZUKReaderTest, LoadsTheDescriptionIntoTheViewer) {
  ZUKFileDesc desc = SmallSpec();
  desc.description = "RVF!";
  TMemoryStream stream(BuildZUKFile(desc));
  TZUKReader reader(stream);
  TFakeDescriptionView view;
  reader.DescriptionView = &view;
  reader.Load();
  EXPECT_EQ(view.calls, "clear;load RVF!;format;");
  EXPECT_EQ(reader.RawDescription.Size(), 0);
}

TEST(ZUKReaderTest, ReportsProgressThroughTheFile) {
  const std::string file = BuildZUKFile(SmallSpec());
  TMemoryStream stream(file);
  TZUKReader reader(stream);
  std::vector<std::pair<int64_t, int64_t>> reports;
  reader.OnProgress = [&](int64_t total, int64_t position) { reports.emplace_back(total, position); };
  reader.Load();
  ASSERT_EQ(reports.size(), 5u);
  for (size_t i = 1; i < reports.size(); ++i) EXPECT_LE(reports[i - 1].second, reports[i].second);
  for (const auto& r : reports) EXPECT_EQ(r.first, static_cast<int64_t>(file.size()));
  EXPECT_EQ(reports.back().second, static_cast<int64_t>(file.size()));
  EXPECT_EQ(stream.Position(), static_cast<int64_t>(file.size()))
      << "the stream is left where the load stopped";
  EXPECT_EQ(reader.Size, static_cast<int64_t>(file.size()));
}

TEST(ZUKReaderTest, IndexesTheExams) {
  TMemoryStream stream(BuildZUKFile(EveryKindSpec()));
  TZUKReader reader(stream);
  reader.Load();
  ASSERT_EQ(reader.ExamIndex.Count(), 3);
  EXPECT_EQ(reader.ExamIndex[0]->GetQuestionCount(), 9);
  EXPECT_EQ(reader.ExamIndex[1]->GetQuestionCount(), 4);
  EXPECT_EQ(reader.ExamIndex[2]->GetQuestionCount(), 0);
}

TEST(ZUKReaderTest, OwnsAFileStreamWhenGivenOne) {
  char path[] = "/tmp/zuk-reader-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  TMemoryStream(BuildZUKFile(EveryKindSpec())).SaveToFile(path);
  {
    TExamTreeReader reader(std::make_unique<TFileStream>(path, fmOpenRead | fmShareDenyWrite));
    EXPECT_TRUE(reader.OwnsStream());
    reader.Load();
    EXPECT_EQ(reader.ExamCollection.ChildCount(), 3);
  }
  std::remove(path);
}

TEST(ZUKReaderTest, RefusesAFileCutShortAtAnyOffset) {
  const std::string file = BuildZUKFile(EveryKindSpec());
  for (size_t cut = 0; cut < file.size(); ++cut) {
    const std::string part = file.substr(0, cut);
    EXPECT_THROW(LoadBytes(part), EZUKIncorrectFileFormat) << "cut at " << cut;
    EXPECT_THROW(LoadBytes<TExamTreeReader>(part), EZUKIncorrectFileFormat) << "cut at " << cut;
  }
}

TEST(ZUKReaderTest, HeaderOnlyLoadRefusesPropertiesCutShort) {
  ZUKFileLayout layout;
  const std::string file = BuildZUKFile(SmallSpec(), &layout);
  for (int64_t cut = 0; cut < layout.styles; ++cut)
    EXPECT_THROW(LoadBytes(file.substr(0, static_cast<size_t>(cut)), true), EZUKIncorrectFileFormat) << cut;
  EXPECT_NO_THROW(LoadBytes(file.substr(0, static_cast<size_t>(layout.styles)), true));
  // Only the version bytes and nothing else: every later value would read as 0.
  EXPECT_THROW(LoadBytes(std::string("\x85\xA8\x01\x01", 4)), EZUKIncorrectFileFormat);
}

namespace {

enum class Refusal { Format, ExamType, QuestionType, SetType };

bool IsRefusal(const EZUKException& e, Refusal expected) {
  switch (expected) {
    case Refusal::Format:
      return dynamic_cast<const EZUKIncorrectFileFormat*>(&e) != nullptr;
    case Refusal::ExamType:
      return dynamic_cast<const EZUKUnknownExamType*>(&e) != nullptr;
    case Refusal::QuestionType:
      return dynamic_cast<const EZUKUnknownQuestionType*>(&e) != nullptr;
    case Refusal::SetType:
      return dynamic_cast<const EZUKUnknownQuestionSetType*>(&e) != nullptr;
  }
  return false;
}

template <typename Reader>
void ExpectRefused(const std::string& file, Refusal expected, const std::string& what) {
  try {
    LoadBytes<Reader>(file);
    ADD_FAILURE() << what << ": loaded";
  } catch (const EZUKException& e) {
    EXPECT_TRUE(IsRefusal(e, expected)) << what << ": " << e.Message();
  }
}

}  // namespace

TEST(ZUKReaderTest, RefusesCountsLengthsAndTypesThatLie) {
  const ZUKFileDesc desc = EveryKindSpec();
  ZUKFileLayout layout;
  const std::string file = BuildZUKFile(desc, &layout);
  TMemoryStream stream(file);
  TZUKReader index(stream);
  index.Load();
  const TExamRef& standard = *index.ExamIndex[0];
  const auto& caseStudy = dynamic_cast<const TCaseStudyExamRef&>(*index.ExamIndex[1]);
  const auto& testlet = dynamic_cast<const TTestletRef&>(*caseStudy.Sets[1]);
  const int64_t multipleChoice = standard.Questions[0]->Position;  // kept by the tree, has exhibits
  const int64_t image = standard.Questions[2]->Position;           // stepped over, has exhibits
  const ZUKSetDesc& t = desc.exams[1].sets[1];
  const int64_t pageCount =
      testlet.HeaderPosition + 4 + t.title.size() + 4 + 4 + t.data1.size() + 4 + t.data2.size();
  ASSERT_EQ(Int32At(file, pageCount), 2);
  // First page: title, count 0, content; then the second page's title and child count.
  const int64_t childPageCount = pageCount + 4 + (4 + 8 + 4 + 4 + 12) + (4 + 12);
  ASSERT_EQ(Int32At(file, childPageCount), 2);
  // The properties end with the extra text (outer and inner length) and the extra data.
  const int64_t extraData = layout.styles - 4 - static_cast<int64_t>(desc.properties.extraData.size());
  const int64_t extraText = extraData - 4 - 4 - static_cast<int64_t>(desc.properties.extraText.size());
  // The inner length is scrambled with the outer sub-stream: its bytes are XORed with 0 to 3.
  const int32_t innerKey = 0x03020100;
  ASSERT_EQ(Int32At(file, extraText + 4) ^ innerKey, static_cast<int32_t>(desc.properties.extraText.size()));

  struct Case {
    const char* what;
    int64_t offset;
    int32_t value;
    bool byte;
    Refusal refusal;
  };
  const int32_t huge = 0x7FFFFFFF;
  const std::vector<Case> cases = {
      {"title length", layout.properties + 1, huge, false, Refusal::Format},
      {"extra text sub-stream length", extraText, huge, false, Refusal::Format},
      {"extra text length inside its sub-stream", extraText + 4, 11 ^ innerKey, false, Refusal::Format},
      {"extra data length", extraData, 9, false, Refusal::Format},
      {"style length", layout.styles, huge, false, Refusal::Format},
      {"description length", layout.description, huge, false, Refusal::Format},
      {"section count", layout.sections, 0x10000000, false, Refusal::Format},
      {"section name length", layout.sections + 8, huge, false, Refusal::Format},
      {"exam count", layout.exams, 100000, false, Refusal::Format},
      {"exam type", standard.Position, 2, true, Refusal::ExamType},
      {"question count", standard.Position + 1, 1000000, false, Refusal::Format},
      {"question type 6", multipleChoice, 6, true, Refusal::QuestionType},
      {"question type 10", image, 10, true, Refusal::QuestionType},
      {"exhibit count of a kept question", multipleChoice + 9, 256, false, Refusal::Format},
      {"negative exhibit count", multipleChoice + 9, -1, false, Refusal::Format},
      {"exhibit count of a skipped question", image + 9, 300, false, Refusal::Format},
      {"parts length", multipleChoice + 13, huge, false, Refusal::Format},
      {"parts length of a skipped question", image + 13, huge, false, Refusal::Format},
      {"set count", caseStudy.Position + 1, 50000, false, Refusal::Format},
      {"set type", caseStudy.Sets[0]->Position, 5, true, Refusal::SetType},
      {"testlet title length", testlet.HeaderPosition, huge, false, Refusal::Format},
      {"page count", pageCount, 10000, false, Refusal::Format},
      {"child page count", childPageCount, 5000, false, Refusal::Format},
  };
  for (const Case& c : cases) {
    std::string bad = file;
    if (c.byte) {
      bad[static_cast<size_t>(c.offset)] = static_cast<char>(c.value);
    } else {
      PatchInt32(bad, c.offset, c.value);
    }
    ExpectRefused<TZUKReader>(bad, c.refusal, c.what);
    ExpectRefused<TExamTreeReader>(bad, c.refusal, c.what);
  }
}
