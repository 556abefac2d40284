// HTML export of a generated document of about 10 MB of text: 100,000 paragraphs in mixed
// text styles (8-bit and UTF-16), lists and some pictures, written as the plain page and as
// the CSS page. Google Benchmark prints the rate of HTML written as bytes_per_second. After
// the benchmarks the program exports documents of half, once and twice that size (about 10,
// 21 and 43 MB of HTML) in both variants and prints the ratio of the times of each doubling:
// linear export keeps it at most 2.1.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"

namespace {

constexpr int kParagraphs = 100'000;

/// The style sheet of the generated documents: the six default text styles, a UTF-16 one,
/// a large coloured one; three paragraph styles; a numbered and a bulleted list.
std::unique_ptr<TRVStyle> MakeSheet() {
  auto sheet = std::make_unique<TRVStyle>();
  sheet->TextStyles().AddStyle()->Unicode = true;   // 6
  TFontInfo* big = sheet->TextStyles().AddStyle();  // 7
  big->FontName = "Times New Roman";
  big->Size = 16;
  big->Color = clMaroon;
  sheet->ParaStyles().AddStyle()->Alignment = rvaJustify;
  TRVListLevel* numbered = sheet->ListStyles().AddStyle()->Levels().AddLevel();
  numbered->ListType = rvlstDecimal;
  numbered->FormatString = "%0:s.";
  sheet->ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstBullet;
  return sheet;
}

/// A document of `paragraphs` paragraphs of about 100 bytes of HTML each.
std::unique_ptr<TCustomRVData> MakeDocument(TRVStyle& sheet, int paragraphs) {
  auto doc = std::make_unique<TCustomRVData>();
  doc->SetRVStyle(&sheet);
  const std::u16string wide = u"\u0422\u0435\u043A\u0441\u0442 & <\u00E9> ";
  for (int i = 0; i < paragraphs; ++i) {
    const int para = i % 3;
    if (i % 10 == 7) {
      auto marker = TRVMarkerItemInfo::CreateForList(doc.get(), (i / 10) % 2, 0, 1, false);
      int itemNo = doc->GetItemCount();
      bool fullReformat = false;
      int newListNo = -1;
      doc->InsertItemObject(itemNo, "", std::move(marker), fullReformat, newListNo);
      doc->AddTextItem("list item number " + std::to_string(i), 0, -1);
      continue;
    }
    doc->AddTextItem("Paragraph " + std::to_string(i) +
                         " holds some  text & <markup>, and a few more words that fill its line of text. ",
                     i % 6, para);
    if (i % 4 == 0) doc->AddWideTextItem(wide + std::u16string(u"\U0001F600"), 6, -1, TRVTag());
    doc->AddTextItem("and a closing run.", 7 - (i % 2) * 7, -1);
    if (i % 2000 == 0) {
      auto bitmap = std::make_unique<TBitmap>();
      bitmap->SetPixelFormat(pf24bit);
      bitmap->SetSize(24, 16);
      bitmap->Canvas().Brush().SetColor(static_cast<TColor>(i * 2654435761u & 0xFFFFFF));
      bitmap->Canvas().FillRect(Rect(0, 0, 24, 16));
      doc->AddPictureItem("picture", std::move(bitmap), -1, 0, TRVTag());
    }
  }
  return doc;
}

/// A fresh folder for the pictures of one export, removed afterwards.
class TImageFolder {
 public:
  TImageFolder() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/rvhtmlbenchXXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern + "/";
  }
  ~TImageFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

/// Exports `doc` once; answers the size of the HTML.
int64_t Export(TCustomRVData& doc, bool css, const std::string& folder) {
  TMemoryStream stream;
  int counter = 0;
  TColor fileColor = clNone;
  const bool ok =
      css ? doc.SaveHTMLToStreamCSS(stream, folder, "Bench", "img", "", "", "", rvhoReuseImageFiles, clWhite,
                                    fileColor, counter, 0, 0, 0, 0, nullptr, nullptr)
          : doc.SaveHTMLToStream(stream, folder, "Bench", "img", 0x55, clWhite, counter, 0, 0, 0, 0, nullptr,
                                 nullptr);
  if (!ok) std::abort();
  return stream.Size();
}

void RunExport(benchmark::State& state, bool css) {
  const auto sheet = MakeSheet();
  const auto doc = MakeDocument(*sheet, kParagraphs);
  TImageFolder folder;
  int64_t bytes = 0;
  for (auto _ : state) bytes += Export(*doc, css, folder.Path());
  state.SetBytesProcessed(bytes);
  state.counters["MB"] = static_cast<double>(bytes) / static_cast<double>(state.iterations()) / 1e6;
}

void BM_PlainHTML(benchmark::State& state) {
  RunExport(state, false);
}
void BM_CSSHTML(benchmark::State& state) {
  RunExport(state, true);
}

/// The processor time of this thread, in seconds: on a machine shared with other work, the
/// time the export itself takes (its page faults included), not the time it waits.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

/// The best of a few export times of a document, in seconds, and the size of its HTML.
struct TTimedDocument {
  TTimedDocument(int paragraphs, bool css)
      : sheet(MakeSheet()), doc(MakeDocument(*sheet, paragraphs)), css(css) {}
  void Run() {
    const double start = ThreadSeconds();
    bytes = Export(*doc, css, folder.Path());
    best = std::min(best, ThreadSeconds() - start);
  }
  std::unique_ptr<TRVStyle> sheet;
  std::unique_ptr<TCustomRVData> doc;
  bool css;
  TImageFolder folder;
  double best = 1e9;
  int64_t bytes = 0;
};

}  // namespace

BENCHMARK(BM_PlainHTML)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CSSHTML)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  // Runs of the sizes alternate, so that a busy moment of the machine hits them alike.
  for (const bool css : {false, true}) {
    std::vector<std::unique_ptr<TTimedDocument>> sizes;
    for (const int paragraphs : {kParagraphs / 2, kParagraphs, 2 * kParagraphs})
      sizes.push_back(std::make_unique<TTimedDocument>(paragraphs, css));
    for (int run = 0; run < 7; ++run)
      for (auto& size : sizes) size->Run();
    std::printf("%s HTML:", css ? "CSS" : "plain");
    for (size_t i = 0; i < sizes.size(); ++i) {
      std::printf(" %.1f MB %.3f s", static_cast<double>(sizes[i]->bytes) / 1e6, sizes[i]->best);
      if (i > 0) std::printf(" (doubling ratio %.2f)", sizes[i]->best / sizes[i - 1]->best);
      std::printf(i + 1 < sizes.size() ? ";" : "");
    }
    const double worst = std::max(sizes[1]->best / sizes[0]->best, sizes[2]->best / sizes[1]->best);
    std::printf("; at most 2.10 per doubling: %s\n", worst <= 2.1 ? "yes" : "NO");
  }
  return 0;
}
