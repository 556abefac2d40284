// The localisation store: the program's user-visible texts in several languages, loaded from
// language tables embedded as text resources of type "TEXT", and the localisation of forms by
// the names of their components. Texts handed out are UTF-8.
//
// Table format: lines of KEY=VALUE (the key exactly as it stands, blanks included); lines
// whose first non-blank character is "#" are comments; lines without "=" are ignored; a value
// ending in "\" continues on the next line (joined by CR LF); the token CRLF in a value is a
// line break when the text is handed out. A comment "# code page: N" names the code page of
// the resource's bytes; the store converts them to UTF-8 (a resource without it is UTF-8).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "common/units/CstStringHash.h"
#include "platform/core/Classes.h"
#include "platform/core/Lists.h"
#include "platform/core/Strings.h"

class TLocalizationStore : public TObject {
 public:
  /// Makes a store of class T: lists its languages (FillLanguages), loads every language's
  /// resources in order, takes the current language from the INI file (section "language",
  /// value "CurrentLanguageIndex", used when below the number of languages) and falls back to
  /// the first language. A missing resource raises EResNotFound.
  template <typename T, typename... Args>
  static std::unique_ptr<T> Create(Args&&... args) {
    std::unique_ptr<T> store(new T(std::forward<Args>(args)...));
    store->Initialize();
    return store;
  }
  ~TLocalizationStore() override = default;
  std::string ClassName() const override { return "TLocalizationStore"; }

  /// The text of `key` in the current language with every "CRLF" turned into CR LF; the key
  /// itself when there is no current language, the key is empty or the table lacks it.
  std::string GetString(std::string_view key) const;
  /// Gives the form its caption when its name is a key, then hands every owned component whose
  /// name is a key, in component order, to LocalizeComponent.
  void LocalizeForm(TComponent& form) const;
  /// Puts a text into one component, by the interfaces it implements (LocalizedComponents.h):
  /// an action gets the caption and, trimmed and without "&" and ".", the hint; a captioned
  /// control the caption; a combo box the text's "|"-separated parts as its items; a list view
  /// the parts as its column captions, as far as both go.
  virtual void LocalizeComponent(TComponent& component, const std::string& text) const;

  int LanguageCount() const { return languages_.Count(); }
  /// The current language's index, -1 when there is none.
  int CurrentLanguageIndex() const { return current_; }
  /// The table of a language (0-based, in registration order).
  const TCstStringHash& Language(int index) const { return *languages_[index]; }

 protected:
  TLocalizationStore() = default;
  /// Adds one line per language: the names of its "TEXT" resources separated by ";".
  virtual void FillLanguages(TStrings& languages) = 0;
  /// The INI file that may choose the language; by default the one beside the program.
  virtual std::string IniFileName() const;

 private:
  void Initialize();
  void LoadLanguage(const std::string& resourceNames);
  void ReadLanguageIndex();
  bool IsKey(std::string_view key) const;

  TObjectList<TCstStringHash> languages_;
  int current_ = -1;
};

/// Parses the lines of a language table into `table` (later keys replace earlier ones).
void ParseLanguageTable(const TStrings& lines, TCstStringHash& table);

/// Reads the "TEXT" resource `name` into `lines`, converted to UTF-8 from the code page the
/// resource declares. Raises EResNotFound when there is no such resource.
void ReadLanguageResource(const std::string& name, TStrings& lines);

/// The program's store, made and freed by the main form; null while there is none.
extern std::unique_ptr<TLocalizationStore> LocalizationStore;

/// GetString through the program's store; the key itself while there is no store.
std::string LocalizedText(std::string_view key);
