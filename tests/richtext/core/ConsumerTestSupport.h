// Helpers of the tests that hand exported documents to the programs people read them with:
// headless Chromium for HTML pages, LibreOffice, unrtf and poppler's tools for RTF. Each
// program runs with a private profile inside the test's folder and under a time limit; a
// test whose program is not installed skips with the package to install.
#pragma once

#include <gtest/gtest.h>
#include <stdio.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace consumertest {

/// What a shell command printed (standard output only) and its exit status.
struct TCommandResult {
  int Status = -1;
  std::string Output;
};

inline TCommandResult RunCommand(const std::string& command) {
  TCommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.Output.append(buffer, n);
  result.Status = pclose(pipe);
  return result;
}

inline bool HaveProgram(const std::string& name) {
  return RunCommand("command -v " + name + " >/dev/null 2>&1").Status == 0;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

/// The text between `begin` and `end` in `s` (empty when either is missing).
inline std::string Between(const std::string& s, const std::string& begin, const std::string& end) {
  const size_t from = s.find(begin);
  if (from == std::string::npos) return {};
  const size_t to = s.find(end, from + begin.size());
  return to == std::string::npos ? std::string() : s.substr(from + begin.size(), to - from - begin.size());
}

/// True when the system's Python can read pictures (Pillow).
inline bool HavePillow() {
  return RunCommand("/usr/bin/python3 -c 'import PIL.Image' >/dev/null 2>&1").Status == 0;
}

// ---------------------------------------------------------------------------------------
// Headless Chromium

inline const char* kChromium = "chromium";

/// Loads every page of `pages` (file names inside `folder`, which ends in "/") in a frame of
/// one harness page and answers, per page, what the JavaScript function body `probe` returns
/// for the page's document `d` (its window is `w`). One browser run serves all pages.
inline std::vector<std::string> ProbePagesInChromium(const std::string& folder,
                                                     const std::vector<std::string>& pages,
                                                     const std::string& probe) {
  std::string harness = "<html><body>";
  for (const std::string& page : pages) harness += "<iframe src=\"" + page + "\"></iframe>";
  harness += "<pre id=out></pre><script>\nfunction probe(d, w) {\n" + probe +
             "\n}\nwindow.onload = function() {\n  var out = [];\n"
             "  for (var f of document.querySelectorAll('iframe'))\n"
             "    out.push(encodeURIComponent(String(probe(f.contentDocument, f.contentWindow))));\n"
             "  document.getElementById('out').textContent = 'RESULTS:' + out.join(' ') + ':END';\n"
             "};\n</script></body></html>";
  WriteBytes(folder + "harness.html", harness);
  const std::string command =
      "timeout 60 " + std::string(kChromium) +
      " --headless --no-sandbox --disable-gpu --no-first-run --user-data-dir=" + folder +
      "chromium-profile --allow-file-access-from-files --dump-dom file://" + folder +
      "harness.html 2>/dev/null";
  const TCommandResult run = RunCommand(command);
  std::vector<std::string> results;
  std::istringstream words(Between(run.Output, "RESULTS:", ":END"));
  std::string word;
  while (words >> word) {
    std::string decoded;  // percent-encoded UTF-8
    for (size_t i = 0; i < word.size(); ++i) {
      if (word[i] == '%' && i + 2 < word.size()) {
        decoded += static_cast<char>(std::stoi(word.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        decoded += word[i];
      }
    }
    results.push_back(decoded);
  }
  return results;
}

/// Takes a screenshot of `page` (a file name inside `folder`) at `width` x `height` pixels
/// into `png` (a file name inside `folder`). True when the browser made it.
inline bool ScreenshotInChromium(const std::string& folder, const std::string& page, int width, int height,
                                 const std::string& png) {
  const std::string command = "timeout 60 " + std::string(kChromium) +
                              " --headless --no-sandbox --disable-gpu --no-first-run --hide-scrollbars"
                              " --user-data-dir=" +
                              folder + "chromium-profile --window-size=" + std::to_string(width) + "," +
                              std::to_string(height) + " --screenshot=" + folder + png + " file://" + folder +
                              page + " >/dev/null 2>&1";
  RunCommand(command);
  return !ReadBytes(folder + png).empty();
}

// ---------------------------------------------------------------------------------------
// LibreOffice and the tools that read what it makes

/// Converts `files` (paths) to `format` ("pdf", "txt:Text (encoded):76,,,,") into `outDir`,
/// all in one LibreOffice run with a private profile under `profileDir`, reading every file
/// as RTF. True when the run ended normally.
inline bool ConvertWithOffice(const std::vector<std::string>& files, const std::string& format,
                              const std::string& outDir, const std::string& profileDir) {
  std::string command = "timeout 180 soffice -env:UserInstallation=file://" + profileDir +
                        " --headless --norestore --infilter=\"Rich Text Format\" --convert-to '" + format +
                        "' --outdir " + outDir;
  for (const std::string& file : files) command += " " + file;
  return RunCommand(command + " >/dev/null 2>&1").Status == 0;
}

/// One picture of a PDF as pdfimages lists it.
struct TPDFImage {
  int Page = 0;
  int Width = 0;  // pixels
  int Height = 0;
  int XPPI = 0;  // pixels per inch at which the page shows it
  int YPPI = 0;
};

/// The pictures of a PDF file (empty when pdfimages cannot read it).
inline std::vector<TPDFImage> PDFImages(const std::string& pdf) {
  const TCommandResult run = RunCommand("timeout 60 pdfimages -list " + pdf + " 2>/dev/null");
  std::vector<TPDFImage> images;
  std::istringstream lines(run.Output);
  std::string line;
  // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f;
    std::string field;
    while (fields >> field) f.push_back(field);
    if (f.size() < 14 || f[0].find_first_not_of("0123456789") != std::string::npos) continue;
    images.push_back({std::stoi(f[0]), std::stoi(f[3]), std::stoi(f[4]), std::stoi(f[12]), std::stoi(f[13])});
  }
  return images;
}

}  // namespace consumertest
