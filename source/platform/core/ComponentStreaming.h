// The binary component streaming format: typed values, property lists, collections and
// whole components with the "TPF0" signature. TWriter and TReader are the filers that
// persistent objects meet in DefineProperties; the free functions at the end are the entry
// points for the document and exam code.
//
// A property is its name as a short string (one length byte and the bytes) and one value:
// a type byte (TValueType) and its data, little-endian. A nested object's properties are
// written under a dotted path ("Border.Width"); a collection is vaCollection, then per item
// an optional order integer and a property list, then 0; a component is an optional filer
// flag byte (0xF0-0xF7), its class name, its name, its property list ended by 0 and its child
// components ended by 0.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Streams.h"

struct TPropInfo;

/// Value types of the binary property encoding.
enum TValueType : uint8_t {
  vaNull = 0,         // end of a list
  vaList = 1,         // begin of a list; values follow until vaNull
  vaInt8 = 2,         // 8-bit signed integer
  vaInt16 = 3,        // 16-bit signed integer
  vaInt32 = 4,        // 32-bit signed integer
  vaExtended = 5,     // 10-byte extended float
  vaString = 6,       // string of at most 255 bytes: 1-byte length, bytes
  vaIdent = 7,        // identifier: a short string
  vaFalse = 8,        // Boolean False
  vaTrue = 9,         // Boolean True
  vaBinary = 10,      // 4-byte length, bytes
  vaSet = 11,         // element names as short strings, ended by an empty one
  vaLString = 12,     // string: 4-byte length, bytes
  vaNil = 13,         // nil reference
  vaCollection = 14,  // collection items, each [order integer] vaList ... vaNull; then vaNull
  vaSingle = 15,      // 4-byte float
  vaCurrency = 16,    // 8-byte integer, ten-thousandths
  vaDate = 17,        // 8-byte double (days)
  vaWString = 18,     // UTF-16 string: 4-byte character count, characters
  vaInt64 = 19,       // 64-bit signed integer
  vaUTF8String = 20,  // UTF-8 string: 4-byte length, bytes
  vaDouble = 21,      // 8-byte double
};

/// Filer flags of a component prefix byte (0xF0 | flags).
enum TFilerFlag : uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

/// The four bytes that start a component stream.
inline constexpr char kFilerSignature[4] = {'T', 'P', 'F', '0'};

/// Deepest nesting of collections, components and lists the reader accepts, counted over
/// every reader running on the thread (component streams nest inside document streams).
inline constexpr int kMaxStreamingDepth = 100;

/// What TReader and TWriter share: the defined-property protocol of DefineProperties.
class TFiler {
 public:
  explicit TFiler(TStream& stream) : stream_(stream) {}
  virtual ~TFiler() = default;
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;

  /// A defined property written and read as one value through the writer and reader.
  /// `hasData` says whether it is written at all.
  virtual void DefineProperty(const std::string& name, const std::function<void(TReader&)>& readData,
                              const std::function<void(TWriter&)>& writeData, bool hasData) = 0;
  /// A defined property written as a binary value: `writeData` fills a stream whose bytes
  /// are written; `readData` gets a stream over the bytes read.
  virtual void DefineBinaryProperty(const std::string& name, const std::function<void(TStream&)>& readData,
                                    const std::function<void(TStream&)>& writeData, bool hasData) = 0;

  virtual bool IsWriting() const = 0;
  TStream& Stream() { return stream_; }
  /// The root component of the stream being read or written, or null.
  TComponent* Root() const { return root_; }
  void SetRoot(TComponent* root) { root_ = root; }

 protected:
  TStream& stream_;
  TComponent* root_ = nullptr;
};

/// Writes values, property lists, collections and components to a stream.
class TWriter : public TFiler {
 public:
  explicit TWriter(TStream& stream) : TFiler(stream) {}
  bool IsWriting() const override { return true; }

  void DefineProperty(const std::string& name, const std::function<void(TReader&)>& readData,
                      const std::function<void(TWriter&)>& writeData, bool hasData) override;
  void DefineBinaryProperty(const std::string& name, const std::function<void(TStream&)>& readData,
                            const std::function<void(TStream&)>& writeData, bool hasData) override;

  void WriteValue(TValueType value);
  /// The smallest of vaInt8, vaInt16, vaInt32 (vaInt64 beyond 32 bits).
  void WriteInteger(int64_t value);
  void WriteBoolean(bool value);
  /// vaString for at most 255 bytes, else vaLString.
  void WriteString(std::string_view value);
  void WriteWideString(std::u16string_view value);
  /// vaExtended.
  void WriteFloat(double value);
  /// vaIdent, or vaFalse / vaTrue / vaNil / vaNull for "False", "True", "nil", "Null".
  void WriteIdent(std::string_view ident);
  /// A set: the names of the bits that are on, ended by an empty name.
  void WriteSet(uint32_t bits, const std::vector<std::string>& names);
  /// A short string (no type byte); more than 255 bytes is an EWriteError.
  void WriteStr(std::string_view value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteSignature();
  /// Raw bytes.
  void Write(const void* buffer, int64_t count);

  /// vaCollection, each item's property list, vaNull (null writes an empty collection).
  void WriteCollection(TCollection* collection);
  /// The published properties that are stored and differ from their defaults, in order, then
  /// the defined properties (no list markers).
  void WriteProperties(TPersistent& instance);
  /// A component: prefix, class name, name, properties, vaNull, children, vaNull.
  void WriteComponent(TComponent& component);
  /// The signature and `root` as the root component.
  void WriteRootComponent(TComponent& root);
  /// The property list and the child list of `instance` (its WriteState default).
  void WriteData(TComponent* instance);

 private:
  void WriteProperty(TPersistent& instance, const TPropInfo& prop);
  void WritePropName(std::string_view name);
  std::string ComponentReference(TComponent* component) const;

  std::string propPath_;
};

/// Reads values, property lists, collections and components from a stream. Every length
/// is checked against the bytes left, and nesting is bounded; bad input raises EReadError.
class TReader : public TFiler {
 public:
  explicit TReader(TStream& stream);
  ~TReader() override;
  bool IsWriting() const override { return false; }

