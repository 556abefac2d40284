#include "exam/ZUKReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "exam/ZUKException.h"
#include "exam/ZUKHolders.h"
#include "exam/ZUKRecordLimits.h"
#include "exam/ZUKStream.h"
#include "platform/core/Exceptions.h"

/// The view of the file that a load reads through. It reads ahead in blocks, so that the
/// many small values of a record cost no system call each, answers the size it had when the
/// load began, and remembers whether any read came up short: the value helpers give 0 at the
/// end of the data, and a file that needed them to is cut short whatever follows.
class TZUKSourceStream : public TStream {
 public:
  explicit TZUKSourceStream(TStream& base)
      : base_(base), buffer_(kBlockSize), size_(base.Size()), position_(base.Position()) {}

  int64_t Read(void* buffer, int64_t count) override {
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count && position_ < size_) {
      const int64_t offset = position_ - blockStart_;
      if (offset >= 0 && offset < blockLength_) {
        const int64_t n = std::min(count - done, blockLength_ - offset);
        std::memcpy(out + done, buffer_.data() + offset, static_cast<size_t>(n));
        position_ += n;
        done += n;
        continue;
      }
      MoveBase();
      if (count - done >= kBlockSize) {
        // Large bodies go straight to the caller.
        const int64_t n = base_.Read(out + done, count - done);
        if (n <= 0) break;
        position_ += n;
        basePosition_ = position_;
        done += n;
        continue;
      }
      if (FillBlock() == 0) break;
    }
    if (done < count) pastEnd_ = true;
    return done;
  }

  /// Lends up to a block of bytes from the buffer, reading them into it when they are not
  /// all there: a sub-stream is then unscrambled on its way from the buffer, in one pass.
  const uint8_t* PeekMemory(int64_t count) override {
    if (count < 0 || count > kBlockSize || count > size_ - position_) return nullptr;
    if (position_ < blockStart_ || position_ + count > blockStart_ + blockLength_) {
      MoveBase();
      if (FillBlock() < count) return nullptr;
    }
    return buffer_.data() + (position_ - blockStart_);
  }

  int64_t Write(const void*, int64_t) override { throw EStreamError("Can't write to a stream being read"); }

  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    int64_t base = 0;
    if (origin == soCurrent) base = position_;
    if (origin == soEnd) base = size_;
    position_ = std::max<int64_t>(base + offset, 0);
    return position_;
  }

  int64_t Size() override { return size_; }

  bool PastEnd() const { return pastEnd_; }
  /// Puts the underlying stream where this view stands.
  void SyncBase() {
    base_.SetPosition(position_);
    basePosition_ = position_;
  }

 private:
  static constexpr int64_t kBlockSize = 64 * 1024;

  /// Moves the underlying stream to the position, unless it is there already: on a file each
  /// move is a system call, and reading goes on where the last read ended.
  void MoveBase() {
    if (basePosition_ != position_) SyncBase();
  }

  /// Reads the block that starts at the position, where the underlying stream stands;
  /// answers its length.
  int64_t FillBlock() {
    blockStart_ = position_;
    blockLength_ = std::max<int64_t>(base_.Read(buffer_.data(), kBlockSize), 0);
    basePosition_ = position_ + blockLength_;
    return blockLength_;
  }

  TStream& base_;
  std::vector<uint8_t> buffer_;
  int64_t size_;
  int64_t position_;
  int64_t blockStart_ = 0;
  int64_t blockLength_ = 0;
  int64_t basePosition_ = -1;  // where the underlying stream stands; -1: not known
  bool pastEnd_ = false;
};

// ---------------------------------------------------------------------------------------
// Styles

void TrimStyles(TZUKStyleTarget& style) {
  while (style.TextStyleCount() > RVMainStyleCount) style.DeleteTextStyle(style.TextStyleCount() - 1);
  while (style.ParaStyleCount() > RVMainStyleCount) style.DeleteParaStyle(style.ParaStyleCount() - 1);
}

void LoadStyleFromStream(TZUKStyleTarget& style, TStream& stream) {
  stream.SetPosition(0);
  TrimStyles(style);
  const int32_t textStyles = ReadRecordCount(stream, kMinStylePropertyListSize);
  for (int32_t i = 0; i < textStyles; ++i) style.AddTextStyle(stream);
  const int32_t paraStyles = ReadRecordCount(stream, kMinStylePropertyListSize);
  for (int32_t i = 0; i < paraStyles; ++i) style.AddParaStyle(stream);
}

// ---------------------------------------------------------------------------------------
// File properties and sections

void TZUKFileProperties::Load(TStream& stream) {
  FileType = ReadByte(stream);
  ReadScrambledString(stream, Text1);
  ReadScrambledString(stream, Text2);
  Number1 = ReadInt32(stream);
  Number2 = ReadInt32(stream);
  ReadScrambledString(stream, Text3);
  Value1 = ReadDouble(stream);
  Value2 = ReadDouble(stream);
  Value3 = ReadDouble(stream);
  Value4 = ReadDouble(stream);
  DescriptionFlag = ReadBool(stream);
  HasExtraText = ReadBool(stream);
  if (HasExtraText) {
    // The text is a scrambled string inside a scrambled sub-stream.
    TMemoryStream inner;
    ReadScrambledStream(stream, inner);
    inner.SetPosition(0);
    ReadScrambledString(inner, ExtraText);
  }
  ExtraData.Clear();
  ReadStream(stream, ExtraData);
}

void TZUKSection::Load(TStream& stream) {
  Id = ReadInt32(stream);
  ReadScrambledString(stream, Name);
}

void TZUKSection::Save(TStream& stream) const {
  WriteInt32(Id, stream);
  WriteScrambledString(Name, stream);
}

