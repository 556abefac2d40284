// Published-property metadata: each persistent class lists its published properties in
// streaming order (its parent's first), with their kind, accessors, default and stored
// rule. The component streaming (ComponentStreaming.h) reads and writes objects through it.
//
//   const TPropertyList& TRVBorder::ClassProperties() {
//     static const TPropertyList list = TPropertyBuilder<TRVBorder>(TPersistent::ClassProperties())
//         .Integer("Width", &TRVBorder::Width, &TRVBorder::SetWidth).Default(1)
//         .Color("Color", &TRVBorder::Color, &TRVBorder::SetColor).Default(clWindowText)
//         .Enum("Style", &TRVBorder::Style, &TRVBorder::SetStyle, {"rvbNone", "rvbSingle"})
//         .Object("VisibleBorders", &TRVBorder::VisibleBorders)
//         .Build();
//     return list;
//   }
//
// A getter is a const or non-const member function, a data member pointer or a callable
// taking the object; a setter a member function, a data member pointer or a callable taking
// the object and the value.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Identifiers.h"

enum TTypeKind {
  tkInteger,      // 32-bit integer, optionally with an identifier table (colours, charsets)
  tkInt64,        // 64-bit integer
  tkEnumeration,  // ordinal with one name per value, from 0
  tkSet,          // set of an enumeration: bit n is element n, at most 32 elements
  tkBoolean,      // False / True
  tkFloat,        // double
  tkString,       // 8-bit string
  tkWString,      // UTF-16 string
  tkClass,        // a nested persistent object, written inline (a TCollection as a collection)
  tkComponent,    // a reference to a component, written as its name
};

/// One published property.
struct TPropInfo {
  std::string Name;
  TTypeKind Kind = tkInteger;
  /// Value names of an enumeration, element names of a set.
  std::vector<std::string> Names;
  /// Identifier table of an integer property (empty: plain integer).
  TIdentMap Idents;
  /// Default of an ordinal property; none means the property is always written. Int64 and
  /// float properties without a default are written when not 0.
  std::optional<int64_t> Default;
  /// The stored rule; null means stored.
  std::function<bool(TPersistent&)> IsStored;

  std::function<int64_t(TPersistent&)> GetOrd;  // integer, int64, enumeration, set, boolean
  std::function<void(TPersistent&, int64_t)> SetOrd;
  std::function<double(TPersistent&)> GetFloat;
  std::function<void(TPersistent&, double)> SetFloat;
  std::function<std::string(TPersistent&)> GetStr;
  std::function<void(TPersistent&, const std::string&)> SetStr;
  std::function<std::u16string(TPersistent&)> GetWStr;
  std::function<void(TPersistent&, const std::u16string&)> SetWStr;
  /// The nested object to write; null means nothing is written.
  std::function<TPersistent*(TPersistent&)> GetObject;
  /// The nested object to read into, made on first need when the class says so.
  std::function<TPersistent*(TPersistent&)> GetObjectForRead;
  std::function<TComponent*(TPersistent&)> GetComponent;
  std::function<void(TPersistent&, TComponent*)> SetComponent;

  bool Stored(TPersistent& instance) const { return !IsStored || IsStored(instance); }
  /// The name of ordinal `value` (enumerations), or "" when out of range.
  std::string EnumName(int64_t value) const;
  /// The ordinal of `name` (case-insensitive), or -1.
  int64_t EnumValue(std::string_view name) const;
};

/// The published properties of a class, in streaming order.
class TPropertyList {
 public:
  TPropertyList() = default;
  explicit TPropertyList(std::vector<TPropInfo> props) : props_(std::move(props)) {}
  int Count() const { return static_cast<int>(props_.size()); }
  const TPropInfo& operator[](int index) const { return props_[static_cast<size_t>(index)]; }
  /// The property of that name (case-insensitive), or null.
  const TPropInfo* Find(std::string_view name) const;
  auto begin() const { return props_.begin(); }
  auto end() const { return props_.end(); }

 private:
  std::vector<TPropInfo> props_;
};