  void DefineProperty(const std::string& name, const std::function<void(TReader&)>& readData,
                      const std::function<void(TWriter&)>& writeData, bool hasData) override;
  void DefineBinaryProperty(const std::string& name, const std::function<void(TStream&)>& readData,
                            const std::function<void(TStream&)>& writeData, bool hasData) override;

  /// The type of the next value, without consuming it.
  TValueType NextValue();
  TValueType ReadValue();
  bool EndOfList() { return NextValue() == vaNull; }
  void ReadListBegin();
  void ReadListEnd();
  void CheckValue(TValueType expected);

  /// vaInt8/16/32 (and vaInt64 within 32 bits).
  int32_t ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  /// vaString, vaLString (bytes as they are).
  std::string ReadString();
  /// vaWString, or vaUTF8String decoded to UTF-16.
  std::u16string ReadWideString();
  /// vaExtended, vaDouble, vaSingle, vaCurrency, vaDate or an integer.
  double ReadFloat();
  /// vaIdent, or "False" / "True" / "nil" / "Null" for vaFalse / vaTrue / vaNil / vaNull.
  std::string ReadIdent();
  /// A set value (after its type byte): element names mapped to bits.
  uint32_t ReadSet(const std::vector<std::string>& names);
  /// A short string (no type byte).
  std::string ReadStr();
  /// Reads and checks the four signature bytes; EReadError "Invalid stream format" else.
  void ReadSignature();
  /// Raw bytes; EReadError when the stream has fewer.
  void Read(void* buffer, int64_t count);
  /// Skips one value of any known type.
  void SkipValue();

  /// The items of a collection, after its vaCollection byte: clears the collection and adds
  /// an item per property list, up to and including the final vaNull.
  void ReadCollection(TCollection& collection);
  /// Properties until vaNull, which is consumed.
  void ReadProperties(TPersistent& instance);
  /// One property: its (dotted) name and its value. Failures are raised as EReadError
  /// "Error reading X.Path: reason" (X the component name or the class name).
  void ReadProperty(TPersistent& instance);
  /// A component: prefix, class name, name, properties, children. With `component` null, the
  /// root's component of that name is used, or a new one of the registered class is made and
  /// owned by the root. Returns the component read.
  TComponent* ReadComponent(TComponent* component);
  /// The signature and the root component into `root`.
  void ReadRootComponent(TComponent& root);
  /// The signature and a new root component of the class named in the stream.
  std::unique_ptr<TComponent> ReadNewRootComponent();
  /// Properties and children of `instance` (its ReadState default).
  void ReadData(TComponent* instance);

  /// The component whose child list is being read, or null.
  TComponent* Parent() const { return parent_; }

 private:
  struct Fixup {
    TPersistent* instance;
    const TPropInfo* prop;
    std::string name;
  };

  void ReadPropValue(TPersistent& instance, const TPropInfo& prop);
  int64_t ReadOrdinalFor(const TPropInfo& prop);
  std::string ReadShortString();
  int64_t ReadLength();
  uint8_t ReadByte();
  void ReadRoot(TComponent& root);
  void BeginLoading(TComponent* component);
  void FinishLoading();
  void AbandonLoading();
  void ResolveFixups();
  void Unload(TComponent* component);

  TComponent* parent_ = nullptr;
  std::string propName_;  // the part of the property name a DefineProperties call is asked for
  bool propHandled_ = false;
  int rootDepth_ = 0;
  std::vector<TComponent*> loaded_;
  std::vector<Fixup> fixups_;
};

/// Writes `collection` as one collection value (first byte vaCollection, 14).
void WriteCollection(TStream& stream, TCollection& collection);
/// Reads one collection value into `collection`; its first byte must be vaCollection (14),
/// else EReadError.
void ReadCollection(TStream& stream, TCollection& collection);

/// Writes the "TPF0" signature and `component` with its children.
void WriteComponent(TStream& stream, TComponent& component);
/// Reads a component stream into the existing `component`.
void ReadComponent(TStream& stream, TComponent& component);
/// Reads a component stream into a new component of the class registered under the class
/// name found in it.
std::unique_ptr<TComponent> ReadComponent(TStream& stream);

/// Writes one property list: vaList, the properties of `instance`, vaNull.
void WritePropertyList(TStream& stream, TPersistent& instance);
/// Reads one property list: vaList, properties until vaNull, which is consumed; the stream
/// is left just after it, so lists can follow each other.
void ReadPropertyList(TStream& stream, TPersistent& instance);
