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
#include "platform/graphics/Metafile.h"

namespace fs = std::filesystem;
using namespace gfxtest;

namespace {

constexpr int kGrid = 12;
// A cell agrees when no channel of its mean differs by more than this (of 255)...
constexpr int kCellTolerance = 48;
// ...and a picture agrees when this share of its cells do.
constexpr double kCellsThatMustAgree = 0.9;
// Pictures smaller than this (pixels, either side) are drawn but not compared.
constexpr int kSmallestCompared = 24;

/// The prepared folder, or why there is none.
std::string PrepareCorpus(fs::path& dir) {
  const char* data = std::getenv("ZUK_TEST_DATA");
  dir = fs::path(data && *data ? data : fs::temp_directory_path().string()) / "real-metafiles";
  const fs::path script = fs::path(__FILE__).parent_path() / "real_metafiles.sh";
  const fs::path log = dir.string() + ".log";
  std::error_code ignored;
  fs::create_directories(dir, ignored);
  const std::string command = "sh '" + script.string() + "' '" + dir.string() + "' 2>'" + log.string() + "'";
  if (std::system(command.c_str()) == 0) return "";
  std::ifstream reason(log);
  const std::string text((std::istreambuf_iterator<char>(reason)), std::istreambuf_iterator<char>());
  return "real metafiles not available: " + (text.empty() ? std::string("preparation failed") : text);
}

struct Fingerprint {
  std::array<std::array<double, 3>, kGrid * kGrid> cells{};
};

/// The mean colour of each grid cell of `area` (in image pixels) of `image`, over white.
Fingerprint FingerprintOf(const QImage& image, const QRectF& area) {
  Fingerprint f;
  std::array<int, kGrid * kGrid> counts{};
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = std::max(0, static_cast<int>(area.top())); y < std::min(argb.height(), int(area.bottom()));
       ++y)
    for (int x = std::max(0, static_cast<int>(area.left())); x < std::min(argb.width(), int(area.right()));
         ++x) {
      const int cx =
          std::clamp(static_cast<int>((x + 0.5 - area.left()) * kGrid / area.width()), 0, kGrid - 1);
      const int cy =
          std::clamp(static_cast<int>((y + 0.5 - area.top()) * kGrid / area.height()), 0, kGrid - 1);
      const QRgb p = argb.pixel(x, y);
      const double a = qAlpha(p) / 255.0;
      auto& cell = f.cells[static_cast<size_t>(cy * kGrid + cx)];
      cell[0] += qRed(p) * a + 255 * (1 - a);
      cell[1] += qGreen(p) * a + 255 * (1 - a);
      cell[2] += qBlue(p) * a + 255 * (1 - a);
      ++counts[static_cast<size_t>(cy * kGrid + cx)];
    }
  for (size_t i = 0; i < f.cells.size(); ++i)
    for (double& channel : f.cells[i]) channel = counts[i] > 0 ? channel / counts[i] : 255;
  return f;
}

double ShareOfAgreeingCells(const Fingerprint& a, const Fingerprint& b) {
  int agree = 0;
  for (size_t i = 0; i < a.cells.size(); ++i) {
    double worst = 0;
    for (size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(a.cells[i][c] - b.cells[i][c]));
    if (worst <= kCellTolerance) ++agree;
  }
  return static_cast<double>(agree) / static_cast<double>(a.cells.size());
}

/// Our drawing of `meta` at its own size, as a QImage.
QImage Render(TMetafile& meta) {
  TBitmap target;
  FillBitmap(target, meta.Width(), meta.Height(), [](int, int) { return clWhite; });
  target.Canvas().StretchDraw(Rect(0, 0, meta.Width(), meta.Height()), &meta);
  QImage image(meta.Width(), meta.Height(), QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const TColor c = target.Canvas().Pixel(x, y);
      image.setPixel(x, y, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
    }
  return image;
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
void PlayAndCompare(const char* extension, const char* png_prefix, double least_share,
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
    const QImage ours = Render(meta);
    const std::string saved = (dir / "ours" / file.filename()).string() + (prepare != nullptr ? ".own" : "");
    ours.save(QString::fromStdString(saved + ".png"));
    // The suite lays the picture at its own size in the middle of a page; pictures larger
    // than the page are not compared.
    const QImage page(
        QString::fromStdString((dir / "png" / (png_prefix + file.stem().string() + ".png")).string()));
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
  EXPECT_GE(share, least_share) << "differing:" << disagreeing;
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
