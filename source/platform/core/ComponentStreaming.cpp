#include "platform/core/ComponentStreaming.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/core/SysUtils.h"
#include "platform/core/TypInfo.h"

namespace {

// Nesting of collections, components and lists over every reader and writer of the thread:
// a component stream may hold documents that hold component streams again.
thread_local int tNestingDepth = 0;

template <typename E>
class NestingGuard {
 public:
  NestingGuard() {
    if (tNestingDepth >= kMaxStreamingDepth) throw E("Stream nesting is too deep");
    ++tNestingDepth;
  }
  ~NestingGuard() { --tNestingDepth; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;
};

[[noreturn]] void InvalidValue() {
  throw EReadError("Invalid property value");
}

// A value of the wrong type for what is being read; types beyond the encoding are named.
[[noreturn]] void UnexpectedValue(TValueType type) {
  if (type > vaDouble) throw EReadError(Format("Unknown value type %d", {static_cast<int>(type)}));
  InvalidValue();
}
[[noreturn]] void ReadPastEnd() {
  throw EReadError("Stream read error");
}

uint64_t LoadLE(const uint8_t* p, int n) {
  uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void StoreLE(uint8_t* p, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The 10-byte extended float: a 64-bit mantissa with an explicit integer bit, a 15-bit
// exponent biased by 16383 and a sign bit.
double ExtendedToDouble(const uint8_t* p) {
  const uint64_t mantissa = LoadLE(p, 8);
  const unsigned signExp = static_cast<unsigned>(LoadLE(p + 8, 2));
  const bool negative = (signExp & 0x8000) != 0;
  const int exponent = static_cast<int>(signExp & 0x7FFF);
  double value;
  if (exponent == 0x7FFF) {
    value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                 : std::numeric_limits<double>::quiet_NaN();
  } else if (mantissa == 0) {
    value = 0.0;
  } else {
    const int e = (exponent == 0 ? 1 : exponent) - 16383 - 63;
    value = std::ldexp(static_cast<double>(mantissa), e);
  }
  return negative ? -value : value;
}

void DoubleToExtended(double d, uint8_t* p) {
  uint64_t mantissa = 0;
  unsigned signExp = std::signbit(d) ? 0x8000 : 0;
  if (std::isnan(d)) {
    mantissa = 0xC000000000000000ull;
    signExp |= 0x7FFF;
  } else if (std::isinf(d)) {
    mantissa = 0x8000000000000000ull;
    signExp |= 0x7FFF;
  } else if (d != 0.0) {
    int e = 0;
    const double f = std::frexp(std::fabs(d), &e);  // f in [0.5, 1)
    mantissa = static_cast<uint64_t>(std::ldexp(f, 64));
    signExp |= static_cast<unsigned>(e - 1 + 16383);
  }
  StoreLE(p, mantissa, 8);
  StoreLE(p + 8, signExp, 2);
}

bool IsIntegerType(TValueType t) {
  return t == vaInt8 || t == vaInt16 || t == vaInt32;
}

// Decodes UTF-8 to UTF-16; false on a malformed sequence.
bool Utf8ToUtf16(std::string_view in, std::u16string& out) {
  out.clear();
  for (size_t i = 0; i < in.size();) {
    char32_t cp = 0;
    const size_t length = DecodeUTF8Char(in.substr(i), cp);
    if (length == 0) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += length;
  }
  return true;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t dot = path.find('.', start);
    parts.push_back(path.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return parts;
}

[[noreturn]] void PropertyDoesNotExist(const std::string& name) {
  throw EReadError(Format("Property %s does not exist", {name}));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TWriter

void TWriter::Write(const void* buffer, int64_t count) {
  stream_.WriteBuffer(buffer, count);
}

void TWriter::WriteValue(TValueType value) {
  const auto b = static_cast<uint8_t>(value);
  Write(&b, 1);
}

void TWriter::WriteInteger(int64_t value) {
  uint8_t buf[9];
  int size;
  if (value >= -128 && value <= 127) {
    buf[0] = vaInt8;
    size = 1;
  } else if (value >= -32768 && value <= 32767) {
    buf[0] = vaInt16;
    size = 2;
  } else if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()) {
    buf[0] = vaInt32;
    size = 4;
  } else {
    buf[0] = vaInt64;
    size = 8;
  }
  StoreLE(buf + 1, static_cast<uint64_t>(value), size);
  Write(buf, size + 1);
}

void TWriter::WriteBoolean(bool value) {
  WriteValue(value ? vaTrue : vaFalse);
}

void TWriter::WriteString(std::string_view value) {
  if (value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(value);
    return;
  }
  if (value.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw EWriteError("String too long to write");
  uint8_t head[5] = {vaLString};
  StoreLE(head + 1, value.size(), 4);
  Write(head, 5);
  Write(value.data(), static_cast<int64_t>(value.size()));
}

void TWriter::WriteWideString(std::u16string_view value) {
  if (value.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() / 2))
    throw EWriteError("String too long to write");
  uint8_t head[5] = {vaWString};
  StoreLE(head + 1, value.size(), 4);
  Write(head, 5);
  std::string bytes(value.size() * 2, '\0');
  for (size_t i = 0; i < value.size(); ++i)
    StoreLE(reinterpret_cast<uint8_t*>(bytes.data()) + 2 * i, value[i], 2);
  Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TWriter::WriteFloat(double value) {
  uint8_t buf[11] = {vaExtended};
  DoubleToExtended(value, buf + 1);
  Write(buf, sizeof buf);
}

void TWriter::WriteIdent(std::string_view ident) {
  if (SameText(ident, "False")) {
    WriteValue(vaFalse);
  } else if (SameText(ident, "True")) {
    WriteValue(vaTrue);
  } else if (SameText(ident, "nil")) {
    WriteValue(vaNil);
  } else if (SameText(ident, "Null")) {
    WriteValue(vaNull);
  } else {
    WriteValue(vaIdent);
    WriteStr(ident);
  }
}

void TWriter::WriteSet(uint32_t bits, const std::vector<std::string>& names) {
  if (names.size() < 32 && (bits >> names.size()) != 0)
    throw EWriteError("Set holds an element without a name");
  WriteValue(vaSet);
  for (size_t i = 0; i < names.size() && i < 32; ++i)
    if ((bits >> i) & 1u) WriteStr(names[i]);
  WriteStr("");
}

void TWriter::WriteStr(std::string_view value) {
  if (value.size() > 255) throw EWriteError(Format("Name too long to write: %s", {value.substr(0, 64)}));
  const auto length = static_cast<uint8_t>(value.size());
  Write(&length, 1);
  Write(value.data(), static_cast<int64_t>(value.size()));
}

void TWriter::WriteSignature() {
  Write(kFilerSignature, sizeof kFilerSignature);
}

void TWriter::WritePropName(std::string_view name) {
  WriteStr(propPath_ + std::string(name));
}

void TWriter::DefineProperty(const std::string& name, const std::function<void(TReader&)>& readData,
                             const std::function<void(TWriter&)>& writeData, bool hasData) {
  (void)readData;
  if (!hasData || !writeData) return;
  WritePropName(name);
  writeData(*this);
}

void TWriter::DefineBinaryProperty(const std::string& name, const std::function<void(TStream&)>& readData,
                                   const std::function<void(TStream&)>& writeData, bool hasData) {
  (void)readData;
  if (!hasData || !writeData) return;
  TMemoryStream data;
  writeData(data);
  if (data.Size() > std::numeric_limits<int32_t>::max())
    throw EWriteError("Binary property too large to write");
  WritePropName(name);
  uint8_t head[5] = {vaBinary};
  StoreLE(head + 1, static_cast<uint64_t>(data.Size()), 4);
  Write(head, 5);
  Write(data.Memory(), data.Size());
}

void TWriter::WriteCollection(TCollection* collection) {
  NestingGuard<EWriteError> guard;
  WriteValue(vaCollection);
  if (collection != nullptr) {
    const std::string savedPath = std::exchange(propPath_, std::string());
    for (int i = 0; i < collection->Count(); ++i) {
      WriteListBegin();
      WriteProperties(*collection->Items(i));
      WriteListEnd();
    }
    propPath_ = savedPath;
  }
  WriteListEnd();
}

void TWriter::WriteProperties(TPersistent& instance) {
  for (const TPropInfo& prop : instance.PublishedProperties())
    if (prop.Stored(instance)) WriteProperty(instance, prop);
  instance.DefineProperties(*this);
}

void TWriter::WriteProperty(TPersistent& instance, const TPropInfo& prop) {
  switch (prop.Kind) {
    case tkInteger: {
      const auto value = static_cast<int32_t>(prop.GetOrd(instance));
      if (prop.Default && value == static_cast<int32_t>(*prop.Default)) return;
      WritePropName(prop.Name);
      std::string ident;
      if (!prop.Idents.empty() && IntToIdent(value, ident, prop.Idents))
        WriteIdent(ident);
      else
        WriteInteger(value);
      return;
    }
    case tkInt64: {
      const int64_t value = prop.GetOrd(instance);
      if (value == prop.Default.value_or(0)) return;
      WritePropName(prop.Name);
      WriteInteger(value);
      return;
    }
    case tkEnumeration: {
      const int64_t value = prop.GetOrd(instance);
      if (prop.Default && value == *prop.Default) return;
      const std::string name = prop.EnumName(value);
      if (name.empty()) throw EWriteError(Format("Invalid value %d of property %s", {value, prop.Name}));
      WritePropName(prop.Name);
      WriteIdent(name);
      return;
    }
    case tkBoolean: {
      const bool value = prop.GetOrd(instance) != 0;
      if (prop.Default && value == (*prop.Default != 0)) return;
      WritePropName(prop.Name);
      WriteBoolean(value);
      return;
    }
    case tkSet: {
      const auto bits = static_cast<uint32_t>(prop.GetOrd(instance));
      if (prop.Default && bits == static_cast<uint32_t>(*prop.Default)) return;
      WritePropName(prop.Name);
      WriteSet(bits, prop.Names);
      return;
    }
    case tkFloat: {
      const double value = prop.GetFloat(instance);
      if (value == 0.0) return;
      WritePropName(prop.Name);
      WriteFloat(value);
      return;
    }
    case tkString: {
      const std::string value = prop.GetStr(instance);
      if (value.empty()) return;
      WritePropName(prop.Name);
      WriteString(value);
      return;
    }
    case tkWString: {
      const std::u16string value = prop.GetWStr(instance);
      if (value.empty()) return;
      WritePropName(prop.Name);
      WriteWideString(value);
      return;
    }
    case tkClass: {
      TPersistent* object = prop.GetObject(instance);
      if (object == nullptr) return;
      if (auto* collection = dynamic_cast<TCollection*>(object)) {
        WritePropName(prop.Name);
        WriteCollection(collection);
        return;
      }
      NestingGuard<EWriteError> guard;
      const std::string savedPath = propPath_;
      propPath_ += prop.Name + ".";
      WriteProperties(*object);
      propPath_ = savedPath;
      return;
    }
    case tkComponent: {
      TComponent* component = prop.GetComponent(instance);
      if (component == nullptr) return;
      const std::string reference = ComponentReference(component);
      if (reference.empty()) return;  // an unnamed component cannot be referred to
      WritePropName(prop.Name);
      WriteIdent(reference);
      return;
    }
  }
}

std::string TWriter::ComponentReference(TComponent* component) const {
  if (component->Name().empty()) return {};
  if (root_ != nullptr && component->Owner() == root_) return component->Name();
  if (component->Owner() != nullptr && !component->Owner()->Name().empty())
    return component->Owner()->Name() + "." + component->Name();
  return component->Name();
}

void TWriter::WriteComponent(TComponent& component) {
  NestingGuard<EWriteError> guard;
  component.SetComponentState(csWriting);
  const std::string savedPath = std::exchange(propPath_, std::string());
  try {
    WriteStr(component.ClassName());
    WriteStr(component.Name());
    component.WriteState(*this);
  } catch (...) {
    propPath_ = savedPath;
    component.ClearComponentState(csWriting);
    throw;
  }
  propPath_ = savedPath;
  component.ClearComponentState(csWriting);
}

void TWriter::WriteData(TComponent* instance) {
  WriteProperties(*instance);
  WriteListEnd();
  instance->GetChildren([this](TComponent* child) { WriteComponent(*child); }, root_);
  WriteListEnd();
}

void TWriter::WriteRootComponent(TComponent& root) {
  TComponent* savedRoot = std::exchange(root_, &root);
  try {
    WriteSignature();
    WriteComponent(root);
  } catch (...) {
    root_ = savedRoot;
    throw;
  }
  root_ = savedRoot;
}

// ---------------------------------------------------------------------------------------
// TReader: values

TReader::TReader(TStream& stream) : TFiler(stream) {}

TReader::~TReader() = default;

uint8_t TReader::ReadByte() {
  uint8_t b;
  if (stream_.Read(&b, 1) != 1) ReadPastEnd();
  return b;
}

void TReader::Read(void* buffer, int64_t count) {
  if (count < 0 || count > stream_.Remaining()) ReadPastEnd();
  stream_.ReadBuffer(buffer, count);
}

TValueType TReader::NextValue() {
  const uint8_t b = ReadByte();
  stream_.Seek(-1, soCurrent);
  return static_cast<TValueType>(b);
}

TValueType TReader::ReadValue() {
  return static_cast<TValueType>(ReadByte());
}

void TReader::CheckValue(TValueType expected) {
  const TValueType type = ReadValue();
  if (type != expected) UnexpectedValue(type);
}

void TReader::ReadListBegin() {
  CheckValue(vaList);
}
void TReader::ReadListEnd() {
  CheckValue(vaNull);
}

int64_t TReader::ReadLength() {
  uint8_t buf[4];
  Read(buf, 4);
  const auto length = static_cast<int32_t>(LoadLE(buf, 4));
  if (length < 0 || length > stream_.Remaining()) ReadPastEnd();
  return length;
}

std::string TReader::ReadShortString() {
  const uint8_t length = ReadByte();
  std::string s(length, '\0');
  Read(s.data(), length);
  return s;
}

std::string TReader::ReadStr() {
  return ReadShortString();
}

int64_t TReader::ReadInt64() {
  uint8_t buf[8];
  const TValueType type = ReadValue();
  switch (type) {
    case vaInt8:
      Read(buf, 1);
      return static_cast<int8_t>(buf[0]);
    case vaInt16:
      Read(buf, 2);
      return static_cast<int16_t>(LoadLE(buf, 2));
    case vaInt32:
      Read(buf, 4);
      return static_cast<int32_t>(LoadLE(buf, 4));
    case vaInt64:
      Read(buf, 8);
      return static_cast<int64_t>(LoadLE(buf, 8));
    default:
      UnexpectedValue(type);
  }
}

int32_t TReader::ReadInteger() {
  const int64_t value = ReadInt64();
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    InvalidValue();
  return static_cast<int32_t>(value);
}

bool TReader::ReadBoolean() {
  const TValueType type = ReadValue();
  switch (type) {
    case vaFalse:
      return false;
    case vaTrue:
      return true;
    default:
      UnexpectedValue(type);
  }
}

std::string TReader::ReadString() {
  const TValueType type = ReadValue();
  switch (type) {
    case vaString:
      return ReadShortString();
    case vaLString: {
      std::string s(static_cast<size_t>(ReadLength()), '\0');
      Read(s.data(), static_cast<int64_t>(s.size()));
      return s;
    }
    default:
      UnexpectedValue(type);
  }
}

std::u16string TReader::ReadWideString() {
  const TValueType type = ReadValue();
  switch (type) {
    case vaWString: {
      uint8_t buf[4];
      Read(buf, 4);
      const auto count = static_cast<int32_t>(LoadLE(buf, 4));
      if (count < 0 || 2 * static_cast<int64_t>(count) > stream_.Remaining()) ReadPastEnd();
      std::string bytes(2 * static_cast<size_t>(count), '\0');
      Read(bytes.data(), static_cast<int64_t>(bytes.size()));
      std::u16string s(static_cast<size_t>(count), u'\0');
      for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<char16_t>(LoadLE(reinterpret_cast<const uint8_t*>(bytes.data()) + 2 * i, 2));
      return s;
    }
    case vaUTF8String: {
      std::string bytes(static_cast<size_t>(ReadLength()), '\0');
      Read(bytes.data(), static_cast<int64_t>(bytes.size()));
      std::u16string s;
      if (!Utf8ToUtf16(bytes, s)) InvalidValue();
      return s;
    }
    default:
      UnexpectedValue(type);
  }
}

double TReader::ReadFloat() {
  uint8_t buf[10];
  const TValueType type = NextValue();
  switch (type) {
    case vaExtended:
      ReadValue();
      Read(buf, 10);
      return ExtendedToDouble(buf);
    case vaDouble:
    case vaDate: {
      ReadValue();
      Read(buf, 8);
      const uint64_t bits = LoadLE(buf, 8);
      double d;
      std::memcpy(&d, &bits, sizeof d);
      return d;
    }
    case vaSingle: {
      ReadValue();
      Read(buf, 4);
      const auto bits = static_cast<uint32_t>(LoadLE(buf, 4));
      float f;
      std::memcpy(&f, &bits, sizeof f);
      return f;
    }
    case vaCurrency:
      ReadValue();
      Read(buf, 8);
      return static_cast<double>(static_cast<int64_t>(LoadLE(buf, 8))) / 10000.0;
    default:
      return static_cast<double>(ReadInt64());
  }
}

std::string TReader::ReadIdent() {
  const TValueType type = ReadValue();
  switch (type) {
    case vaIdent:
      return ReadShortString();
    case vaFalse:
      return "False";
    case vaTrue:
      return "True";
    case vaNil:
      return "nil";
    case vaNull:
      return "Null";
    default:
      UnexpectedValue(type);
  }
}

uint32_t TReader::ReadSet(const std::vector<std::string>& names) {
  uint32_t bits = 0;
  while (true) {
    const std::string name = ReadShortString();
    if (name.empty()) return bits;
    size_t i = 0;
    while (i < names.size() && i < 32 && !SameText(names[i], name)) ++i;
    if (i == names.size() || i >= 32) InvalidValue();
    bits |= 1u << i;
  }
}

void TReader::ReadSignature() {
  char signature[4];
  Read(signature, 4);
  if (std::memcmp(signature, kFilerSignature, 4) != 0) throw EReadError("Invalid stream format");
}

void TReader::SkipValue() {
  const auto skip = [this](int64_t count) {
    if (count > stream_.Remaining()) ReadPastEnd();
    stream_.Seek(count, soCurrent);
  };
  const TValueType type = ReadValue();
  switch (type) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList: {
      NestingGuard<EReadError> guard;
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    }
    case vaInt8:
      return skip(1);
    case vaInt16:
      return skip(2);
    case vaInt32:
    case vaSingle:
      return skip(4);
    case vaInt64:
    case vaCurrency:
    case vaDate:
    case vaDouble:
      return skip(8);
    case vaExtended:
      return skip(10);
    case vaString:
    case vaIdent:
      return skip(ReadByte());
    case vaBinary:
    case vaLString:
    case vaUTF8String:
      return skip(ReadLength());
    case vaWString: {
      uint8_t buf[4];
      Read(buf, 4);
      const auto count = static_cast<int32_t>(LoadLE(buf, 4));
      if (count < 0) ReadPastEnd();
      return skip(2 * static_cast<int64_t>(count));
    }
    case vaSet:
      while (ReadByte() != 0) {
        stream_.Seek(-1, soCurrent);
        skip(ReadByte());
      }
      return;
    case vaCollection: {
      NestingGuard<EReadError> guard;
      while (!EndOfList()) {
        if (IsIntegerType(NextValue())) SkipValue();
        ReadListBegin();
        while (!EndOfList()) {
          skip(ReadByte());  // property name
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
    }
  }
  UnexpectedValue(type);
}

// ---------------------------------------------------------------------------------------
// TReader: properties

void TReader::DefineProperty(const std::string& name, const std::function<void(TReader&)>& readData,
                             const std::function<void(TWriter&)>& writeData, bool hasData) {
  (void)writeData;
  (void)hasData;
  if (propHandled_ || !readData || !SameText(name, propName_)) return;
  propHandled_ = true;
  readData(*this);
}

void TReader::DefineBinaryProperty(const std::string& name, const std::function<void(TStream&)>& readData,
                                   const std::function<void(TStream&)>& writeData, bool hasData) {
  (void)writeData;
  (void)hasData;
  if (propHandled_ || !readData || !SameText(name, propName_)) return;
  propHandled_ = true;
  CheckValue(vaBinary);
  const int64_t length = ReadLength();
  TMemoryStream data;
  data.SetSize(length);
  Read(data.Memory(), length);
  data.SetPosition(0);
  readData(data);
}

void TReader::ReadProperties(TPersistent& instance) {
  while (!EndOfList()) ReadProperty(instance);
  ReadListEnd();
}

void TReader::ReadProperty(TPersistent& instance) {
  std::string path;
  const std::string savedName = propName_;
  const bool savedHandled = propHandled_;
  try {
    path = ReadShortString();
    const std::vector<std::string> parts = SplitPath(path);
    TPersistent* target = &instance;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
      const TPropInfo* prop = target->PublishedProperties().Find(parts[i]);
      if (prop == nullptr || prop->Kind != tkClass) PropertyDoesNotExist(parts[i]);
      TPersistent* next = prop->GetObjectForRead(*target);
      if (next == nullptr) PropertyDoesNotExist(parts[i]);
      target = next;
    }
    const std::string& last = parts.back();
    if (const TPropInfo* prop = target->PublishedProperties().Find(last)) {
      ReadPropValue(*target, *prop);
    } else {
      propName_ = last;
      propHandled_ = false;
      target->DefineProperties(*this);
      const bool handled = propHandled_;
      propName_ = savedName;
      propHandled_ = savedHandled;
      if (!handled) PropertyDoesNotExist(last);
    }
  } catch (const Exception& e) {
    propName_ = savedName;
    propHandled_ = savedHandled;
    const auto* component = dynamic_cast<const TComponent*>(&instance);
    std::string name = component != nullptr ? component->Name() : std::string();
    if (name.empty()) name = instance.ClassName();
    throw EReadError(Format("Error reading %s.%s: %s", {name, path, e.Message()}));
  }
}

int64_t TReader::ReadOrdinalFor(const TPropInfo& prop) {
  switch (prop.Kind) {
    case tkInteger: {
      if (NextValue() != vaIdent) return ReadInteger();
      const std::string ident = ReadIdent();
      int32_t value = 0;
      if (prop.Idents.empty() || !IdentToInt(ident, value, prop.Idents)) InvalidValue();
      return value;
    }
    case tkInt64:
      return ReadInt64();
    case tkEnumeration: {
      const int64_t value = prop.EnumValue(ReadIdent());
      if (value < 0) InvalidValue();
      return value;
    }
    case tkBoolean: {
      const std::string ident = ReadIdent();
      if (SameText(ident, "True")) return 1;
      if (SameText(ident, "False")) return 0;
      InvalidValue();
    }
    case tkSet:
      CheckValue(vaSet);
      return ReadSet(prop.Names);
    default:
      InvalidValue();
  }
}

void TReader::ReadPropValue(TPersistent& instance, const TPropInfo& prop) {
  switch (prop.Kind) {
    case tkInteger:
    case tkInt64:
    case tkEnumeration:
    case tkBoolean:
    case tkSet:
      prop.SetOrd(instance, ReadOrdinalFor(prop));
      return;
    case tkFloat:
      prop.SetFloat(instance, ReadFloat());
      return;
    case tkString:
      prop.SetStr(instance, ReadString());
      return;
    case tkWString:
      prop.SetWStr(instance, ReadWideString());
      return;
    case tkClass: {
      const TValueType type = ReadValue();
      if (type != vaCollection) UnexpectedValue(type);
      auto* collection = dynamic_cast<TCollection*>(prop.GetObjectForRead(instance));
      if (collection == nullptr) InvalidValue();
      ReadCollection(*collection);
      return;
    }
    case tkComponent: {
      if (NextValue() == vaNil) {
        ReadValue();
        prop.SetComponent(instance, nullptr);
        return;
      }
      if (NextValue() != vaIdent) UnexpectedValue(NextValue());
      fixups_.push_back({&instance, &prop, ReadIdent()});
      return;
    }
  }
}

void TReader::ReadCollection(TCollection& collection) {
  NestingGuard<EReadError> guard;
  collection.BeginUpdate();
  try {
    collection.Clear();
    while (!EndOfList()) {
      if (IsIntegerType(NextValue())) ReadInteger();  // the item's order; items are read in order anyway
      TCollectionItem* item = collection.Add();
      ReadListBegin();
      ReadProperties(*item);
    }
    ReadListEnd();
  } catch (...) {
    collection.EndUpdate();
    throw;
  }
  collection.EndUpdate();
}

// ---------------------------------------------------------------------------------------
// TReader: components

void TReader::BeginLoading(TComponent* component) {
  // A component read several times (a cell writer reused for every cell) is told Loaded
  // once for every time it was read.
  component->SetComponentState(csLoading | csReading);
  loaded_.push_back(component);
}

void TReader::FinishLoading() {
  const std::vector<TComponent*> loaded = std::exchange(loaded_, {});
  for (TComponent* c : loaded) c->ClearComponentState(csReading);
  for (TComponent* c : loaded) c->Loaded();
}

void TReader::AbandonLoading() {
  for (TComponent* c : loaded_) c->ClearComponentState(csLoading | csReading);
  loaded_.clear();
}

void TReader::Unload(TComponent* component) {
  // Forget `component` and everything it owns before it is freed.
  std::erase_if(loaded_, [component](TComponent* c) {
    for (TComponent* o = c; o != nullptr; o = o->Owner())
      if (o == component) return true;
    return false;
  });
}

void TReader::ResolveFixups() {
  const std::vector<Fixup> fixups = std::exchange(fixups_, {});
  if (root_ == nullptr) return;  // no names to look up: references stay unset
  for (const Fixup& f : fixups) {
    const std::vector<std::string> parts = SplitPath(f.name);
    TComponent* found = nullptr;
    if (parts.size() == 1) {
      found = root_->FindComponent(parts[0]);
      if (found == nullptr && SameText(root_->Name(), parts[0])) found = root_;
    } else if (parts.size() == 2) {
      TComponent* owner = SameText(root_->Name(), parts[0]) ? root_ : root_->FindComponent(parts[0]);
      if (owner != nullptr) found = owner->FindComponent(parts[1]);
    }
    if (found != nullptr) f.prop->SetComponent(*f.instance, found);
  }
}

TComponent* TReader::ReadComponent(TComponent* component) {
  NestingGuard<EReadError> guard;
  if ((NextValue() & 0xF8) == 0xF0) {
    const uint8_t flags = ReadByte() & 0x0F;
    if ((flags & ffChildPos) != 0) ReadInteger();  // the child's position; children come in order
  }
  const std::string className = ReadShortString();
  const std::string name = ReadShortString();
  TComponent* result = component;
  bool created = false;
  if (result == nullptr) {
    if (root_ == nullptr) throw EReadError("Cannot read a child component without a root");
    result = root_->FindComponent(name);
    if (result == nullptr) {
      std::unique_ptr<TComponent> fresh = CreateComponentByClassName(className);
      fresh->SetName(name);
      result = fresh.get();
      root_->InsertComponent(std::move(fresh));
      created = true;
    }
  }
  const bool topLevel = rootDepth_ == 0;
  try {
    BeginLoading(result);
    if (parent_ != nullptr) result->SetParentComponent(parent_);
    result->ReadState(*this);
  } catch (...) {
    if (created) {
      Unload(result);
      delete result;  // leaves the root's component list
    }
    if (topLevel) {
      fixups_.clear();
      AbandonLoading();
    }
    throw;
  }
  if (topLevel) {
    ResolveFixups();
    FinishLoading();
  }
  return result;
}

void TReader::ReadData(TComponent* instance) {
  ReadProperties(*instance);
  TComponent* savedParent = std::exchange(parent_, instance);
  try {
    while (!EndOfList()) ReadComponent(nullptr);
    ReadListEnd();
  } catch (...) {
    parent_ = savedParent;
    throw;
  }
  parent_ = savedParent;
}

void TReader::ReadRoot(TComponent& root) {
  const std::string name = ReadShortString();
  TComponent* savedRoot = std::exchange(root_, &root);
  ++rootDepth_;
  try {
    if (!name.empty()) root.SetName(name);
    BeginLoading(&root);
    root.ReadState(*this);
  } catch (...) {
    --rootDepth_;
    root_ = savedRoot;
    fixups_.clear();
    AbandonLoading();
    throw;
  }
  --rootDepth_;
  ResolveFixups();
  root_ = savedRoot;
  FinishLoading();
}

void TReader::ReadRootComponent(TComponent& root) {
  NestingGuard<EReadError> guard;
  ReadSignature();
  if ((NextValue() & 0xF8) == 0xF0) {
    const uint8_t flags = ReadByte() & 0x0F;
    if ((flags & ffChildPos) != 0) ReadInteger();
  }
  ReadShortString();  // the class name: the root is given
  ReadRoot(root);
}

std::unique_ptr<TComponent> TReader::ReadNewRootComponent() {
  NestingGuard<EReadError> guard;
  ReadSignature();
  if ((NextValue() & 0xF8) == 0xF0) {
    const uint8_t flags = ReadByte() & 0x0F;
    if ((flags & ffChildPos) != 0) ReadInteger();
  }
  std::unique_ptr<TComponent> root = CreateComponentByClassName(ReadShortString());
  ReadRoot(*root);
  return root;
}

// ---------------------------------------------------------------------------------------
// Entry points

void WriteCollection(TStream& stream, TCollection& collection) {
  TWriter writer(stream);
  writer.WriteCollection(&collection);
}

void ReadCollection(TStream& stream, TCollection& collection) {
  TReader reader(stream);
  if (reader.ReadValue() != vaCollection) throw EReadError("Invalid stream format");
  reader.ReadCollection(collection);
}

void WriteComponent(TStream& stream, TComponent& component) {
  TWriter writer(stream);
  writer.WriteRootComponent(component);
}

void ReadComponent(TStream& stream, TComponent& component) {
  TReader reader(stream);
  reader.ReadRootComponent(component);
}

std::unique_ptr<TComponent> ReadComponent(TStream& stream) {
  TReader reader(stream);
  return reader.ReadNewRootComponent();
}

void WritePropertyList(TStream& stream, TPersistent& instance) {
  TWriter writer(stream);
  writer.WriteListBegin();
  writer.WriteProperties(instance);
  writer.WriteListEnd();
}

void ReadPropertyList(TStream& stream, TPersistent& instance) {
  TReader reader(stream);
  reader.ReadListBegin();
  reader.ReadProperties(instance);
}
