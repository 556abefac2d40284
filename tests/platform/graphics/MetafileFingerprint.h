// A coarse fingerprint of a picture for comparing our rendering with another program's: the
// mean colour of each cell of a grid over the picture, translucent pixels laid over white.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QRectF>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "GraphicsTestSupport.h"
#include "platform/graphics/Metafile.h"

namespace gfxtest {

constexpr int kGrid = 12;
// A cell agrees when no channel of its mean differs by more than this (of 255).
constexpr int kCellTolerance = 48;

struct Fingerprint {
  std::array<std::array<double, 3>, kGrid * kGrid> cells{};
};

/// The mean colour of each grid cell of `area` (in image pixels) of `image`, over white.
inline Fingerprint FingerprintOf(const QImage& image, const QRectF& area) {
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

inline double ShareOfAgreeingCells(const Fingerprint& a, const Fingerprint& b) {
  int agree = 0;
  for (size_t i = 0; i < a.cells.size(); ++i) {
    double worst = 0;
    for (size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(a.cells[i][c] - b.cells[i][c]));
    if (worst <= kCellTolerance) ++agree;
  }
  return static_cast<double>(agree) / static_cast<double>(a.cells.size());
}

/// Our drawing of `meta` at its own size, as a QImage.
inline QImage RenderMetafile(TMetafile& meta) {
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

/// The office suite draws the metafiles saved in `dir` under the names `ours` gives, in one
/// run; at least the share `least` of the cells of each page must agree with our drawing.
inline void ExpectOfficeSuiteDrawsAlike(const std::filesystem::path& dir,
                                        const std::map<std::string, QImage>& ours, double least) {
  std::string command = "cd '" + dir.string() + "' && timeout 300 soffice -env:UserInstallation=file://" +
                        dir.string() + "/profile --headless --convert-to png --outdir out";
  for (const auto& [name, image] : ours) command += " '" + name + "'";
  EXPECT_EQ(std::system((command + " >suite.log 2>&1").c_str()), 0) << "see " << (dir / "suite.log");
  for (const auto& [name, image] : ours) {
    const QImage page(QString::fromStdString((dir / "out" / name).replace_extension("png").string()));
    ASSERT_GE(page.width(), image.width()) << "no page for " << name;
    // The suite lays the picture at its own size in the middle of a page.
    const QRectF area((page.width() - image.width()) / 2.0, (page.height() - image.height()) / 2.0,
                      image.width(), image.height());
    EXPECT_GE(ShareOfAgreeingCells(FingerprintOf(image, QRectF(image.rect())), FingerprintOf(page, area)),
              least)
        << name;
  }
}

/// The same for metafile files (name, bytes) saved in a fresh `folder`; skips without the suite.
inline void ExpectOfficeSuiteDrawsFilesAlike(const std::string& folder,
                                             const std::map<std::string, Bytes>& files, double least) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "soffice (the office suite, headless) is not installed";
  const std::filesystem::path dir = TempPath(folder);
  std::filesystem::create_directories(dir);
  std::map<std::string, QImage> ours;
  for (const auto& [name, bytes] : files) {
    WriteFile((dir / name).string(), bytes);
    TMetafile meta;
    TMemoryStream in = StreamOf(bytes);
    meta.LoadFromStream(in);
    ours[name] = RenderMetafile(meta);
  }
  ExpectOfficeSuiteDrawsAlike(dir, ours, least);
  std::filesystem::remove_all(dir);
}

}  // namespace gfxtest
