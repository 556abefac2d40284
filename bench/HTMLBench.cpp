// HTML export of a generated document of about 10 MB of text: 100,000 paragraphs in mixed
// text styles (8-bit and UTF-16), lists and some pictures, written as the plain page and as
// the CSS page. Google Benchmark prints the rate of HTML written as bytes_per_second. After
// the benchmarks the program exports the document and one twice its size and prints the
// ratio of the two times: linear export keeps it at most 2.2.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

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

/// The best of five export times of a document, in seconds.
struct TTimedDocument {
  explicit TTimedDocument(int paragraphs) : sheet(MakeSheet()), doc(MakeDocument(*sheet, paragraphs)) {}
  void Run() {
    const auto start = std::chrono::steady_clock::now();
    Export(*doc, false, folder.Path());
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::unique_ptr<TRVStyle> sheet;
  std::unique_ptr<TCustomRVData> doc;
  TImageFolder folder;
  double best = 1e9;
};

/// The size of a document's text in bytes.
int64_t TextSize(const TCustomRVData& doc) {
  int64_t size = 0;
  for (int i = 0; i < doc.GetItemCount(); ++i) size += static_cast<int64_t>(doc.GetItemText(i).size());
  return size;
}

}  // namespace

BENCHMARK(BM_PlainHTML)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CSSHTML)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  // Runs of the two sizes alternate, so that a busy moment of the machine hits both alike.
  TTimedDocument single(kParagraphs), twice(2 * kParagraphs);
  for (int run = 0; run < 5; ++run) {
    single.Run();
    twice.Run();
  }
  const double ratio = twice.best / single.best;
  std::printf(
      "Document of %d paragraphs, %.1f MB of text: export %.3f s; twice the size: %.3f s; ratio %.2f "
      "(at most 2.20: %s)\n",
      kParagraphs, static_cast<double>(TextSize(*single.doc)) / 1e6, single.best, twice.best, ratio,
      ratio <= 2.2 ? "yes" : "NO");
  return 0;
}