namespace typinfo_detail {

template <typename T, typename G>
decltype(auto) Get(G& getter, T& object) {
  return std::invoke(getter, object);
}

template <typename T, typename S, typename V>
void Set(S& setter, T& object, V&& value) {
  if constexpr (std::is_member_object_pointer_v<S>)
    object.*setter = std::forward<V>(value);
  else
    std::invoke(setter, object, std::forward<V>(value));
}

template <typename T, typename G>
using ValueOf = std::remove_cvref_t<std::invoke_result_t<G&, T&>>;

template <typename P>
TPersistent* AsPersistent(P&& p) {
  if constexpr (std::is_pointer_v<std::remove_cvref_t<P>>)
    return p;
  else if constexpr (requires { p.get(); })
    return p.get();
  else
    return &p;
}

}  // namespace typinfo_detail

/// Builds the property list of class T, starting from its parent's list.
template <typename T>
class TPropertyBuilder {
 public:
  explicit TPropertyBuilder(const TPropertyList& parent) : props_(parent.begin(), parent.end()) {}

  template <typename G, typename S>
  TPropertyBuilder& Integer(std::string name, G get, S set) {
    return Ordinal(std::move(name), tkInteger, get, set);
  }
  /// An integer written as an identifier when its value has one in `idents`.
  template <typename G, typename S>
  TPropertyBuilder& IdentInteger(std::string name, G get, S set, TIdentMap idents) {
    Ordinal(std::move(name), tkInteger, get, set);
    props_.back().Idents = idents;
    return *this;
  }
  template <typename G, typename S>
  TPropertyBuilder& Color(std::string name, G get, S set) {
    return IdentInteger(std::move(name), get, set, ColorIdents());
  }
  template <typename G, typename S>
  TPropertyBuilder& Charset(std::string name, G get, S set) {
    return IdentInteger(std::move(name), get, set, CharsetIdents());
  }
  template <typename G, typename S>
  TPropertyBuilder& Int64(std::string name, G get, S set) {
    return Ordinal(std::move(name), tkInt64, get, set);
  }
  template <typename G, typename S>
  TPropertyBuilder& Boolean(std::string name, G get, S set) {
    return Ordinal(std::move(name), tkBoolean, get, set);
  }
  template <typename G, typename S>
  TPropertyBuilder& Enum(std::string name, G get, S set, std::vector<std::string> names) {
    Ordinal(std::move(name), tkEnumeration, get, set);
    props_.back().Names = std::move(names);
    return *this;
  }
  /// A set: the getter and setter work with the bits (bit n = element n).
  template <typename G, typename S>
  TPropertyBuilder& Set(std::string name, G get, S set, std::vector<std::string> names) {
    Ordinal(std::move(name), tkSet, get, set);
    props_.back().Names = std::move(names);
    return *this;
  }
  template <typename G, typename S>
  TPropertyBuilder& Float(std::string name, G get, S set) {
    TPropInfo& p = Append(std::move(name), tkFloat);
    p.GetFloat = [get](TPersistent& o) mutable {
      return static_cast<double>(typinfo_detail::Get(get, static_cast<T&>(o)));
    };
    p.SetFloat = [set, get](TPersistent& o, double v) mutable {
      using V = typinfo_detail::ValueOf<T, G>;
      typinfo_detail::Set(set, static_cast<T&>(o), static_cast<V>(v));
    };
    return *this;
  }
  template <typename G, typename S>
  TPropertyBuilder& String(std::string name, G get, S set) {
    TPropInfo& p = Append(std::move(name), tkString);
    p.GetStr = [get](TPersistent& o) mutable {
      return std::string(typinfo_detail::Get(get, static_cast<T&>(o)));
    };
    p.SetStr = [set](TPersistent& o, const std::string& v) mutable {
      typinfo_detail::Set(set, static_cast<T&>(o), v);
    };
    return *this;
  }
  template <typename G, typename S>
  TPropertyBuilder& WideString(std::string name, G get, S set) {
    TPropInfo& p = Append(std::move(name), tkWString);
    p.GetWStr = [get](TPersistent& o) mutable {
      return std::u16string(typinfo_detail::Get(get, static_cast<T&>(o)));
    };
    p.SetWStr = [set](TPersistent& o, const std::u16string& v) mutable {
      typinfo_detail::Set(set, static_cast<T&>(o), v);
    };
    return *this;
  }
  /// A nested object. `get` yields a pointer, reference or unique_ptr; a null object is not
  /// written. Properties of the object are written under "Name." + their own names; a
  /// TCollection is written as a collection value.
  template <typename G>
  TPropertyBuilder& Object(std::string name, G get) {
    TPropInfo& p = Append(std::move(name), tkClass);
    p.GetObject = [get](TPersistent& o) mutable {
      return typinfo_detail::AsPersistent(typinfo_detail::Get(get, static_cast<T&>(o)));
    };
    p.GetObjectForRead = p.GetObject;
    return *this;
  }
  /// A nested object that may be absent: `get` yields it or null (then nothing is written),
  /// `make` yields it for reading, creating it first when needed.
  template <typename G, typename M>
  TPropertyBuilder& Object(std::string name, G get, M make) {
    Object(std::move(name), get);
    props_.back().GetObjectForRead = [make](TPersistent& o) mutable {
      return typinfo_detail::AsPersistent(typinfo_detail::Get(make, static_cast<T&>(o)));
    };
    return *this;
  }
  /// A reference to a component, written as its name when it is set.
  template <typename G, typename S>
  TPropertyBuilder& Component(std::string name, G get, S set) {
    TPropInfo& p = Append(std::move(name), tkComponent);
    p.GetComponent = [get](TPersistent& o) mutable -> TComponent* {
      return typinfo_detail::Get(get, static_cast<T&>(o));
    };
    p.SetComponent = [set](TPersistent& o, TComponent* c) mutable {
      using V = typinfo_detail::ValueOf<T, G>;
      typinfo_detail::Set(set, static_cast<T&>(o), dynamic_cast<V>(c));
    };
    return *this;
  }

