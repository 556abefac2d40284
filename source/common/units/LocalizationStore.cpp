#include "common/units/LocalizationStore.h"

#include "common/units/Regex.h"
#include "platform/core/CodePages.h"
#include "platform/core/Files.h"
#include "platform/core/IniFiles.h"
#include "platform/core/LocalizedComponents.h"
#include "platform/core/Resources.h"
#include "platform/core/SysUtils.h"

std::unique_ptr<TLocalizationStore> LocalizationStore;

namespace {
constexpr std::string_view kLineBreakToken = "CRLF";
constexpr std::string_view kCodePageTag = "code page:";
constexpr int kCodePageUtf8 = 65001;

/// Appends the parts of `text` between the matches of `expression` to `pieces`.
void SplitText(std::string_view text, std::string_view expression, TStrings& pieces) {
  TRegex regex;
  regex.SetExpression(expression);
  regex.Split(text, pieces);
}

bool EndsWithBackslash(std::string_view s) {
  return !s.empty() && s.back() == '\\';
}

/// The code page named by a "# code page: N" comment, or 0 when the line is none.
int DeclaredCodePage(const std::string& line) {
  const std::string text = Trim(line);
  if (text.empty() || text[0] != '#') return 0;
  const std::string rest = Trim(std::string_view(text).substr(1));
  if (rest.size() < kCodePageTag.size() ||
      !SameText(std::string_view(rest).substr(0, kCodePageTag.size()), kCodePageTag))
    return 0;
  return StrToIntDef(std::string_view(rest).substr(kCodePageTag.size()), -1);
}

/// Converts a line of a Windows code page to UTF-8.
std::string CodePageToUtf8(std::string_view line, int codePage) {
  return WideToMultiByte(CP_UTF8, 0, MultiByteToWide(static_cast<uint32_t>(codePage), 0, line));
}
}  // namespace

void ReadLanguageResource(const std::string& name, TStrings& lines) {
  TResourceStream stream(name, "TEXT");
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  TStringList raw;
  raw.SetText(bytes);
  int codePage = kCodePageUtf8;
  for (int i = 0; i < raw.Count(); ++i) {
    const int declared = DeclaredCodePage(raw[i]);
    if (declared != 0) {
      codePage = declared;
      break;
    }
  }
  if (codePage == kCodePageUtf8) {
    lines.AddStrings(raw);
    return;
  }
  // The pseudo code pages (ANSI, OEM, ...) and UTF-16 say nothing about a table's bytes.
  if (codePage <= static_cast<int>(CP_THREAD_ACP) || codePage == static_cast<int>(CP_UTF16LE) ||
      !IsValidCodePage(static_cast<uint32_t>(codePage)))
    throw EConvertError(Format("Language table %s declares an unknown code page", {name}));
  for (int i = 0; i < raw.Count(); ++i) lines.Add(CodePageToUtf8(raw[i], codePage));
}

void ParseLanguageTable(const TStrings& lines, TCstStringHash& table) {
  int i = 0;
  while (i < lines.Count()) {
    const std::string line = lines[i++];
    const std::string head = TrimLeft(line);
    if (!head.empty() && head[0] == '#') continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    std::string trimmed = TrimRight(value);
    bool continues = EndsWithBackslash(trimmed);
    if (continues) {
      trimmed.pop_back();
      value = trimmed;
    }
    while (continues && i < lines.Count()) {
      std::string next = TrimRight(lines[i++]);
      continues = EndsWithBackslash(next);
      if (continues) next.pop_back();
      value += "\r\n";
      value += next;
    }
    // A line that starts with "=" has no key; the table cannot hold it.
    if (key.empty()) continue;
    table.SetValue(key, std::move(value));
  }
}

std::string TLocalizationStore::IniFileName() const {
  return ProgramIniFileName();
}

void TLocalizationStore::Initialize() {
  current_ = -1;
  TStringList entries;
  FillLanguages(entries);
  for (int i = 0; i < entries.Count(); ++i) LoadLanguage(entries[i]);
  ReadLanguageIndex();
  if (current_ < 0) current_ = languages_.Count() > 0 ? 0 : -1;
}

void TLocalizationStore::LoadLanguage(const std::string& resourceNames) {
  TStringList names;
  SplitText(resourceNames, ";", names);
  TStringList lines;
  for (int i = 0; i < names.Count(); ++i) ReadLanguageResource(names[i], lines);
  auto table = std::make_unique<TCstStringHash>();
  ParseLanguageTable(lines, *table);
  languages_.Add(std::move(table));
}

void TLocalizationStore::ReadLanguageIndex() {
  const std::string fileName = IniFileName();
  if (fileName.empty() || !FileExists(fileName)) return;
  const TIniFile ini(fileName);
  if (!ini.ValueExists("language", "CurrentLanguageIndex")) return;
  const int index = ini.ReadInteger("language", "CurrentLanguageIndex", current_);
  if (index < languages_.Count()) current_ = index;
}

bool TLocalizationStore::IsKey(std::string_view key) const {
  return current_ >= 0 && !key.empty() && languages_[current_]->Exists(key);
}

std::string TLocalizationStore::GetString(std::string_view key) const {
  if (!IsKey(key)) return std::string(key);
  return StringReplace(languages_[current_]->GetValue(key), kLineBreakToken, "\r\n", ReplaceFlag::ReplaceAll);
}

void TLocalizationStore::LocalizeForm(TComponent& form) const {
  if (IsKey(form.Name())) {
    if (auto* target = dynamic_cast<ILocalizedForm*>(&form)) target->SetCaption(GetString(form.Name()));
  }
  for (int i = 0; i < form.ComponentCount(); ++i) {
    TComponent* component = form.Components(i);
    if (IsKey(component->Name())) LocalizeComponent(*component, GetString(component->Name()));
  }
}

void TLocalizationStore::LocalizeComponent(TComponent& component, const std::string& text) const {
  if (auto* action = dynamic_cast<ILocalizedAction*>(&component)) {
    action->SetCaption(text);
    std::string hint = Trim(text);
    std::erase_if(hint, [](char c) { return c == '&' || c == '.'; });
    action->SetHint(hint);
  }
  if (auto* captioned = dynamic_cast<ILocalizedCaption*>(&component)) captioned->SetCaption(text);
  if (auto* combo = dynamic_cast<ILocalizedItems*>(&component)) {
    TStrings& items = combo->LocalizedItems();
    items.BeginUpdate();
    items.Clear();
    SplitText(text, "\\|", items);
    items.EndUpdate();
  }
  if (auto* listView = dynamic_cast<ILocalizedColumns*>(&component)) {
    TStringList parts;
    SplitText(text, "\\|", parts);
    for (int i = 0; i < parts.Count() && i < listView->LocalizedColumnCount(); ++i)
      listView->SetLocalizedColumnCaption(i, parts[i]);
  }
}

std::string LocalizedText(std::string_view key) {
  return LocalizationStore ? LocalizationStore->GetString(key) : std::string(key);
}
