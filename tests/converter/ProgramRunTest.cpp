// The program itself, started as its own process: headless command-line runs (what the message
// boxes print on standard error and the exit status), the language chosen by the INI file
// beside the program, and a run on an X server driven with xdotool.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "ConverterTestSupport.h"
#include "TestRunEnd.h"
#include "platform/gui/XcbTestSupport.h"

using progtest::Entries;
using progtest::ExamFile;
using progtest::Quoted;
using progtest::ReadFile;
using progtest::RunHeadless;
using progtest::RunResult;
using progtest::ScratchFolder;
using progtest::WriteFile;

namespace {

bool IsMobileFile(const std::string& path) {
  return ReadFile(path).starts_with("\x9D\x41\x01");
}

struct HeadlessCase {
  const char* name;
  std::vector<std::string> args;
  bool succeeds;
  std::string printed;
};

TEST(ProgramRunTest, HeadlessRunsEndWithAStatusThatSaysHowTheyWent) {
  ScratchFolder dir;
  WriteFile(dir.Path("EXAM.ZUK"), ExamFile());
  WriteFile(dir.Path("case.zuk"), ExamFile(true));
  WriteFile(dir.Path("notes.txt"), "text");
  WriteFile(dir.Path("big.zuk"), ExamFile(false, 1, 10000));  // one question beyond an exam's 9999
  ASSERT_EQ(mkfifo(dir.Path("pipe.zuk").c_str(), 0600), 0);  // a source that would wait for a writer
  const std::string tooLong = std::string(300, 'x') + ".zuk";
  const HeadlessCase cases[] = {
      {"-c alone", {"-c"}, false, "ZUK Converter: You should specify source .zuk file.\n"},
      {"-C is a missing file", {"-C"}, false, "ZUK Converter: File \"-C\" is not found.\n"},
      {"upper-case extension",
       {"-c", "EXAM.ZUK"},
       true,
       "ZUK Converter: The file has been converted successfully.\n"},
      {"explicit target",
       {"-convert", "EXAM.ZUK", "named.zukm"},
       true,
       "ZUK Converter: The file has been converted successfully.\n"},
      {"a .txt source",
       {"-c", "notes.txt"},
       false,
       "ZUK Converter: The source file must have .zuk extension.\n"},
      {"a missing source", {"-c", "gone.zuk"}, false, "ZUK Converter: File \"gone.zuk\" is not found.\n"},
      {"too long", {"-c", tooLong}, false, "Cannot open file \"" + tooLong + "\". File name too long\n"},
      {"a FIFO", {"-c", "pipe.zuk"}, false, "Cannot open file \"pipe.zuk\". Not a regular file\n"},
      {"a case-study exam file",
       {"-c", "case.zuk"},
       false,
       "ZUK Converter: The specified file is a case study based exam. ZUK Mobile supports only standard exam "
       "files.\n"},
      {"a handed .zuk file", {"EXAM.ZUK"}, false, "ZUK Converter: Use Pemry Manager to open .zuk files.\n"},
      {"questions beyond the limits", {"-c", "big.zuk"}, true, "were left out. Questions left out: 1.\n"},
  };
  for (const HeadlessCase& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult run = RunHeadless(dir, c.args);
    EXPECT_EQ(run.status == 0, c.succeeds) << run.status;
    EXPECT_NE(run.printed.find(c.printed), std::string::npos) << run.printed;
  }
  EXPECT_TRUE(IsMobileFile(dir.Path("EXAM.zukm")));
  EXPECT_TRUE(IsMobileFile(dir.Path("named.zukm")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("case.zukm")));
}

// Without a display the program prints only its own messages, ends at once when there is
// nothing to convert, and leaves nothing in the temporary folder (Qt's runtime folder included).
TEST(ProgramRunTest, WithoutADisplayItConvertsOrSaysHowToAndLeavesNothingBehind) {
  ScratchFolder dir;
  std::filesystem::copy_file(ZUK_SAMPLE, dir.Path("sample.zuk"));
  std::filesystem::create_directories(dir.Path("temp"));
  int number = 50000;  // a display no X server here listens on, far above xvfb-run -a's 99 and up
  while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
  const std::string display = "DISPLAY=:" + std::to_string(number);
  const std::string howTo = " To convert without a window: zuk-converter -c exam.zuk [target.zukm]\n";
  const std::string converted = "ZUK Converter: The file has been converted successfully.\n";
  const std::vector<std::string> convert = {"-c", "sample.zuk"};
  const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
      {"", {}, "ZUK Converter: There is no display to show the window on." + howTo},
      {display,
       {},
       "ZUK Converter: The display \"" + display.substr(8) + "\" cannot be opened to show the window on." +
           howTo},
      {"", convert, converted},
      {"", {"-c", "sample.zuk", ""}, converted},  // no save dialog nobody could see
      {display, convert, converted},
      {"QT_QPA_PLATFORM=offscreen", convert, converted},
  };
  for (const auto& [environment, args, printed] : cases) {
    SCOPED_TRACE(environment + " " + std::to_string(args.size()));
    std::filesystem::remove(dir.Path("sample.zukm"));
    // The sanitizers' summary of suppressed leaks is not the program's to print.
    const RunResult run = RunHeadless(dir, args, ZUK_CONVERTER_PROGRAM,
                                      "-u XDG_RUNTIME_DIR LSAN_OPTIONS=print_suppressions=0 TMPDIR=" +
                                          Quoted(dir.Path("temp")) + " " + environment);
    EXPECT_EQ(run.status, args.empty() ? 1 : 0);
    EXPECT_EQ(run.printed, printed);
    EXPECT_EQ(IsMobileFile(dir.Path("sample.zukm")), !args.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path("temp")));
  }
}

