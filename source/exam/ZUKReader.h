// The exam file reader. A .zuk file is: magic 85 A8, version bytes, file properties, the
// exam's styles (scr. sub-stream), the description (scr. sub-stream of RVF), the sections,
// the exams, and a trailer int32 equal to its own offset. The base reader indexes the exams;
// descendants load them into the holder tree instead.
//
// The style sheet and the description viewer are reached through two small interfaces, so
// that the reader keeps the raw sub-streams when neither is given.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "exam/RVMainStyle.h"
#include "exam/ZUKReferenceObjects.h"
#include "platform/core/Lists.h"
#include "platform/core/Object.h"
#include "platform/core/Streams.h"

class TZUKProgressNotifier;
class TZUKSourceStream;

/// Progress: the total first, then the position.
using TZUKProgressEvent = std::function<void(int64_t total, int64_t position)>;

/// A style sheet that receives the exam's own text and paragraph styles.
class TZUKStyleTarget {
 public:
  virtual ~TZUKStyleTarget() = default;
  virtual int TextStyleCount() const = 0;
  virtual int ParaStyleCount() const = 0;
  virtual void DeleteTextStyle(int index) = 0;
  virtual void DeleteParaStyle(int index) = 0;
  /// Appends a text style with default values and reads one property list into it from the
  /// stream's position, leaving the stream just after the list. A list that cannot be read
  /// raises EReadError (or another EFilerError).
  virtual void AddTextStyle(TStream& stream) = 0;
  virtual void AddParaStyle(TStream& stream) = 0;
};

/// The viewer that shows the exam's description.
class TZUKDescriptionView {
 public:
  virtual ~TZUKDescriptionView() = default;
  virtual void Clear() = 0;
  /// Reads an RVF document from the stream's position; the outcome is not reported.
  virtual void LoadRVFFromStream(TStream& stream) = 0;
  virtual void Format() = 0;
};

/// Frees the text and paragraph styles after the program's own (RVMainStyleCount of each);
/// the file's styles come after them.
void TrimStyles(TZUKStyleTarget& style);
/// Rewinds `stream`, trims the sheet, then adds the int32-counted text styles and the
/// int32-counted paragraph styles read from it.
void LoadStyleFromStream(TZUKStyleTarget& style, TStream& stream);

/// The file properties that follow the header.
class TZUKFileProperties : public TObject {
 public:
  std::string ClassName() const override { return "TZUKFileProperties"; }

  /// 0 for a standard exam file, anything else for a case-study based one.
  uint8_t FileType = 0;
  std::string Text1;
  std::string Text2;
  int32_t Number1 = 0;
  int32_t Number2 = 0;
  std::string Text3;
  double Value1 = 0;
  double Value2 = 0;
  double Value3 = 0;
  double Value4 = 0;
  /// Whether the description belongs in the mobile file.
  bool DescriptionFlag = false;
  bool HasExtraText = false;
  /// Kept from before Load when the file has no extra text.
  std::string ExtraText;
  TMemoryStream ExtraData;

  void Load(TStream& stream);
};

class TZUKSection : public TObject {
 public:
  std::string ClassName() const override { return "TZUKSection"; }

  int32_t Id = 0;
  std::string Name;
  /// Position in the section list (file order).
  int32_t Index = 0;

  void Load(TStream& stream);
  void Save(TStream& stream) const;
};

class TZUKSectionCollection : public TObject {
 public:
  std::string ClassName() const override { return "TZUKSectionCollection"; }

  int Count() const { return sections_.Count(); }
  TZUKSection* Items(int index) const { return sections_[index]; }
  TZUKSection* operator[](int index) const { return sections_[index]; }
  /// Appends a new section whose Index is its position.
  TZUKSection* Add(int32_t id, const std::string& name);
  void Clear() { sections_.Clear(); }

  /// Replaces the sections with an int32 count and that many (id, scr. name) records.
  void Load(TStream& stream);
  void Save(TStream& stream) const;

 private:
  TObjectList<TZUKSection> sections_;
};

/// The base of the exam stream readers and writers: the stream, progress reporting and the
/// handler of the holder tree's notifications.
class TZUKStreamProcessor : public TObject {
 public:
  /// Works on `stream`, which stays the caller's. The position is set to 0.
  explicit TZUKStreamProcessor(TStream& stream);
  /// Works on `stream` and frees it with the processor. The position is set to 0.
  explicit TZUKStreamProcessor(std::unique_ptr<TStream> stream);
  TZUKStreamProcessor(const TZUKStreamProcessor&) = delete;
  TZUKStreamProcessor& operator=(const TZUKStreamProcessor&) = delete;
  std::string ClassName() const override { return "TZUKStreamProcessor"; }

  /// The stream read or written; during a load, the buffered view of it that the load
  /// reads through (its position is handed back to the stream when the load ends).
  TStream& Stream() const { return *active_; }
  bool OwnsStream() const { return owned_ != nullptr; }
  TZUKProgressEvent OnProgress;
  /// Notifications counted while writing.
  int32_t WriteCount = 0;

  /// Reports the stream's size and position.
  void DoProgress();
  /// Handles the holder tree's notifications. Reading: reports the size and position of
  /// `stream`. Writing: counts one more record and reports it against the number of
  /// questions that the sending exam collection counted before writing began.
  void HandleTreeNotify(TZUKProgressNotifier* sender, TStream& stream, bool isReading);

 protected:
  TStream& OriginalStream() const { return *stream_; }
  /// Makes `stream` the one Stream() answers, null for the original.
  void SetActiveStream(TStream* stream) { active_ = stream ? stream : stream_; }

 private:
  std::unique_ptr<TStream> owned_;
  TStream* stream_;
  TStream* active_;
};

class TZUKReader : public TZUKStreamProcessor {
 public:
  explicit TZUKReader(TStream& stream);
  explicit TZUKReader(std::unique_ptr<TStream> stream);
  ~TZUKReader() override;
  std::string ClassName() const override { return "TZUKReader"; }

  TZUKFileProperties Properties;
  /// Not owned; set before Load to receive the styles, else they stay in RawStyle.
  TZUKStyleTarget* Style = nullptr;
  TZUKSectionCollection Sections;
  /// Not owned; set before Load to show the description, else it stays in RawDescription.
  TZUKDescriptionView* DescriptionView = nullptr;
  /// The unscrambled style sub-stream, when there is no Style.
  TMemoryStream RawStyle;
  /// The unscrambled description (RVF), when there is no DescriptionView.
  TMemoryStream RawDescription;
  /// The stream's size when the reader was made.
  const int64_t Size;
  TObjectList<TExamRef> ExamIndex;

  /// Reads the file from the stream's start; with `headerOnly`, only the header and the
  /// properties. Every failure of the file's content is an EZUKException: a file that is
  /// cut short or whose records do not fit raises EZUKIncorrectFileFormat. What was built
  /// before a failure stays in the reader. Not repeatable on the same stream.
  void Load(bool headerOnly = false);

 protected:
  /// Checks the magic and the version (0 to 11).
  void ReadHeader();
  virtual void LoadProperties();
  void LoadStyle();
  virtual void LoadDescription();
  void LoadSections();
  /// Builds ExamIndex.
  virtual void LoadExams();
  /// Checks that the trailer holds its own offset.
  void ReadTrailer();

 private:
  void LoadSteps(bool headerOnly);
  /// Raises EZUKIncorrectFileFormat when a value was read from beyond the end.
  void CheckNotPastEnd() const;

  TZUKSourceStream* source_ = nullptr;
};
