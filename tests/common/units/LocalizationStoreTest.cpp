#include <gtest/gtest.h>

#include <list>
#include <ostream>
#include <string>
#include <vector>

#include "common/units/LocalizationStore.h"
#include "platform/core/LocalizedComponents.h"
#include "platform/core/Resources.h"
#include "platform/core/TestFolders.h"

namespace {

// ---------------------------------------------------------------------------------------
// Test resources.

void Register(const char* name, const std::string& text) {
  static std::list<std::string> keepAlive;  // resources must not move
  keepAlive.push_back(text);
  RegisterResource(name, "TEXT", reinterpret_cast<const unsigned char*>(keepAlive.back().data()),
                   static_cast<int64_t>(keepAlive.back().size()));
}

void RegisterTestTables() {
  static bool done = false;
  if (done) return;
  done = true;
  Register("TEST_ONE_A",
           "# code page: 1252\r\n"
           "TITLE=One\r\n"
           "SHARED=from A\r\n"
           "MULTI=line oneCRLFline two\r\n"
           "Caf\xE9=caf\xE9\r\n");
  Register("TEST_ONE_B", "SHARED=from B\nONLY_B=b\r");
  Register("TEST_BAD_CODE_PAGE", "# code page: 99999\r\nA=1\r\n");
  Register("TEST_TWO",
           "#code page: 1251\r\n"
           "TITLE=\xC4\xE2\xE0\r\n");  // "Два"
}

class TestStore : public TLocalizationStore {
 public:
  std::string ClassName() const override { return "TestStore"; }

 protected:
  friend class TLocalizationStore;
  TestStore(std::vector<std::string> languages, std::string ini)
      : languages_(std::move(languages)), ini_(std::move(ini)) {}
  void FillLanguages(TStrings& languages) override {
    for (const std::string& l : languages_) languages.Add(l);
  }
  std::string IniFileName() const override { return ini_; }