TEST(ProgramRunTest, AnUnwritableTargetFailsAndLeavesNothingBehind) {
  ScratchFolder dir;
  WriteFile(dir.Path("exam.zuk"), ExamFile());
  std::filesystem::create_directories(dir.Path("folder.zukm"));
  for (const std::string target : {"no/such/folder/exam.zukm", "folder.zukm"}) {
    SCOPED_TRACE(target);
    const RunResult run = RunHeadless(dir, {"-c", "exam.zuk", target});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.printed.find("ZUK Converter: "), std::string::npos) << run.printed;
    EXPECT_EQ(run.printed.find("successfully"), std::string::npos) << run.printed;
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("folder.zukm")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("no")));
}

TEST(ProgramRunTest, AFileSizeLimitFailsTheRunAndLeavesNothingBehind) {
  ScratchFolder dir;
  WriteFile(dir.Path("exam.zuk"), ExamFile(false, 1, 1000));  // a target far above 16 KB
  std::filesystem::create_directories(dir.Path("tmp"));
  const RunResult run = RunHeadless(dir, {"-c", "exam.zuk", "out.zukm"}, ZUK_CONVERTER_PROGRAM,
                                    "TMPDIR=" + Quoted(dir.Path("tmp")), "ulimit -f 16 &&");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.printed.find("ZUK Converter: Cannot write file \"out.zukm\". File too large\n"),
            std::string::npos)
      << run.printed;
  // Neither the temporary target nor the run's picture folder is left.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path()))
    EXPECT_NE(entry.path().filename().string().substr(0, 9), ".out.zukm") << entry.path();
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path("tmp")));
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Under address-space limits halved down to just below a conversion's need, every run that fails
// says that memory ran out, ends with status 1 and leaves the old target and nothing else. (Not under
// the sanitizers: their allocators end the program rather than throw, and map more than any limit.)
TEST(ProgramRunTest, MemoryThatRunsOutEndsTheRunWithAMessageAndLeavesNothingBehind) {
  ScratchFolder dir;
  for (const char* folder : {"run", "temp"}) std::filesystem::create_directories(dir.Path(folder));
  WriteFile(dir.Path("run/exam.zuk"), ExamFile(false, 3, 9999));
  auto converts = [&](int64_t limitKB) {
    WriteFile(dir.Path("run/out.zukm"), "the old target");
    const RunResult run =
        RunHeadless(dir, {"-c", "run/exam.zuk", "run/out.zukm"}, ZUK_CONVERTER_PROGRAM,
                    "TMPDIR=" + Quoted(dir.Path("temp")), "ulimit -v " + std::to_string(limitKB) + " &&");
    if (run.status == 0) return true;
    SCOPED_TRACE(limitKB);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.printed, "ZUK Converter: Memory ran out while the file was being converted.\n");
    EXPECT_EQ(ReadFile(dir.Path("run/out.zukm")), "the old target");
    EXPECT_EQ(Entries(dir.Path("run")), 2);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path("temp")));
    return false;
  };
  // Well above what the program needs to start, well below what 30,000 questions need.
  int64_t fails = 280 << 10, suffices = 4 << 20;
  ASSERT_FALSE(converts(fails));
  ASSERT_TRUE(converts(suffices));
  while (suffices - fails > 2048 && !HasFailure()) {
    const int64_t middle = (fails + suffices) / 2;
    (converts(middle) ? suffices : fails) = middle;
  }
}
#endif

