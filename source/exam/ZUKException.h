// The exceptions of the exam documents. Each one carries the localised text of its key as
// its message; a key that the language table lacks gives the key itself.
#pragma once

#include <string>

#include "platform/core/Exceptions.h"

/// The text of `key` in the current language (the key itself when there is none). Every
/// user-visible text of the exam documents goes through this one function.
std::string ZUKLocalizedText(const std::string& key);

class EZUKException : public Exception {
 public:
  using Exception::Exception;
};

class EZUKFileException : public EZUKException {
 public:
  using EZUKException::EZUKException;
};

#define ZUK_DECLARE_KEYED_EXCEPTION(Name, Key)            \
  class Name : public EZUKFileException {                 \
   public:                                                \
    static constexpr const char* kKey = Key;              \
    Name() : EZUKFileException(ZUKLocalizedText(kKey)) {} \
  };

/// Wrong magic, a trailer that does not match, or any record that lies about its size.
ZUK_DECLARE_KEYED_EXCEPTION(EZUKIncorrectFileFormat, "INVALID_FILE_FORMAT")
/// A file version of 12 or more.
ZUK_DECLARE_KEYED_EXCEPTION(EZUKFileFormatNextVersion, "FILE_FORMAT_NEXT_VERSION")
ZUK_DECLARE_KEYED_EXCEPTION(EZUKUnknownExamType, "UNKNOWN_EXAM_TYPE")
ZUK_DECLARE_KEYED_EXCEPTION(EZUKUnknownQuestionType, "UNKNOWN_QUESTION_TYPE")
ZUK_DECLARE_KEYED_EXCEPTION(EZUKUnknownQuestionSetType, "UNKNOWN_QUESTION_SET_TYPE")
/// A case-study based exam file handed to the converter, which takes standard files only.
ZUK_DECLARE_KEYED_EXCEPTION(EZUKWrongExamFileType, "WRONG_EXAM_FILE_TYPE_EXCEPTION_MESSAGE")

#undef ZUK_DECLARE_KEYED_EXCEPTION

/// A conversion that cannot produce a whole mobile file: a rich-text part that cannot be read
/// or exported, or a target that is the source itself. The message says which.
class EZUKConversionError : public EZUKException {
 public:
  using EZUKException::EZUKException;
};