 private:
  std::vector<std::string> languages_;
  std::string ini_;
};

std::unique_ptr<TestStore> MakeStore(const std::string& ini = "", std::vector<std::string> languages = {
                                                                      "TEST_ONE_A;TEST_ONE_B", "TEST_TWO"}) {
  RegisterTestTables();
  return TLocalizationStore::Create<TestStore>(std::move(languages), ini);
}

TCstStringHash Parse(const std::vector<std::string>& lines) {
  TStringList list;
  for (const std::string& l : lines) list.Add(l);
  TCstStringHash table;
  ParseLanguageTable(list, table);
  return table;
}

// ---------------------------------------------------------------------------------------
// Table format.

TEST(LanguageTableTest, KeyAndValueKeepTheirBlanks) {
  const TCstStringHash t = Parse({"KEY = x", "  INDENTED=y"});
  EXPECT_TRUE(t.Exists("KEY "));
  EXPECT_EQ(t.GetValue("KEY "), " x");
  EXPECT_FALSE(t.Exists("KEY"));
  EXPECT_EQ(t.GetValue("  INDENTED"), "y");
}

TEST(LanguageTableTest, CommentsBlankLinesAndLinesWithoutEqualsAreSkipped) {
  const TCstStringHash t = Parse({"# messages", "   # KEY=comment", "", "no equals sign", "A=1", "=no key"});
  EXPECT_EQ(t.Count(), 1);
  EXPECT_EQ(t.GetValue("A"), "1");
}

TEST(LanguageTableTest, ValueUpToTheFirstEqualsIsTheKey) {
  const TCstStringHash t = Parse({"A=b=c", "EMPTY="});
  EXPECT_EQ(t.GetValue("A"), "b=c");
  EXPECT_EQ(t.GetValue("EMPTY"), "");
}

TEST(LanguageTableTest, BackslashContinuesTheValueOnTheNextLines) {
  const TCstStringHash t = Parse({"A=first  \\  ", "second\\", "third  ", "NEXT=1"});
  // Blanks after the backslash go; blanks before it belong to the text.
  EXPECT_EQ(t.GetValue("A"), "first  \r\nsecond\r\nthird");
  EXPECT_EQ(t.GetValue("NEXT"), "1");
}

TEST(LanguageTableTest, ContinuationLinesAreTakenWhole) {
  const TCstStringHash t = Parse({"A=a\\", "# not a comment=really", "B=b\\"});
  EXPECT_EQ(t.GetValue("A"), "a\r\n# not a comment=really");
  EXPECT_FALSE(t.Exists("# not a comment"));
  EXPECT_EQ(t.GetValue("B"), "b");  // a continuation at the end of the table ends it
}

TEST(LanguageTableTest, LaterKeyReplacesEarlierOne) {
  const TCstStringHash t = Parse({"A=1", "A=2"});
  EXPECT_EQ(t.Count(), 1);
  EXPECT_EQ(t.GetValue("A"), "2");
}

// ---------------------------------------------------------------------------------------
// The store.

TEST(LocalizationStoreTest, WithoutIniFileTheFirstLanguageIsCurrent) {
  const auto store = MakeStore();
  EXPECT_EQ(store->LanguageCount(), 2);
  EXPECT_EQ(store->CurrentLanguageIndex(), 0);
  EXPECT_EQ(store->GetString("TITLE"), "One");
}

TEST(LocalizationStoreTest, LaterResourceOfALanguageOverridesEarlierKeys) {
  const auto store = MakeStore();
  EXPECT_EQ(store->GetString("SHARED"), "from B");
  EXPECT_EQ(store->GetString("ONLY_B"), "b");
}

TEST(LocalizationStoreTest, MissingOrEmptyKeyIsHandedOutAsItself) {
  const auto store = MakeStore();
  EXPECT_EQ(store->GetString("NO_SUCH_KEY"), "NO_SUCH_KEY");
  EXPECT_EQ(store->GetString(""), "");
}

TEST(LocalizationStoreTest, CrlfTokenBecomesALineBreakOnlyWhenHandedOut) {
  const auto store = MakeStore();
  EXPECT_EQ(store->GetString("MULTI"), "line one\r\nline two");
  EXPECT_EQ(store->Language(0).GetValue("MULTI"), "line oneCRLFline two");
}

TEST(LocalizationStoreTest, TablesAreConvertedToUtf8FromTheirCodePage) {
  const auto store = MakeStore();
  EXPECT_EQ(store->GetString("Caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(store->Language(1).GetValue("TITLE"), "\xD0\x94\xD0\xB2\xD0\xB0");
}

TEST(LocalizationStoreTest, MissingResourceFailsCreation) {
  EXPECT_THROW(MakeStore("", {"TEST_ONE_A;NO_SUCH_RESOURCE"}), EResNotFound);
}

TEST(LocalizationStoreTest, UnknownCodePageFailsCreation) {
  EXPECT_THROW(MakeStore("", {"TEST_BAD_CODE_PAGE"}), EConvertError);
}

TEST(LocalizationStoreTest, StoreWithoutLanguagesHandsOutKeys) {
  const auto store = MakeStore("", {});
  EXPECT_EQ(store->CurrentLanguageIndex(), -1);
  EXPECT_EQ(store->GetString("TITLE"), "TITLE");
}

struct IniCase {
  const char* ini;
  int expected_index;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const IniCase& c, std::ostream* os) {
  for (const char* p = c.ini; *p != '\0'; ++p) *os << (*p == '\n' ? ' ' : *p);
}

class LanguageIndexTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(LanguageIndexTest, IniFileChoosesTheLanguageWithinRange) {
  ScratchFolder folder;
  WriteTextFile(folder / "program.ini", GetParam().ini);
  const auto store = MakeStore(folder / "program.ini");
  EXPECT_EQ(store->CurrentLanguageIndex(), GetParam().expected_index);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageIndexTest,
    ::testing::Values(IniCase{"[language]\nCurrentLanguageIndex=1\n", 1},
                      IniCase{"[Language]\ncurrentlanguageindex = 1\n", 1},
                      IniCase{"[language]\nCurrentLanguageIndex=2\n", 0},  // equal to the count: ignored
                      IniCase{"[language]\nCurrentLanguageIndex=7\n", 0},
                      IniCase{"[language]\nCurrentLanguageIndex=-3\n", 0},  // negative ends up as 0
                      IniCase{"[language]\nCurrentLanguageIndex=one\n", 0},
                      IniCase{"[other]\nCurrentLanguageIndex=1\n", 0}));

TEST(LocalizationStoreTest, GlobalLookupWorksWithAndWithoutAStore) {
  EXPECT_EQ(LocalizedText("TITLE"), "TITLE");
  LocalizationStore = MakeStore();
  EXPECT_EQ(LocalizedText("TITLE"), "One");
  LocalizationStore.reset();
  EXPECT_EQ(LocalizedText("TITLE"), "TITLE");
}

// ---------------------------------------------------------------------------------------
// Localising forms and components.

class FakeForm : public TComponent, public ILocalizedForm {
 public:
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string caption_ = "design";
};

class FakeAction : public TComponent, public ILocalizedAction {
 public:
  using TComponent::TComponent;
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  void SetHint(const std::string& hint) override { hint_ = hint; }
  std::string caption_ = "design", hint_ = "design";
};

class FakeButton : public TComponent, public ILocalizedCaption {
 public:
  using TComponent::TComponent;
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string caption_ = "design";
};

class FakeComboBox : public TComponent, public ILocalizedItems {
 public:
  using TComponent::TComponent;
  TStrings& LocalizedItems() override { return items_; }
  TStringList items_;
};

class FakeListView : public TComponent, public ILocalizedColumns {
 public:
  FakeListView(TComponent* owner, int columns)
      : TComponent(owner), columns_(static_cast<size_t>(columns), "design") {}
  int LocalizedColumnCount() const override { return static_cast<int>(columns_.size()); }
  void SetLocalizedColumnCaption(int index, const std::string& caption) override {
    columns_.at(static_cast<size_t>(index)) = caption;
  }
  std::vector<std::string> columns_;
};

// A component of two kinds gets both rules.
class FakeCaptionedCombo : public FakeComboBox, public ILocalizedCaption {
 public:
  using FakeComboBox::FakeComboBox;
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string caption_ = "design";
};

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
  return lines;
}

void RegisterFormTable() {
  static bool done = false;
  if (done) return;
  done = true;
  Register("TEST_FORM",
           "TestForm=Form Caption\r\n"
           "acBrowse=  &Browse...  \r\n"
           "bOK=OK\r\n"
           "cbKind=one|two||three\r\n"
           "lvWide=A|B\r\n"
           "lvNarrow=A|B|C|D\r\n"
           "cbBoth=x|y\r\n");
}

class LocalizeFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterFormTable();
    store = TLocalizationStore::Create<TestStore>(std::vector<std::string>{"TEST_FORM"}, std::string());
    form.SetName("TestForm");
    action = Named(new FakeAction(&form), "acBrowse");
    button = Named(new FakeButton(&form), "bOK");
    unnamed = Named(new FakeButton(&form), "bCancel");
    combo = Named(new FakeComboBox(&form), "cbKind");
    wide = Named(new FakeListView(&form, 3), "lvWide");
    narrow = Named(new FakeListView(&form, 2), "lvNarrow");
    both = Named(new FakeCaptionedCombo(&form), "cbBoth");
  }
  template <typename T>
  static T* Named(T* component, const char* name) {
    component->SetName(name);
    return component;
  }