/// Starts the program in `dir`/run on exam.zuk to `target` (TMPDIR `dir`/temp, no signal ignored or
/// blocked), headless or under `xvfb`; its pid goes to `dir`/pid, its standard error to `dir`/stderr.txt.
pid_t StartConversion(const ScratchFolder& dir, const std::string& xvfb = "",
                      const std::string& target = "out.zukm") {
  std::filesystem::remove(dir.Path("pid"));
  const std::string command =
      "cd " + Quoted(dir.Path("run")) + " && exec " +
      (!xvfb.empty() ? Quoted(xvfb) + " -a -s '-screen 0 1024x768x24' env QT_QPA_PLATFORM=xcb"
                     : "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM") +
      " sh -c " +
      Quoted("printf %s $$ > ../pid && ulimit -c 0 && exec env TMPDIR=" + Quoted(dir.Path("temp")) + " " +
             Quoted(ZUK_CONVERTER_PROGRAM) + " -c exam.zuk " + Quoted(target)) +
      " 2>" + Quoted(dir.Path("stderr.txt"));
  const pid_t child = fork();
  if (child == 0) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int s = 1; s <= SIGRTMAX; ++s) ::signal(s, SIG_DFL);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

// Every signal from outside whose default action ends the process, with and without a window, also
// after the target's folder moved or while a FIFO target awaits a reader: the partial target and the
// picture folder go (a FIFO stays), the program says why it ends, and the status names the signal.
TEST(ProgramRunTest, ASignalEndsTheConversionAsItWouldAndLeavesNothingBehind) {
  ScratchFolder dir;
  for (const char* folder : {"run", "temp"}) std::filesystem::create_directories(dir.Path(folder));
  WriteFile(dir.Path("run/exam.zuk"), ExamFile(false, 1, 200000));  // long to write
  const std::string xvfb = xcbtest::FindProgram("xvfb-run");
  const std::string target = dir.Path("run/out.zukm");
  // The signal, whether on a display, the target: being written, its folder moved meanwhile, a FIFO.
  enum { kWritten, kMoved, kFIFO };
  const std::tuple<int, bool, int> cases[] = {
      {SIGINT, false, kWritten},  {SIGTERM, false, kWritten},  {SIGHUP, false, kWritten},
      {SIGQUIT, false, kWritten}, {SIGXCPU, false, kWritten},  {SIGPWR, false, kWritten},
      {SIGIO, false, kWritten},   {SIGRTMIN, false, kWritten}, {SIGTERM, false, kMoved},
      {SIGTERM, true, kWritten},  {SIGINT, false, kFIFO},      {SIGTERM, false, kFIFO},
      {SIGHUP, false, kFIFO},
  };
  for (const auto& [signal, onDisplay, kind] : cases) {
    SCOPED_TRACE(strsignal(signal) + (", target kind " + std::to_string(kind)));
    if (onDisplay && xvfb.empty()) GTEST_SKIP() << "xvfb-run is not installed (Debian packages xvfb, xauth)";
    ASSERT_TRUE(kind != kFIFO || mkfifo(target.c_str(), 0600) == 0);
    // Named through its folder, which the program's working folder would not be.
    const pid_t child = StartConversion(dir, onDisplay ? xvfb : "", kind == kMoved ? target : "out.zukm");
    int status = 0;
    // Until the target is made, or (for ten seconds at most) the kernel names the wait for a reader.
    const auto waiting = [&] {
      if (kind != kFIFO) return Entries(dir.Path("run")) == 1;
      return ReadFile("/proc/" + ReadFile(dir.Path("pid")) + "/wchan") != "wait_for_partner";
    };
    for (int i = 0; waiting() && (kind != kFIFO || i < 10000); ++i, usleep(1000))
      ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "the program ended before it wrote its target";
    if (kind == kMoved) std::filesystem::rename(dir.Path("run"), dir.Path("moved"));
    kill(std::stoi(ReadFile(dir.Path("pid"))), signal);  // on a display, a grandchild's
    waitpid(child, &status, 0);
    if (kind == kMoved) std::filesystem::rename(dir.Path("moved"), dir.Path("run"));
    EXPECT_TRUE(onDisplay ? WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal
                          : WIFSIGNALED(status) && WTERMSIG(status) == signal)
        << status;  // xvfb-run exits as a shell does for a program a signal ended
    EXPECT_TRUE(kind != kFIFO || (std::filesystem::is_fifo(target) && std::filesystem::remove(target)));
    EXPECT_EQ(Entries(dir.Path("run")), 1);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path("temp")));
    EXPECT_NE(ReadFile(dir.Path("stderr.txt")).find(std::string("ZUK Converter: ") + strsignal(signal)),
              std::string::npos);
  }
}

