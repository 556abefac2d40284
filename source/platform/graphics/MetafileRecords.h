// Private to the graphics layer: the record numbers of enhanced metafiles (EMF record types)
// and Windows metafiles (WMF record functions), one list each for the players that read them
// and the recorder that writes them. Only the records the program plays or writes are named;
// the raster-operation codes of bitmap records are the copy modes of Canvas.h.
#pragma once

#include <cstdint>

/// Enhanced-metafile record types (the first word of each record).
enum TEmfRecordType : uint32_t {
  kEmrHeader = 1,  // the file header, always the first record
  kEmrPolyBezier = 2,
  kEmrPolygon = 3,
  kEmrPolyline = 4,
  kEmrPolyBezierTo = 5,  // curves on from the current position
  kEmrPolylineTo = 6,
  kEmrPolyPolyline = 7,
  kEmrPolyPolygon = 8,
  kEmrSetWindowExtEx = 9,
  kEmrSetWindowOrgEx = 10,
  kEmrSetViewportExtEx = 11,
  kEmrSetViewportOrgEx = 12,
  kEmrEof = 14,  // the last record
  kEmrSetPixelV = 15,
  kEmrSetMapMode = 17,
  kEmrSetBkMode = 18,
  kEmrSetPolyFillMode = 19,
  kEmrSetRop2 = 20,  // the raster operation of lines and figures
  kEmrSetTextAlign = 22,
  kEmrSetTextColor = 24,
  kEmrSetBkColor = 25,
  kEmrMoveToEx = 27,
  kEmrExcludeClipRect = 29,
  kEmrIntersectClipRect = 30,
  kEmrScaleViewportExtEx = 31,
  kEmrScaleWindowExtEx = 32,
  kEmrSaveDC = 33,
  kEmrRestoreDC = 34,
  kEmrSetWorldTransform = 35,
  kEmrModifyWorldTransform = 36,
  kEmrSelectObject = 37,  // an object of the table, or a stock object with the top bit set
  kEmrCreatePen = 38,
  kEmrCreateBrushIndirect = 39,
  kEmrDeleteObject = 40,
  kEmrEllipse = 42,
  kEmrRectangle = 43,
  kEmrRoundRect = 44,
  kEmrArc = 45,
  kEmrChord = 46,
  kEmrPie = 47,
  kEmrLineTo = 54,
  kEmrArcTo = 55,
  kEmrBeginPath = 59,
  kEmrEndPath = 60,
  kEmrCloseFigure = 61,
  kEmrFillPath = 62,
  kEmrStrokeAndFillPath = 63,
  kEmrStrokePath = 64,
  kEmrSelectClipPath = 67,
  kEmrAbortPath = 68,
  kEmrExtSelectClipRgn = 75,
  kEmrBitBlt = 76,
  kEmrStretchBlt = 77,
  kEmrSetDIBitsToDevice = 80,
  kEmrStretchDIBits = 81,
  kEmrExtCreateFontIndirectW = 82,
  kEmrExtTextOutA = 83,   // 8-bit characters
  kEmrExtTextOutW = 84,   // UTF-16 characters
  kEmrPolyBezier16 = 85,  // the ...16 records hold 16-bit points
  kEmrPolygon16 = 86,
  kEmrPolyline16 = 87,
  kEmrPolyBezierTo16 = 88,
  kEmrPolylineTo16 = 89,
  kEmrPolyPolyline16 = 90,
  kEmrPolyPolygon16 = 91,
  kEmrCreateMonoBrush = 93,
  kEmrCreateDIBPatternBrushPt = 94,
  kEmrExtCreatePen = 95,
  kEmrAlphaBlend = 114,
};

/// Windows-metafile record functions (the word after each record's size).
enum TWmfRecordFunction : uint16_t {
  kMetaEof = 0x0000,  // the last record
  kMetaSaveDC = 0x001E,
  kMetaCreatePalette = 0x00F7,
  kMetaSetBkMode = 0x0102,
  kMetaSetMapMode = 0x0103,
  kMetaSetRop2 = 0x0104,  // the raster operation of lines and figures
  kMetaSetPolyFillMode = 0x0106,
  kMetaRestoreDC = 0x0127,
  kMetaSelectClipRegion = 0x012C,
  kMetaSelectObject = 0x012D,
  kMetaSetTextAlign = 0x012E,
  kMetaDibCreatePatternBrush = 0x0142,
  kMetaDeleteObject = 0x01F0,
  kMetaCreatePatternBrush = 0x01F9,
  kMetaSetBkColor = 0x0201,
  kMetaSetTextColor = 0x0209,
  kMetaSetWindowOrg = 0x020B,
  kMetaSetWindowExt = 0x020C,
  kMetaSetViewportOrg = 0x020D,
  kMetaSetViewportExt = 0x020E,
  kMetaOffsetWindowOrg = 0x020F,
  kMetaOffsetViewportOrg = 0x0211,
  kMetaLineTo = 0x0213,
  kMetaMoveTo = 0x0214,
  kMetaCreatePenIndirect = 0x02FA,
  kMetaCreateFontIndirect = 0x02FB,
  kMetaCreateBrushIndirect = 0x02FC,
  kMetaPolygon = 0x0324,
  kMetaPolyline = 0x0325,
  kMetaScaleWindowExt = 0x0410,
  kMetaScaleViewportExt = 0x0412,
  kMetaExcludeClipRect = 0x0415,
  kMetaIntersectClipRect = 0x0416,
  kMetaEllipse = 0x0418,
  kMetaRectangle = 0x041B,
  kMetaSetPixel = 0x041F,
  kMetaTextOut = 0x0521,
  kMetaPolyPolygon = 0x0538,
  kMetaRoundRect = 0x061C,
  kMetaPatBlt = 0x061D,
  kMetaEscape = 0x0626,  // printer escapes, among them comments and path clipping
  kMetaCreateRegion = 0x06FF,
  kMetaDibBitBlt = 0x0940,
  kMetaExtTextOut = 0x0A32,
  kMetaDibStretchBlt = 0x0B41,
  kMetaStretchDib = 0x0F43,
};
