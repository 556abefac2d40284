// The exception hierarchy of the platform layer. Every failure in the program is an
// Exception (or a descendant) carrying a message text; one class per kind of failure.
#pragma once

#include <stdexcept>
#include <string>

/// Base of every exception the program raises. The message is UTF-8 user-interface text
/// or an 8-bit text, as the raiser gives it.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }

 private:
  std::string message_;
};

#define ZUK_DECLARE_EXCEPTION(Name, Parent) \
  class Name : public Parent {              \
   public:                                  \
    using Parent::Parent;                   \
  };

/// A stream failure. One the system reported for a file also carries the file's name and
/// the errno value, so that a caller can say it in the user's language.
class EStreamError : public Exception {
 public:
  explicit EStreamError(std::string message) : Exception(std::move(message)) {}
  EStreamError(std::string message, std::string fileName, int systemError)
      : Exception(std::move(message)), fileName_(std::move(fileName)), systemError_(systemError) {}
  const std::string& FileName() const { return fileName_; }
  /// The errno value; 0 for a failure the system did not report.
  int SystemError() const { return systemError_; }

 private:
  std::string fileName_;
  int systemError_ = 0;
};

ZUK_DECLARE_EXCEPTION(EReadError, EStreamError)
ZUK_DECLARE_EXCEPTION(EWriteError, EStreamError)
ZUK_DECLARE_EXCEPTION(EFilerError, EStreamError)
ZUK_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
ZUK_DECLARE_EXCEPTION(EFOpenError, EStreamError)
ZUK_DECLARE_EXCEPTION(EFCreateError, EStreamError)
ZUK_DECLARE_EXCEPTION(EConvertError, Exception)
ZUK_DECLARE_EXCEPTION(EListError, Exception)
ZUK_DECLARE_EXCEPTION(EStringListError, EListError)
ZUK_DECLARE_EXCEPTION(EResNotFound, Exception)
ZUK_DECLARE_EXCEPTION(EAbstractError, Exception)
ZUK_DECLARE_EXCEPTION(EInvalidOperation, Exception)
ZUK_DECLARE_EXCEPTION(EOutOfResources, Exception)
ZUK_DECLARE_EXCEPTION(EIniFileException, Exception)
ZUK_DECLARE_EXCEPTION(ERegistryException, Exception)

/// Raises the list-index error with the usual text ("List index out of bounds (5)").
[[noreturn]] void RaiseListIndexError(long long index);
/// Raises EListError "List capacity out of bounds (n)".
[[noreturn]] void RaiseListCapacityError(long long capacity);