// A FIFO target, a link to one, or /dev/stdout into a pipe or a socket (a link whose text names no
// file) is written in place; a reader that stops early fails the run. With the standard descriptors
// closed, the program's own do not take their numbers (its messages would be read back as signals).
TEST(ProgramRunTest, PipesSocketsAndClosedDescriptorsGetTheWholeFile) {
  ScratchFolder dir;
  WriteFile(dir.Path("exam.zuk"), ExamFile(false, 2, 9999));  // many times a pipe's buffer, within the limits
  std::filesystem::create_directories(dir.Path("temp"));
  ASSERT_EQ(RunHeadless(dir, {"-c", "exam.zuk", "plain.zukm"}).status, 0);
  const std::string plain = ReadFile(dir.Path("plain.zukm"));
  ASSERT_EQ(mkfifo(dir.Path("fifo.zukm").c_str(), 0600), 0);
  std::filesystem::create_symlink("fifo.zukm", dir.Path("link.zukm"));
  // The commands, whether the run succeeds, what it prints.
  const std::tuple<std::string, bool, std::string> cases[] = {
      {"cat < fifo.zukm > read.bin & \"$0\" -c exam.zuk fifo.zukm", true, "converted successfully.\n"},
      {"cat < fifo.zukm > read.bin & \"$0\" -c exam.zuk link.zukm", true, "converted successfully.\n"},
      {"\"$0\" -c exam.zuk /dev/stdout | cat > read.bin", true, "converted successfully.\n"},
      {"head -c 1 < fifo.zukm > read.bin & \"$0\" -c exam.zuk fifo.zukm", false,
       "Cannot write file \"fifo.zukm\". Broken pipe\n"},
      {"python3 -c 'import socket, subprocess, sys; a, b = socket.socketpair()\n"
       "p = subprocess.Popen(sys.argv[1:], stdout=a); a.close(); f = open(\"read.bin\", \"wb\")\n"
       "f.write(b\"\".join(iter(lambda: b.recv(9999), b\"\"))); sys.exit(p.wait())' \"$0\" -c exam.zuk "
       "/dev/stdout",
       true, "converted successfully.\n"},
      {"\"$0\" -c exam.zuk read.bin 0<&- 1>&- 2>&-", true, ""},
  };
  for (const auto& [commands, succeeds, printed] : cases) {
    SCOPED_TRACE(commands);
    std::filesystem::remove(dir.Path("read.bin"));
    const std::string script = "set -o pipefail; " + commands + "; s=$?; wait; exit $s";
    const RunResult run =
        RunHeadless(dir, {"-c", script, ZUK_CONVERTER_PROGRAM}, "bash", "TMPDIR=" + Quoted(dir.Path("temp")));
    EXPECT_EQ(run.status, succeeds ? 0 : 1);
    EXPECT_NE(run.printed.find(printed), std::string::npos) << run.printed;
    EXPECT_TRUE(!succeeds || ReadFile(dir.Path("read.bin")) == plain);
    EXPECT_TRUE(std::filesystem::is_fifo(dir.Path("fifo.zukm")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.zukm")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path("temp")));
  }
}

// A character device target, made like /dev/null in a mount namespace of the test's own, is written into.
TEST(ProgramRunTest, ADeviceTargetIsWrittenIntoAndStaysOne) {
  ScratchFolder dir;
  WriteFile(dir.Path("exam.zuk"), ExamFile());
  std::filesystem::create_directories(dir.Path("ns"));
  const std::string script =
      "mount -t tmpfs zuk-test ns && mknod -m 666 ns/null c 1 3 || exit 77\n"
      "\"$0\" -c exam.zuk ns/null; s=$?; stat -c %F ns/null > kind.txt; exit $s\n";
  const RunResult run = RunHeadless(
      dir, {"--mount", "--propagation", "private", "sh", "-c", script, ZUK_CONVERTER_PROGRAM}, "unshare");
  if (run.status == 77 || run.printed.starts_with("unshare:"))
    GTEST_SKIP() << zuktest::kWithheldRight << "a mount namespace to make a device in (" << run.printed << ")";
  EXPECT_EQ(run.status, 0) << run.printed;
  EXPECT_EQ(ReadFile(dir.Path("kind.txt")), "character special file\n");
}

// A target that is a symbolic link stays one and the file its links end at is written (a link
// to nothing names the file to make); a link to the source is refused like the source.
TEST(ProgramRunTest, ATargetThatIsALinkIsWrittenThroughIt) {
  ScratchFolder dir;
  WriteFile(dir.Path("exam.zuk"), ExamFile());
  for (const char* folder : {"real", "sub"}) std::filesystem::create_directories(dir.Path(folder));
  WriteFile(dir.Path("real/old.zukm"), "an older conversion");
  std::filesystem::create_symlink("../real/old.zukm", dir.Path("sub/hop.zukm"));  // from the link's folder
  // The link, what it names, the file written ("" when the run fails), what is printed.
  const std::tuple<const char*, std::string, const char*, std::string> cases[] = {
      {"chain.zukm", "sub/hop.zukm", "real/old.zukm", "converted successfully."},
      {"dangling.zukm", dir.Path("real/new.zukm"), "real/new.zukm", "converted successfully."},
      {"self.zukm", "exam.zuk", "", "The target file is the source file itself."},
      {"loop.zukm", "loop.zukm", "", "Cannot create file \"loop.zukm\". Too many levels of symbolic links"},
  };
  for (const auto& [link, to, written, printed] : cases) {
    SCOPED_TRACE(link);
    std::filesystem::create_symlink(to, dir.Path(link));
    const RunResult run = RunHeadless(dir, {"-c", "exam.zuk", link});
    EXPECT_EQ(run.status == 0, *written != 0) << run.status;
    EXPECT_NE(run.printed.find(printed), std::string::npos) << run.printed;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path(link)));
    EXPECT_TRUE(*written == 0 || IsMobileFile(dir.Path(written)));
  }
}