TZUKSection* TZUKSectionCollection::Add(int32_t id, const std::string& name) {
  auto section = std::make_unique<TZUKSection>();
  section->Id = id;
  section->Name = name;
  section->Index = Count();
  TZUKSection* added = section.get();
  sections_.Add(std::move(section));
  return added;
}

void TZUKSectionCollection::Load(TStream& stream) {
  sections_.Clear();
  const int32_t n = ReadRecordCount(stream, kMinSectionRecordSize);
  for (int32_t i = 0; i < n; ++i) {
    auto section = std::make_unique<TZUKSection>();
    section->Load(stream);
    section->Index = i;
    sections_.Add(std::move(section));
  }
}

void TZUKSectionCollection::Save(TStream& stream) const {
  WriteInt32(Count(), stream);
  for (const auto& section : sections_) section->Save(stream);
}

// ---------------------------------------------------------------------------------------
// TZUKStreamProcessor

TZUKStreamProcessor::TZUKStreamProcessor(TStream& stream) : stream_(&stream), active_(&stream) {
  stream_->SetPosition(0);
}

TZUKStreamProcessor::TZUKStreamProcessor(std::unique_ptr<TStream> stream)
    : owned_(std::move(stream)), stream_(owned_.get()), active_(owned_.get()) {
  if (!stream_) throw EInvalidOperation("An exam stream processor needs a stream");
  stream_->SetPosition(0);
}

void TZUKStreamProcessor::DoProgress() {
  if (OnProgress) OnProgress(Stream().Size(), Stream().Position());
}

void TZUKStreamProcessor::HandleTreeNotify(TZUKProgressNotifier* sender, TStream& stream, bool isReading) {
  if (!OnProgress) return;
  if (isReading) {
    OnProgress(stream.Size(), stream.Position());
    return;
  }
  ++WriteCount;
  const auto* collection = dynamic_cast<const TZUKExamCollection*>(sender);
  OnProgress(collection ? collection->TotalQuestions : 0, WriteCount);
}

// ---------------------------------------------------------------------------------------
// TZUKReader

TZUKReader::TZUKReader(TStream& stream) : TZUKStreamProcessor(stream), Size(stream.Size()) {}

TZUKReader::TZUKReader(std::unique_ptr<TStream> stream)
    : TZUKStreamProcessor(std::move(stream)), Size(OriginalStream().Size()) {}

TZUKReader::~TZUKReader() = default;

void TZUKReader::Load(bool headerOnly) {
  TZUKSourceStream source(OriginalStream());
  source_ = &source;
  SetActiveStream(&source);
  struct Restore {
    TZUKReader& reader;
    TZUKSourceStream& source;
    ~Restore() {
      source.SyncBase();
      reader.SetActiveStream(nullptr);
      reader.source_ = nullptr;
    }
  } restore{*this, source};
  try {
    LoadSteps(headerOnly);
  } catch (const EReadError&) {
    // A string or sub-stream body that runs past the end: the file lies about a length.
    throw EZUKIncorrectFileFormat();
  } catch (const EFilerError&) {
    // A style property list that cannot be read.
    throw EZUKIncorrectFileFormat();
  }
}

void TZUKReader::LoadSteps(bool headerOnly) {
  ReadHeader();
  LoadProperties();
  CheckNotPastEnd();
  if (headerOnly) return;
  DoProgress();
  LoadStyle();
  DoProgress();
  LoadDescription();
  DoProgress();
  LoadSections();
  DoProgress();
  LoadExams();
  ReadTrailer();
  DoProgress();
}

void TZUKReader::ReadHeader() {
  TStream& stream = Stream();
  const uint8_t magic1 = ReadByte(stream);
  const uint8_t magic2 = ReadByte(stream);
  if (magic1 != 0x85 || magic2 != 0xA8) throw EZUKIncorrectFileFormat();
  const int32_t major = ReadByte(stream);
  const int32_t minor = ReadByte(stream);
  CheckNotPastEnd();
  if (major * 10 + minor >= 12) throw EZUKFileFormatNextVersion();
}

void TZUKReader::LoadProperties() {
  Properties.Load(Stream());
}

void TZUKReader::LoadStyle() {
  if (!Style) {
    ReadScrambledStream(Stream(), RawStyle);
    return;
  }
  TMemoryStream styles;
  ReadScrambledStream(Stream(), styles);
  LoadStyleFromStream(*Style, styles);
}

void TZUKReader::LoadDescription() {
  if (!DescriptionView) {
    ReadScrambledStream(Stream(), RawDescription);
    return;
  }
  TMemoryStream description;
  ReadScrambledStream(Stream(), description);
  DescriptionView->Clear();
  description.SetPosition(0);
  DescriptionView->LoadRVFFromStream(description);
  DescriptionView->Format();
}

void TZUKReader::LoadSections() {
  Sections.Load(Stream());
}

void TZUKReader::LoadExams() {
  TStream& stream = Stream();
  const int32_t n = ReadRecordCount(stream, kMinExamRecordSize);
  for (int32_t i = 0; i < n; ++i) {
    const int64_t position = stream.Position();
    std::unique_ptr<TExamRef> exam = ExamRefClassByType(ReadByte(stream))();
    exam->Position = position;
    exam->Load(stream);
    ExamIndex.Add(std::move(exam));
  }
}

void TZUKReader::ReadTrailer() {
  TStream& stream = Stream();
  CheckNotPastEnd();
  const int32_t value = ReadInt32(stream);
  CheckNotPastEnd();
  const auto offset = static_cast<int32_t>(static_cast<uint32_t>(stream.Position() - 4));
  if (value != offset) throw EZUKIncorrectFileFormat();
}

void TZUKReader::CheckNotPastEnd() const {
  if (source_ && source_->PastEnd()) throw EZUKIncorrectFileFormat();
}