  /// Takes the inherited property `name` up again as the last one, so that Default and Stored
  /// set its rule for this class; EFilerError when the parent has no such property.
  TPropertyBuilder& Redeclare(std::string_view name) {
    auto it =
        std::find_if(props_.begin(), props_.end(), [name](const TPropInfo& p) { return p.Name == name; });
    if (it == props_.end()) throw EFilerError("Property " + std::string(name) + " is not inherited");
    std::rotate(it, it + 1, props_.end());
    return *this;
  }

  /// The default of the last ordinal property: it is written only when it differs.
  template <typename V>
  TPropertyBuilder& Default(V value) {
    props_.back().Default = static_cast<int64_t>(value);
    return *this;
  }
  TPropertyBuilder& Stored(bool stored) {
    if (stored)
      props_.back().IsStored = nullptr;
    else
      props_.back().IsStored = [](TPersistent&) { return false; };
    return *this;
  }
  /// The stored rule of the last property: a member function or callable of the object.
  template <typename F>
  TPropertyBuilder& Stored(F rule) {
    props_.back().IsStored = [rule](TPersistent& o) mutable {
      return static_cast<bool>(std::invoke(rule, static_cast<T&>(o)));
    };
    return *this;
  }

  TPropertyList Build() { return TPropertyList(std::move(props_)); }

 private:
  TPropInfo& Append(std::string name, TTypeKind kind) {
    props_.emplace_back();
    props_.back().Name = std::move(name);
    props_.back().Kind = kind;
    return props_.back();
  }

  template <typename G, typename S>
  TPropertyBuilder& Ordinal(std::string name, TTypeKind kind, G get, S set) {
    TPropInfo& p = Append(std::move(name), kind);
    p.GetOrd = [get](TPersistent& o) mutable {
      return static_cast<int64_t>(typinfo_detail::Get(get, static_cast<T&>(o)));
    };
    p.SetOrd = [set](TPersistent& o, int64_t v) mutable {
      using V = typinfo_detail::ValueOf<T, G>;
      typinfo_detail::Set(set, static_cast<T&>(o), static_cast<V>(v));
    };
    return *this;
  }

  std::vector<TPropInfo> props_;
};