TEST(ProgramRunTest, ConvertsTheBundledExample) {
  ScratchFolder dir;
  std::filesystem::copy_file(ZUK_SAMPLE, dir.Path("sample.zuk"));
  const RunResult run = RunHeadless(dir, {"-c", "sample.zuk"});
  EXPECT_EQ(run.status, 0) << run.printed;
  EXPECT_TRUE(IsMobileFile(dir.Path("sample.zukm")));
}

// The bundled example's maker writes only to a path: --help and an option it lacks print usage, no file.
TEST(ProgramRunTest, TheSampleToolWritesOnlyToAPath) {
  ScratchFolder dir;
  const std::tuple<std::string, int, bool> cases[] = {
      {"--help", 0, true}, {"-o", 2, true}, {"./-o.zuk", 0, false}};
  for (const auto& [arg, status, usage] : cases) {
    SCOPED_TRACE(arg);
    const RunResult run = RunHeadless(dir, {"-c", "\"$0\" " + Quoted(arg) + " >&2", ZUK_MAKE_SAMPLE}, "sh");
    EXPECT_EQ(run.status, status);
    EXPECT_EQ(run.printed.starts_with("usage: MakeSampleZUK OUTPUT\n"), usage) << run.printed;
    EXPECT_EQ(std::filesystem::exists(dir.Path(arg)), !usage);
  }
  EXPECT_TRUE(ReadFile(dir.Path("-o.zuk")).starts_with("\x85\xA8"));
}