  std::unique_ptr<TestStore> store;
  FakeForm form;
  FakeAction* action = nullptr;
  FakeButton* button = nullptr;
  FakeButton* unnamed = nullptr;
  FakeComboBox* combo = nullptr;
  FakeListView* wide = nullptr;
  FakeListView* narrow = nullptr;
  FakeCaptionedCombo* both = nullptr;
};

TEST_F(LocalizeFormTest, EveryComponentKindGetsItsText) {
  combo->items_.Add("old");
  store->LocalizeForm(form);
  EXPECT_EQ(form.caption_, "Form Caption");
  EXPECT_EQ(action->caption_, "  &Browse...  ");
  EXPECT_EQ(action->hint_, "Browse");
  EXPECT_EQ(button->caption_, "OK");
  EXPECT_EQ(unnamed->caption_, "design");
  EXPECT_EQ(Lines(combo->items_), (std::vector<std::string>{"one", "two", "", "three"}));
  EXPECT_EQ(wide->columns_, (std::vector<std::string>{"A", "B", "design"}));
  EXPECT_EQ(narrow->columns_, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(both->caption_, "x|y");
  EXPECT_EQ(Lines(both->items_), (std::vector<std::string>{"x", "y"}));
}

TEST_F(LocalizeFormTest, FormWithoutAKeyKeepsItsCaption) {
  form.SetName("OtherForm");
  store->LocalizeForm(form);
  EXPECT_EQ(form.caption_, "design");
  EXPECT_EQ(button->caption_, "OK");
}

TEST_F(LocalizeFormTest, ActionHintDropsAmpersandsAndDots) {
  store->LocalizeComponent(*action, " E&xit. ");
  EXPECT_EQ(action->caption_, " E&xit. ");
  EXPECT_EQ(action->hint_, "Exit");
}

}  // namespace
