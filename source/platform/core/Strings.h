// String lists: TStrings (the abstract list of lines with an object per line) and
// TStringList (the stored, optionally sorted implementation).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Object.h"
#include "platform/core/Streams.h"

class TStrings : public TObject {
 public:
  std::string ClassName() const override { return "TStrings"; }

  virtual int Count() const = 0;
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& s) = 0;
  virtual TObject* GetObject(int index) const = 0;
  virtual void PutObject(int index, TObject* object) = 0;
  virtual void Insert(int index, const std::string& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  std::string operator[](int index) const { return Get(index); }
  virtual int Add(const std::string& s);
  int AddObject(const std::string& s, TObject* object);
  void AddStrings(const TStrings& other);
  void Assign(const TStrings& other);
  virtual int IndexOf(std::string_view s) const;
  int IndexOfObject(const TObject* object) const;

  /// The lines joined, each followed by CR LF.
  std::string Text() const;
  /// Replaces the lines by the text split at CR LF, lone CR or lone LF. A final line
  /// break does not make an extra empty line.
  void SetText(std::string_view text);

  /// "Name=Value" access.
  std::string Names(int index) const;
  std::string Values(std::string_view name) const;
  int IndexOfName(std::string_view name) const;

  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

  /// Changes between BeginUpdate and EndUpdate are reported once (no-op for plain lists).
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
 public:
  std::string ClassName() const override { return "TStringList"; }

  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;
  int Add(const std::string& s) override;
  int IndexOf(std::string_view s) const override;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  bool CaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool value) { case_sensitive_ = value; }
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  /// Binary search of a sorted list: true when found; `index` is where it is or belongs.
  bool Find(std::string_view s, int& index) const;
  void Sort();
  void Exchange(int a, int b);

 private:
  struct Item {
    std::string text;
    TObject* object = nullptr;
  };
  int Compare(std::string_view a, std::string_view b) const;
  void CheckIndex(int index) const;

  std::vector<Item> items_;
  bool sorted_ = false;
  bool case_sensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
};
