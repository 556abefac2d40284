// TJPEGImage: a JPEG picture kept as its original bytes (saved unchanged) and decoded on
// demand for drawing; a bitmap assigned to it is compressed with the image's settings
// (quality 90, smoothing on, baseline unless ProgressiveEncoding).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/graphics/Graphic.h"

class TBitmap;

enum TJPEGPixelFormat { jf24Bit, jf8Bit };
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;
  std::string ClassName() const override { return "TJPEGImage"; }

  /// From a TJPEGImage: its bytes and settings. From a TBitmap: the bitmap, compressed when
  /// the data is needed. Nil empties the image; anything else raises EConvertError.
  void Assign(const TPersistent* source) override;
  /// A TBitmap destination receives the decoded pixels (24 bits, or 8 with jf8Bit).
  void AssignTo(TPersistent* dest) const override;

  bool Empty() const override;
  int32_t Width() const override;
  int32_t Height() const override;

  /// Reads the stream from its position to its end; the header is checked at once and a
  /// bad file raises EInvalidGraphic. The bytes are kept exactly as read.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  /// Component data: a 4-byte size, then the JPEG bytes.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

  int CompressionQuality() const;
  void SetCompressionQuality(int quality);  // 1..100
  bool ProgressiveEncoding() const;
  void SetProgressiveEncoding(bool value);
  bool Smoothing() const;
  void SetSmoothing(bool value);
  bool Grayscale() const;
  void SetGrayscale(bool value);
  TJPEGPixelFormat PixelFormat() const;
  void SetPixelFormat(TJPEGPixelFormat format);
  TJPEGPerformance Performance() const;
  void SetPerformance(TJPEGPerformance value);

  /// Compresses the assigned bitmap now (the JPEG bytes become current).
  void Compress();
  /// Decodes the bytes now (the drawing bitmap becomes current).
  void DIBNeeded();
  void JPEGNeeded() { Compress(); }

  struct Impl;

 protected:
  void Draw(TCanvas& canvas, const TRect& rect) override;

 private:
  TBitmap& DecodedBitmap() const;
  std::unique_ptr<Impl> impl_;
};
