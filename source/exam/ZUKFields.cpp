#include "exam/ZUKFields.h"

#include <memory>

#include "exam/ZUKException.h"
#include "exam/ZUKHolders.h"
#include "exam/ZUKRecordLimits.h"
#include "exam/ZUKStream.h"
#include "platform/core/Exceptions.h"

namespace {

/// Pages read from a file must fit in what is left of it and nest no deeper than the limit.
void CheckPagesFit(TStream& stream, int32_t count, int depth) {
  if (count > 0) CheckPageDepth(depth);
  if (static_cast<int64_t>(count) * kMinCaseStudyPageSize > stream.Remaining())
    throw EZUKIncorrectFileFormat();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Loading

void TZUKLoadVisitor::Need(int64_t size) {
  if (strict_ && size > stream_.Remaining()) throw EReadError("Stream read error");
}
void TZUKLoadVisitor::Byte(uint8_t& value) {
  Need(1);
  value = ReadByte(stream_);
}
void TZUKLoadVisitor::Bool(bool& value) {
  Need(1);
  value = ReadBool(stream_);
}
void TZUKLoadVisitor::Int32(int32_t& value) {
  Need(4);
  value = ReadInt32(stream_);
}
void TZUKLoadVisitor::ExhibitCount(uint8_t& value) {
  Need(4);
  value = ReadExhibitCount(stream_);
}
void TZUKLoadVisitor::RecordCount(int32_t& count, int64_t minRecordSize) {
  count = ReadRecordCount(stream_, minRecordSize);
}
void TZUKLoadVisitor::ScrambledString(std::string& value) {
  ReadScrambledString(stream_, value);
}
void TZUKLoadVisitor::ScrambledStream(TMemoryStream& value) {
  ReadScrambledStream(stream_, value);
}
void TZUKLoadVisitor::Pages(TObjectList<TCaseStudyPageData>& pages, int32_t count, int depth) {
  CheckPagesFit(stream_, count, depth);
  for (int32_t i = 0; i < count; ++i) {
    auto page = std::make_unique<TCaseStudyPageData>();
    TCaseStudyPageData* loading = page.get();
    pages.Add(std::move(page));
    loading->VisitFields(*this, depth);
  }
}

// ---------------------------------------------------------------------------------------
// Saving

void TZUKSaveVisitor::Byte(uint8_t& value) {
  WriteByte(value, stream_);
}
void TZUKSaveVisitor::Bool(bool& value) {
  WriteBool(value, stream_);
}
void TZUKSaveVisitor::Int32(int32_t& value) {
  WriteInt32(value, stream_);
}
void TZUKSaveVisitor::ExhibitCount(uint8_t& value) {
  WriteInt32(value, stream_);
}
void TZUKSaveVisitor::RecordCount(int32_t& count, int64_t) {
  WriteInt32(count, stream_);
}
void TZUKSaveVisitor::ScrambledString(std::string& value) {
  WriteScrambledString(value, stream_);
}
void TZUKSaveVisitor::ScrambledStream(TMemoryStream& value) {
  WriteScrambledStream(value, stream_);
}
void TZUKSaveVisitor::Pages(TObjectList<TCaseStudyPageData>& pages, int32_t, int depth) {
  for (const auto& page : pages) page->VisitFields(*this, depth);
}

// ---------------------------------------------------------------------------------------
// Stepping over

void TZUKSkipVisitor::ScrambledString(std::string&) {
  SkipString(stream_);
}
void TZUKSkipVisitor::ScrambledStream(TMemoryStream&) {
  SkipStream(stream_);
}
void TZUKSkipVisitor::Pages(TObjectList<TCaseStudyPageData>&, int32_t count, int depth) {
  CheckPagesFit(stream_, count, depth);
  for (int32_t i = 0; i < count; ++i) {
    TCaseStudyPageData scratch;
    scratch.VisitFields(*this, depth);
  }
}
