// Writes the bundled example exam (examples/sample.zuk): one standard exam with a question of
// every kind, multiple-choice questions whose parts hold text, lists and pictures, sections and
// a description. Usage: MakeSampleZUK OUTPUT
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "exam/RVMainStyle.h"
#include "exam/ZUKFileBuilder.h"
#include "exam/ZUKPartBuilder.h"
#include "exam/ZUKRVStyle.h"
#include "platform/graphics/ImageList.h"
#include "platform/gui/Application.h"
#include "richtext/core/RVStyle.h"

namespace {

using zukpart::TPartBuilder;

ZUKQuestionDesc MultipleChoice(uint8_t type, std::vector<std::string> parts, int32_t choices,
                               std::string answer) {
  ZUKQuestionDesc q;
  q.type = type;
  q.sectionId = 1;
  q.parts = std::move(parts);
  q.number = choices;
  q.answer = std::move(answer);
  return q;
}

ZUKFileDesc SampleSpec(TRVStyle& sheet) {
  auto part = [&sheet] { return TPartBuilder(sheet); };
  ZUKFileDesc desc;
  desc.properties.text1 = "Sample exam";
  desc.properties.text2 = "ZUK Converter examples";
  desc.styles = StyleBytes({"Exam Text", "Exam Bold"}, {"Exam Para"});
  desc.description = part()
                         .Unicode(u"A small exam that shows what the converter carries over.")
                         .Picture(htmltest::SolidBitmap(32, 16, clNavy))
                         .RVF();
  desc.sections = {{1, "Networking"}, {2, "Storage"}};

  ZUKExamDesc exam;
  exam.questions.push_back(MultipleChoice(
      0,
      {part().Unicode(u"Which device forwards packets between networks?").RVF(),
       part().Unicode(u"A router").RVF(), part().Unicode(u"A hub").RVF(), part().Unicode(u"A repeater").RVF(),
       part()
           .Unicode(u"A router joins networks; the others repeat signals.")
           .ListItem(u"Routers work with addresses")
           .ListItem(u"Hubs do not", zukpart::kBulletList)
           .RVF()},
      3, "A"));
  exam.questions.push_back(MultipleChoice(
      1,
      {part().Unicode(u"Which pictures are red?").Picture(htmltest::SolidJPEG(40, 24, clRed)).RVF(),
       part().Picture(zukpart::SolidGIF(16, 16, clRed)).RVF(),
       part().Picture(htmltest::SolidBitmap(16, 16, clGreen)).RVF(),
       part().Unicode(u"\u041A\u0440\u0430\u0441\u043D\u044B\u0439 \u2014 red").RVF(), part().RVF()},
      3, "AC"));
  // The other kinds: the converter steps over them.
  for (uint8_t type : {2, 3, 4, 5, 7, 8, 9}) {
    ZUKQuestionDesc other;
    other.type = type;
    other.sectionId = 2;
    other.parts = {part().Unicode(u"A question the mobile player does not show").RVF()};
    other.answer = "A";
    other.title = "Answers";
    exam.questions.push_back(other);
  }
  desc.exams.push_back(exam);
  return desc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: MakeSampleZUK OUTPUT\n");
    return 2;
  }
  TApplication application;  // pictures are drawn with the toolkit
  TImageList bullets;
  bullets.SetSize(9, 6);
  bullets.Add(htmltest::SolidBitmap(9, 6, clBlack).get(), nullptr);
  TRVStyle sheet;
  RVBuildMainStyle(sheet, &bullets);
  TMemoryStream styles(StyleBytes({"Exam Text", "Exam Bold"}, {"Exam Para"}));
  LoadStyleFromStream(sheet, styles);
  const std::string bytes = BuildZUKFile(SampleSpec(sheet));
  std::ofstream out(argv[1], std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
