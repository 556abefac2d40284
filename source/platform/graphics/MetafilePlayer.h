// Private to the graphics layer: plays the records of a Windows metafile (WMF) or an enhanced
// metafile (EMF) on a Qt painter. The drawing records documents carry (lines, figures, text,
// bitmaps, clipping, paths) are played; records of other kinds are skipped, and a damaged
// record ends the playback quietly with what was drawn so far.
#pragma once

#include <QPainter>
#include <QRect>
#include <cstdint>
#include <span>

/// Where the metafile's logical space lies before its own window records change it: the
/// bounding box of the placeable header, or an empty one.
struct TWmfFrame {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  /// Metafile units per inch, which the fixed mapping modes (millimetres, inches) need.
  int32_t UnitsPerInch = 1440;
};

/// Plays `wmf` (the metafile header and records, without a placeable header) into `dest`
/// (painter coordinates): the metafile's window is mapped onto `dest` and drawing is clipped
/// to it. The painter's state is restored afterwards.
void PlayWmf(QPainter& painter, std::span<const uint8_t> wmf, const TWmfFrame& frame, const QRect& dest);

/// Plays `emf` (a whole enhanced metafile, header first) into `dest`: the header's frame is
/// mapped onto `dest` and drawing is clipped to it. The painter's state is restored afterwards.
void PlayEmf(QPainter& painter, std::span<const uint8_t> emf, const QRect& dest);
