// Real metafiles: a sample of Debian's clip art written as WMF and EMF by an office suite
// (prepared by real_metafiles.sh) is drawn by our player and compared with the suite's own
// rendering by a coarse fingerprint: the mean colour of each cell of a grid over the picture.
// Skipped with the reason when the clip art cannot be fetched or the suite is not installed.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "GraphicsTestSupport.h"
#include "MetafileFingerprint.h"
#include "platform/graphics/Metafile.h"

namespace fs = std::filesystem;
using namespace gfxtest;

namespace {

// A picture agrees when this share of its cells do.
constexpr double kCellsThatMustAgree = 0.9;
// Pictures smaller than this (pixels, either side) are drawn but not compared.
constexpr int kSmallestCompared = 24;

/// The prepared folder, or why there is none.
std::string PrepareCorpus(fs::path& dir) {
  const char* data = std::getenv("ZUK_TEST_DATA");
  dir = fs::path(data && *data ? data : fs::temp_directory_path().string()) / "real-metafiles";
  const fs::path script = ZUK_REAL_METAFILES_SCRIPT;
  const fs::path log = dir.string() + ".log";
  std::error_code ignored;
  fs::create_directories(dir, ignored);
  const std::string command = "sh '" + script.string() + "' '" + dir.string() + "' 2>'" + log.string() + "'";
  if (std::system(command.c_str()) == 0) return "";
  std::ifstream reason(log);
  const std::string text((std::istreambuf_iterator<char>(reason)), std::istreambuf_iterator<char>());
  return "real metafiles not available: " + (text.empty() ? std::string("preparation failed") : text);
}

/// A Windows metafile without the comment escapes that carry an enhanced copy of the
/// drawing, so that its own records are what is drawn.
Bytes WithoutEmbeddedEmf(const Bytes& wmf) {
  constexpr size_t kRecordsStart = 22 + 18;
  Bytes out(wmf.begin(), wmf.begin() + static_cast<std::ptrdiff_t>(std::min(wmf.size(), kRecordsStart)));
  for (size_t pos = kRecordsStart; pos + 8 <= wmf.size();) {
    const size_t bytes = 2 * (wmf[pos] | (wmf[pos + 1] << 8) | (wmf[pos + 2] << 16));
    if (bytes < 6 || bytes > wmf.size() - pos) break;
    const bool embedded =
        wmf[pos + 4] == 0x26 && wmf[pos + 5] == 0x06 && wmf[pos + 6] == 0x0F && wmf[pos + 7] == 0;
    if (!embedded)
      out.insert(out.end(), wmf.begin() + static_cast<std::ptrdiff_t>(pos),
                 wmf.begin() + static_cast<std::ptrdiff_t>(pos + bytes));
    pos += bytes;
  }
  return out;
}

/// Plays every metafile of one kind (after `prepare`) and expects at least `least_share`
/// of the compared ones to agree with the office suite's rendering.
void PlayAndCompare(const char* extension, const char* pngPrefix, double leastShare,
                    Bytes (*prepare)(const Bytes&) = nullptr) {
  fs::path dir;
  const std::string missing = PrepareCorpus(dir);
  if (!missing.empty()) GTEST_SKIP() << missing;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir / "meta"))
    if (entry.path().extension() == extension) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());
  fs::create_directories(dir / "ours");
  int compared = 0, agreed = 0;
  std::string disagreeing;
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (prepare != nullptr) bytes = prepare(bytes);
    TMetafile meta;
    TMemoryStream stream = StreamOf(bytes);
    ASSERT_NO_THROW(meta.LoadFromStream(stream)) << file;
    const QImage ours = RenderMetafile(meta);
    const std::string saved = (dir / "ours" / file.filename()).string() + (prepare != nullptr ? ".own" : "");
    ours.save(QString::fromStdString(saved + ".png"));
    // The suite lays the picture at its own size in the middle of a page; pictures larger
    // than the page are not compared.
    const QImage page(
        QString::fromStdString((dir / "png" / (pngPrefix + file.stem().string() + ".png")).string()));
    if (page.isNull() || ours.width() < kSmallestCompared || ours.height() < kSmallestCompared ||
        ours.width() > page.width() || ours.height() > page.height())
      continue;
    const QRectF area((page.width() - ours.width()) / 2.0, (page.height() - ours.height()) / 2.0,
                      ours.width(), ours.height());
    page.copy(area.toRect()).save(QString::fromStdString(saved + ".suite.png"));
    const double share =
        ShareOfAgreeingCells(FingerprintOf(ours, QRectF(ours.rect())), FingerprintOf(page, area));
    ++compared;
    if (share >= kCellsThatMustAgree)
      ++agreed;
    else
      disagreeing +=
          " " + file.filename().string() + "(" + std::to_string(static_cast<int>(share * 100)) + "%)";
  }
  ASSERT_GT(compared, 0);
  const double share = static_cast<double>(agreed) / compared;
  const std::string kind = std::string(extension) + (prepare != nullptr ? " (own records)" : "");
  std::cout << kind << ": " << agreed << " of " << compared
            << " compared pictures agree; differing:" << disagreeing << "\n";
  ::testing::Test::RecordProperty("agreeing" + kind, std::to_string(agreed) + "/" + std::to_string(compared));
  EXPECT_GE(share, leastShare) << "differing:" << disagreeing;
}

TEST(RealMetafiles, WindowsMetafilesDrawAsTheOfficeSuiteDrawsThem) {
  PlayAndCompare(".wmf", "", 0.8);
}

TEST(RealMetafiles, WindowsMetafileRecordsAloneDrawAsTheOfficeSuiteDrawsThem) {
  PlayAndCompare(".wmf", "", 0.8, WithoutEmbeddedEmf);
}

TEST(RealMetafiles, EnhancedMetafilesDrawAsTheOfficeSuiteDrawsThem) {
  PlayAndCompare(".emf", "e", 0.8);
}

}  // namespace
