// One fuzzing step over the exam reader, shared by the libFuzzer target and the unit test
// that runs it over mutated files. The bytes are loaded the ways the program loads a file:
// whole with the exam index, header only, and into the holder tree. A file may be refused
// only with an EZUKException; anything else escapes and counts as a fault. A tree that
// loads must save back to bytes that load and save to the same bytes again. The step answers
// whether the file loaded every way; the fuzzer takes refusals as normal, the tests of valid
// files do not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "exam/ZUKException.h"
#include "exam/ZUKHolders.h"
#include "exam/ZUKReader.h"
#include "platform/core/TreeNodes.h"

/// A reader that loads the exams into a holder tree, as the converter does.
class TExamTreeReader : public TZUKReader {
 public:
  using TZUKReader::TZUKReader;

  TTreeView TreeView;
  TZUKExamCollection ExamCollection{&TreeView};

 protected:
  void LoadExams() override {
    ExamCollection.InitRootNode("");
    ExamCollection.Load(Stream());
  }
};

/// Loads the exam index (or the header only); false when the file is refused.
inline bool LoadIndexOnce(const uint8_t* data, size_t size, bool headerOnly) {
  TBytesStream stream(data, static_cast<int64_t>(size));
  TZUKReader reader(stream);
  try {
    reader.Load(headerOnly);
  } catch (const EZUKException&) {
    return false;
  }
  return true;
}

inline bool FuzzExamReaderOnce(const uint8_t* data, size_t size) {
  const bool indexLoads = LoadIndexOnce(data, size, false);
  const bool headerLoads = LoadIndexOnce(data, size, true);

  TBytesStream stream(data, static_cast<int64_t>(size));
  TExamTreeReader reader(stream);
  int64_t reports = 0;
  reader.OnProgress = [&reports](int64_t, int64_t) { ++reports; };
  reader.ExamCollection.OnNotify = [&reader](TZUKProgressNotifier* sender, TStream& s, bool isReading) {
    reader.HandleTreeNotify(sender, s, isReading);
  };
  try {
    reader.Load();
  } catch (const EZUKException&) {
    return false;
  }

  TMemoryStream saved;
  reader.ExamCollection.Save(saved);
  TZUKExamCollection again;
  again.InitRootNode("");
  saved.SetPosition(0);
  again.Load(saved);
  TMemoryStream savedAgain;
  again.Save(savedAgain);
  if (saved.DataString() != savedAgain.DataString()) throw std::logic_error("re-saved exams differ");
  return indexLoads && headerLoads;
}
