#include "exam/ZUKMobileFile.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

/// A cursor over bytes that refuses to read past their end.
class TCursor {
 public:
  explicit TCursor(std::string bytes) : bytes_(std::move(bytes)) {}

  uint8_t Byte() { return static_cast<uint8_t>(Take(1)[0]); }
  bool Bool() {
    const uint8_t b = Byte();
    if (b > 1) throw std::runtime_error("boolean byte " + std::to_string(b));
    return b == 1;
  }
  int32_t Int32() {
    const std::string b = Take(4);
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[static_cast<size_t>(i)]);
    return static_cast<int32_t>(v);
  }
  /// A length-prefixed body; the writer never writes a negative length.
  std::string Plain() {
    const int32_t n = Int32();
    if (n < 0) throw std::runtime_error("negative length");
    return Take(static_cast<size_t>(n));
  }
  /// The same, every byte XORed with its index modulo 256.
  std::string Scrambled() {
    std::string s = Plain();
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>(s[i] ^ static_cast<char>(i & 0xFF));
    return s;
  }
  size_t Position() const { return pos_; }
  bool AtEnd() const { return pos_ == bytes_.size(); }

 private:
  std::string Take(size_t n) {
    if (n > bytes_.size() - pos_) throw std::runtime_error("read past the end at " + std::to_string(pos_));
    std::string s = bytes_.substr(pos_, n);
    pos_ += n;
    return s;
  }

  std::string bytes_;
  size_t pos_ = 0;
};

ZUKMobileBlock ReadBlock(TCursor& outer) {
  TCursor in(outer.Scrambled());
  ZUKMobileBlock block;
  block.html = in.Plain();
  const int32_t files = in.Int32();
  if (files < 0) throw std::runtime_error("negative file count");
  for (int32_t i = 0; i < files; ++i) {
    std::string name = in.Plain();
    block.files.emplace_back(std::move(name), in.Plain());
  }
  if (!in.AtEnd()) throw std::runtime_error("bytes left in a block");
  return block;
}

ZUKMobileQuestion ReadQuestion(TCursor& in) {
  ZUKMobileQuestion q;
  q.type = in.Byte();
  q.sectionId = in.Int32();
  q.setting = in.Int32();
  const int32_t exhibits = in.Int32();
  if (exhibits < 0 || exhibits > 255) throw std::runtime_error("exhibit count");
  for (int32_t i = 0; i < exhibits; ++i) {
    ZUKMobileExhibit e;
    e.title = in.Scrambled();
    e.kind = in.Byte();
    e.image = in.Scrambled();
    q.exhibits.push_back(std::move(e));
  }
  if (q.type > 1) return q;
  q.flag1 = in.Bool();
  q.question = ReadBlock(in);
  q.hasCaseStudy = in.Bool();
  if (q.hasCaseStudy) {
    q.caseStudyTitle = in.Scrambled();
    q.caseStudy = ReadBlock(in);
  }
  const int32_t choices = in.Int32();
  if (choices < 0 || choices > 26) throw std::runtime_error("choice count");
  for (int32_t i = 0; i < choices; ++i) q.choices.push_back(ReadBlock(in));
  q.answer = in.Scrambled();
  q.explanation = ReadBlock(in);
  return q;
}

ZUKMobileFile Parse(const std::string& bytes) {
  TCursor in(bytes);
  ZUKMobileFile file;
  if (in.Byte() != 0x9D || in.Byte() != 0x41 || in.Byte() != 0x01) throw std::runtime_error("magic");
  file.text1 = in.Scrambled();
  file.text2 = in.Scrambled();
  file.number1 = in.Int32();
  file.descriptionFlag = in.Bool();
  if (file.descriptionFlag) file.description = ReadBlock(in);
  const int32_t sections = in.Int32();
  for (int32_t i = 0; i < sections; ++i) {
    const int32_t id = in.Int32();
    file.sections.emplace_back(id, in.Scrambled());
  }
  const int32_t exams = in.Int32();
  for (int32_t e = 0; e < exams; ++e) {
    const int32_t questions = in.Int32();
    if (questions < 1) throw std::runtime_error("an exam without questions is left out");
    file.exams.emplace_back();
    for (int32_t q = 0; q < questions; ++q) file.exams.back().push_back(ReadQuestion(in));
  }
  const auto trailerAt = static_cast<int32_t>(in.Position());
  if (in.Int32() != trailerAt) throw std::runtime_error("trailer");
  if (!in.AtEnd()) throw std::runtime_error("bytes after the trailer");
  return file;
}

}  // namespace

ZUKMobileFile ReadZUKMobileFile(const std::string& bytes) {
  try {
    return Parse(bytes);
  } catch (const std::exception& e) {
    ADD_FAILURE() << "not a mobile exam file: " << e.what();
    return {};
  }
}

std::vector<std::pair<std::string, const ZUKMobileBlock*>> AllBlocks(const ZUKMobileFile& file) {
  std::vector<std::pair<std::string, const ZUKMobileBlock*>> blocks;
  if (file.description) blocks.emplace_back("desc", &*file.description);
  for (const auto& exam : file.exams)
    for (const auto& q : exam) {
      if (q.type > 1) continue;
      blocks.emplace_back("question", &q.question);
      if (q.caseStudy) blocks.emplace_back("casestudy", &*q.caseStudy);
      for (size_t i = 0; i < q.choices.size(); ++i)
        blocks.emplace_back(std::string("choice") + static_cast<char>('A' + i), &q.choices[i]);
      blocks.emplace_back("expl", &q.explanation);
    }
  return blocks;
}