TEST(ProgramRunTest, TheIniFileBesideTheProgramChoosesRussian) {
  ScratchFolder dir;
  // The INI file is found beside the program's own path, so the program gets a second name.
  const std::string program = dir.Path("zuk-converter");
  std::filesystem::create_hard_link(ZUK_CONVERTER_PROGRAM, program);
  WriteFile(dir.Path("zuk-converter.ini"), "[language]\nCurrentLanguageIndex=1\n");
  const RunResult run = RunHeadless(dir, {"-c"}, program);
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.printed.find(
                "ZUK Converter: \xD0\x9D\xD0\xB5\xD0\xBE\xD0\xB1\xD1\x85\xD0\xBE\xD0\xB4\xD0\xB8\xD0\xBC\xD0"
                "\xBE \xD1\x83\xD0\xBA\xD0\xB0\xD0\xB7\xD0\xB0\xD1\x82\xD1\x8C"),
            std::string::npos)
      << run.printed;
}

// On an X server the success box is a real window: the run waits until its button is pressed.
TEST(ProgramRunTest, OnADisplayTheSuccessBoxWaitsForItsButton) {
  const std::string xvfb = xcbtest::FindProgram("xvfb-run");
  const std::string xdotool = xcbtest::FindProgram("xdotool");
  if (xvfb.empty() || xdotool.empty())
    GTEST_SKIP() << "needs xvfb-run and xdotool (Debian packages xvfb, xdotool)";
  ScratchFolder dir;
  WriteFile(dir.Path("exam.zuk"), ExamFile());
  const std::string script = dir.Path("drive.sh");
  // Return goes to the box (the later window) until it goes: a key sent too early is lost.
  WriteFile(script,
            "set -u\n"
            "QT_QPA_PLATFORM=xcb " +
                Quoted(ZUK_CONVERTER_PROGRAM) +
                " -c exam.zuk 2>/dev/null & pid=$!\n"
                "shown() { xdotool search --onlyvisible --name '^ZUK Converter$' 2>/dev/null; }\n"
                "until [ $(shown | wc -l) -ge 2 ] || ! kill -0 $pid 2>/dev/null; do sleep 0.1; done\n"
                "echo \"windows $(shown | wc -l)\" > windows.txt; box=$(shown | tail -1)\n"
                "sleep 0.5  # a program that did not wait for the button would have ended\n"
                "kill -0 $pid 2>/dev/null && echo waiting >> windows.txt\n"
                "while kill -0 $pid 2>/dev/null; do sleep 1\n"
                "  shown | grep -qx \"$box\" && xdotool key --window \"$box\" Return 2>/dev/null; done\n"
                "wait $pid; echo \"status $?\" >> windows.txt\n");
  const std::string command = "cd " + Quoted(dir.Path()) + " && timeout 300 " + Quoted(xvfb) +
                              " -a -s '-screen 0 1024x768x24' bash " + Quoted(script);
  ASSERT_EQ(std::system(command.c_str()), 0);
  // The main window and the box, the program waiting for the button, then ending well.
  EXPECT_EQ(ReadFile(dir.Path("windows.txt")), "windows 2\nwaiting\nstatus 0\n");
  EXPECT_TRUE(IsMobileFile(dir.Path("exam.zukm")));
}

}  // namespace

