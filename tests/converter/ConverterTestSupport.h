// Shared pieces of the program's tests: a scratch folder, exam files made by the builder, and
// what the message boxes printed (without a display they print to standard error).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "exam/ZUKFileBuilder.h"

namespace progtest {

class ScratchFolder {
 public:
  ScratchFolder() {
    const char* base = std::getenv("ZUK_TEST_DATA");
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    path_ = std::filesystem::path(base != nullptr ? base : "/tmp") / "converter" / test;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  std::string Path(const std::string& name = "") const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// A standard exam file of `exams` exams of `questions` multiple-choice questions each, whose
/// parts are empty documents; with `caseStudyFile` the file says it is a case-study based exam
/// file.
inline std::string ExamFile(bool caseStudyFile = false, int exams = 1, int questions = 1) {
  ZUKFileDesc desc;
  desc.properties.fileType = caseStudyFile ? 1 : 0;
  desc.properties.descriptionFlag = false;
  ZUKQuestionDesc q;
  q.number = 0;
  q.answer = "A";
  for (int i = 0; i < exams; ++i)
    desc.exams.push_back(
        ZUKExamDesc{false, std::vector<ZUKQuestionDesc>(static_cast<size_t>(questions), q), {}});
  return BuildZUKFile(desc);
}

inline std::ptrdiff_t Entries(const std::string& folder) {
  return std::distance(std::filesystem::directory_iterator(folder), {});
}

/// `s` in single quotes for the shell.
inline std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

#ifdef ZUK_CONVERTER_PROGRAM  // the test programs that run the program itself
struct RunResult {
  int status = -1;
  std::string printed;  // standard error
};

/// Runs `program` with `args` in `dir` without a display, after the shell commands `setup`
/// (each ending in "&&"); `environment` (arguments of env) may change that.
inline RunResult RunHeadless(const ScratchFolder& dir, const std::vector<std::string>& args,
                             const std::string& program = ZUK_CONVERTER_PROGRAM,
                             const std::string& environment = "", const std::string& setup = "") {
  std::string command = "cd " + Quoted(dir.Path()) + " && " + setup +
                        " env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + environment +
                        " timeout 120 " + Quoted(program);
  for (const std::string& a : args) command += " " + Quoted(a);
  command += " 2> " + Quoted(dir.Path("stderr.txt"));
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.printed = ReadFile(dir.Path("stderr.txt"));
  return result;
}
#endif

}  // namespace progtest

#include <functional>

#include "platform/gui/CustomControl.h"

namespace progtest {

/// Delivers pending messages a few times (posted messages may post more).
void Pump(int rounds = 3);
/// Pumps until `done` answers true or `ms` milliseconds pass; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int ms = 2000);

/// A control that hands every message it receives to OnMessage first.
class TProbeControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::function<void(TMessage&)> OnMessage;
  void WndProc(TMessage& message) override {
    if (OnMessage) OnMessage(message);
    TCustomControl::WndProc(message);
  }
};

}  // namespace progtest
