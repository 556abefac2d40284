// The field lists of the exam records. Each record describes its fields once, in file
// order, to a TZUKFieldVisitor; loading, saving and stepping over a record are that one
// description walked by a different visitor, so the three can never disagree on a layout.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/Lists.h"
#include "platform/core/Streams.h"

class TCaseStudyPageData;

/// One operation per kind of value in a record. Values are passed by reference: loading
/// fills them, saving writes them, stepping over reads only what decides the layout that
/// follows (counts and ids) and skips the rest.
class TZUKFieldVisitor {
 public:
  virtual ~TZUKFieldVisitor() = default;

  virtual void Byte(uint8_t& value) = 0;
  virtual void Bool(bool& value) = 0;
  virtual void Int32(int32_t& value) = 0;
  /// An int32 on disk that must lie in 0 .. 255.
  virtual void ExhibitCount(uint8_t& value) = 0;
  /// An int32 record count; a negative one reads as 0, one that could not fit in the rest
  /// of the stream is refused.
  virtual void RecordCount(int32_t& count, int64_t minRecordSize) = 0;
  virtual void ScrambledString(std::string& value) = 0;
  virtual void ScrambledStream(TMemoryStream& value) = 0;
  /// `count` case-study pages at nesting level `depth`; saving writes all of `pages`.
  virtual void Pages(TObjectList<TCaseStudyPageData>& pages, int32_t count, int depth) = 0;
};

class TZUKLoadVisitor : public TZUKFieldVisitor {
 public:
  explicit TZUKLoadVisitor(TStream& stream) : TZUKLoadVisitor(stream, false) {}
  void Byte(uint8_t& value) override;
  void Bool(bool& value) override;
  void Int32(int32_t& value) override;
  void ExhibitCount(uint8_t& value) override;
  void RecordCount(int32_t& count, int64_t minRecordSize) override;
  void ScrambledString(std::string& value) override;
  void ScrambledStream(TMemoryStream& value) override;
  void Pages(TObjectList<TCaseStudyPageData>& pages, int32_t count, int depth) override;

 protected:
  /// A strict visitor raises EReadError on a value cut short instead of reading it as 0.
  TZUKLoadVisitor(TStream& stream, bool strict) : stream_(stream), strict_(strict) {}
  TStream& stream_;

 private:
  void Need(int64_t size);

  bool strict_;
};

class TZUKSaveVisitor : public TZUKFieldVisitor {
 public:
  explicit TZUKSaveVisitor(TStream& stream) : stream_(stream) {}
  void Byte(uint8_t& value) override;
  void Bool(bool& value) override;
  void Int32(int32_t& value) override;
  void ExhibitCount(uint8_t& value) override;
  void RecordCount(int32_t& count, int64_t minRecordSize) override;
  void ScrambledString(std::string& value) override;
  void ScrambledStream(TMemoryStream& value) override;
  void Pages(TObjectList<TCaseStudyPageData>& pages, int32_t count, int depth) override;

 private:
  TStream& stream_;
};

/// Steps over a record, reading only its scalars (they decide the layout that follows) and
/// leaving strings, sub-streams and pages unbuilt. A record cut short raises EReadError.
class TZUKSkipVisitor : public TZUKLoadVisitor {
 public:
  explicit TZUKSkipVisitor(TStream& stream) : TZUKLoadVisitor(stream, true) {}
  void ScrambledString(std::string& value) override;
  void ScrambledStream(TMemoryStream& value) override;
  void Pages(TObjectList<TCaseStudyPageData>& pages, int32_t count, int depth) override;
};