namespace {

// What `cmake --install` puts beside the program: the .zuk and .zukm file types compile, and the
// desktop entry takes a file but opens neither type (handed one, the program names its opener).
TEST(ProgramRunTest, InstallsTheDesktopEntryAndTheFileTypes) {
  const std::string mimeTool = xcbtest::FindProgram("update-mime-database");
  if (mimeTool.empty())
    GTEST_SKIP() << "update-mime-database is not installed (Debian package shared-mime-info)";
  const std::string openers = xcbtest::FindProgram("update-desktop-database");
  if (openers.empty())
    GTEST_SKIP() << "update-desktop-database is not installed (Debian package desktop-file-utils)";
  ScratchFolder dir;
  const std::string prefix = dir.Path("prefix");
  const std::string install = Quoted(CMAKE_COMMAND) + " --install " + Quoted(ZUK_BUILD_DIR) + " --prefix " +
                              Quoted(prefix) + " > " + Quoted(dir.Path("install.txt")) + " 2>&1";
  ASSERT_EQ(std::system(install.c_str()), 0) << ReadFile(dir.Path("install.txt"));
  EXPECT_TRUE(std::filesystem::exists(prefix + "/bin/zuk-converter"));
  const std::string update = Quoted(mimeTool) + " " + Quoted(prefix + "/share/mime") + " > /dev/null 2>&1";
  ASSERT_EQ(std::system(update.c_str()), 0);
  const std::string globs = ReadFile(prefix + "/share/mime/globs2");
  EXPECT_NE(globs.find("application/x-zuk-exam:*.zuk\n"), std::string::npos) << globs;
  EXPECT_NE(globs.find("application/x-zuk-mobile-exam:*.zukm\n"), std::string::npos) << globs;
  EXPECT_NE(ReadFile(prefix + "/share/mime/magic").find("application/x-zuk-mobile-exam"), std::string::npos);
  const std::string applications = prefix + "/share/applications";
  const std::string entry = ReadFile(applications + "/zuk-converter.desktop");
  EXPECT_NE(entry.find("\nExec=zuk-converter %f\n"), std::string::npos) << entry;
  // The cache that file managers read to find the programs that open a file type.
  ASSERT_EQ(std::system((Quoted(openers) + " " + Quoted(applications)).c_str()), 0);
  const std::string cache = ReadFile(applications + "/mimeinfo.cache");
  EXPECT_EQ(cache.find("zuk-converter.desktop"), std::string::npos) << cache;
}

}  // namespace
