// The converter: reads a standard .zuk exam file into the holder tree and writes it as a
// .zukm mobile exam file, in which every rich-text part becomes a block of cleaned-up body
// HTML together with the JPEG files it names.
//
// .zukm: bytes 9D 41 01; scr. Text1, scr. Text2, int32 Number1; boolean description flag and,
// when set, the block "desc"; the sections; int32 count of the exams that hold questions and,
// for each, int32 question count and the question records; a trailer int32 equal to its own
// offset. A block is one scr. sub-stream holding a plain sub-stream of HTML, an int32 file
// count and (plain file name, plain sub-stream of the file's bytes) per file, sorted by name.
#pragma once

#include <cstdint>
#include <string>

#include "exam/ZUKHolders.h"
#include "exam/ZUKReader.h"
#include "richtext/core/RVHTMLTypes.h"

class TStream;
class TTreeView;
class TZUKExportView;

class TZUKConverter : public TZUKReader {
 public:
  /// Opens `fileName` for reading; EFOpenError when it cannot, or when it is not a regular
  /// file. `treeView` carries the exam tree; with none the collection keeps a tree of its own.
  TZUKConverter(const std::string& fileName, TTreeView* treeView);
  ~TZUKConverter() override;
  std::string ClassName() const override { return "TZUKConverter"; }

  /// The source file.
  const std::string FileName;
  TZUKExamCollection ExamCollection;

  /// Writes the loaded exam as a mobile file; the questions of a case-study exam's sets are
  /// written as that exam's questions, in tree order. `viewer` exports the rich-text parts:
  /// its style sheet holds the exam's styles (Style was set to it before Load), and every part
  /// is read with the sheet as it stood when the call began. The file is written beside
  /// `fileName` under a temporary name and takes its place only when it is whole: on any
  /// failure an existing `fileName` is left as it was. A `fileName` that exists and is neither
  /// a regular file nor a folder (a device, a FIFO) is written into where it is, and stays what
  /// it is. When `fileName` is a symbolic link,
  /// the file its links end at is written that way and the link stays. A target that is the source file
  /// raises EZUKConversionError, as does a part that cannot be read or exported (the message
  /// names the exam and the question); a choice count that the question's parts cannot hold
  /// raises EZUKIncorrectFileFormat.
  void SaveMobile(const std::string& fileName, TZUKExportView& viewer);

  /// Fills `block` with one block made from the RVF document in `source`: the cleaned HTML,
  /// then its picture files, named from `name` + "_img". False, with `block` undefined, when
  /// the document cannot be read whole or written as HTML; EWriteError, naming the file and
  /// the system's reason, when one of its picture files cannot be written.
  bool WriteHTMLBlock(TStream& source, TStream& block, const std::string& name, TZUKExportView& viewer);

 protected:
  /// Also refuses case-study based exam files (EZUKWrongExamFileType).
  void LoadProperties() override;
  /// Loads the exams into ExamCollection.
  void LoadExams() override;

 private:
  class TRun;
  /// The state of the SaveMobile under way, null between calls.
  TRun* run_ = nullptr;
  /// The source file's identity, to refuse writing over it.
  uint64_t sourceDevice_ = 0;
  uint64_t sourceInode_ = 0;
};

/// Writes the name of a picture file the export wrote (without its folder) as a plain string
/// and its bytes as a plain sub-stream.
void WriteFileEntry(const TRVHTMLImageFile& file, TStream& block);
