// Localising a real form: every kind of component gets its English or Russian texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <list>

#include "ApplicationFixture.h"
#include "common/units/LocalizationStore.h"
#include "platform/core/Resources.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

namespace {

void RegisterText(const char* name, const std::string& text) {
  static std::list<std::string> keepAlive;
  keepAlive.push_back(text);
  RegisterResource(name, "TEXT", reinterpret_cast<const unsigned char*>(keepAlive.back().data()),
                   static_cast<int64_t>(keepAlive.back().size()));
}

class FormStore : public TLocalizationStore {
 protected:
  friend class TLocalizationStore;
  explicit FormStore(std::string ini) : ini_(std::move(ini)) {}
  void FillLanguages(TStrings& languages) override {
    languages.Add("LOCALIZE_FORM_EN");
    languages.Add("LOCALIZE_FORM_RU");
  }
  std::string IniFileName() const override { return ini_; }

 private:
  std::string ini_;
};

// A form holding one component of each kind the store knows.
struct EveryKindForm {
  TForm form;
  TAction* action = new TAction(&form);
  TButton* button = new TButton(&form);
  TCheckBox* check = new TCheckBox(&form);
  TRadioButton* radio = new TRadioButton(&form);
  TGroupBox* group = new TGroupBox(&form);
  TLabel* label = new TLabel(&form);
  TStaticText* text = new TStaticText(&form);
  TTabSheet* sheet = new TTabSheet(&form);
  TMenuItem* item = new TMenuItem(&form);
  TComboBox* combo = new TComboBox(&form);
  TListView* list = new TListView(&form);
  TEdit* untouched = new TEdit(&form);
  TPanel* panel = new TPanel(&form);  // not among the kinds that take a text

  EveryKindForm() {
    form.SetName("fmMain");
    const std::pair<TComponent*, const char*> names[] = {
        {action, "acBrowse"}, {button, "btOK"},    {check, "cbAll"},   {radio, "rbOne"},
        {group, "gbOptions"}, {label, "lbSource"}, {text, "stTarget"}, {sheet, "tsGeneral"},
        {item, "miExit"},     {combo, "cbFormat"}, {list, "lvExams"},  {untouched, "edSource"},
        {panel, "pnTop"},
    };
    for (const auto& [component, name] : names) component->SetName(name);
    list->AddColumn("", 50);
    list->AddColumn("", 50);
    untouched->SetText("kept");
    panel->SetCaption("kept");
  }
};

class LocalizeRealFormTest : public ApplicationTest {
 protected:
  static void SetUpTestSuite() {
    ApplicationTest::SetUpTestSuite();
    RegisterText("LOCALIZE_FORM_EN",
                 "# code page: 1252\r\n"
                 "fmMain=Converter\r\nacBrowse=&Browse...\r\nbtOK=OK\r\ncbAll=All\r\nrbOne=One\r\n"
                 "gbOptions=Options\r\nlbSource=&Source:\r\nstTarget=Target\r\ntsGeneral=General\r\n"
                 "miExit=E&xit\r\ncbFormat=HTML|Text\r\nlvExams=Exam|Questions\r\npnTop=Top\r\n");
    RegisterText("LOCALIZE_FORM_RU",
                 "# code page: 1251\r\n"
                 "fmMain=\xCA\xEE\xED\xE2\xE5\xF0\xF2\xE5\xF0\r\n"  // Konverter
                 "acBrowse=&\xCE\xE1\xE7\xEE\xF0...\r\n"            // Obzor
                 "btOK=\xC4\xE0\r\n"                                // Da
                 "cbFormat=HTML|\xD2\xE5\xEA\xF1\xF2\r\n"           // Tekst
                 "lvExams=\xDD\xEA\xE7\xE0\xEC\xE5\xED\r\n");       // Ekzamen
  }

  static std::unique_ptr<FormStore> Store(int language) {
    const auto ini =
        std::filesystem::temp_directory_path() / ("zuk-localize-" + std::to_string(language) + ".ini");
    std::ofstream(ini) << "[language]\nCurrentLanguageIndex=" << language << "\n";
    auto store = TLocalizationStore::Create<FormStore>(ini.string());
    std::filesystem::remove(ini);
    return store;
  }
};

TEST_F(LocalizeRealFormTest, EnglishReachesEveryKindOfComponent) {
  EveryKindForm f;
  f.form.Show();  // the texts must also reach the windows
  Store(0)->LocalizeForm(f.form);
  EXPECT_EQ(f.form.Caption(), "Converter");
  EXPECT_EQ(f.action->Caption(), "&Browse...");
  EXPECT_EQ(f.action->Hint(), "Browse");
  EXPECT_EQ(f.button->Caption(), "OK");
  EXPECT_EQ(f.check->Caption(), "All");
  EXPECT_EQ(f.radio->Caption(), "One");
  EXPECT_EQ(f.group->Caption(), "Options");
  EXPECT_EQ(f.label->Caption(), "&Source:");
  EXPECT_EQ(f.text->Caption(), "Target");
  EXPECT_EQ(f.sheet->Caption(), "General");
  EXPECT_EQ(f.item->Caption(), "E&xit");
  ASSERT_EQ(f.combo->Items().Count(), 2);
  EXPECT_EQ(f.combo->Items()[1], "Text");
  EXPECT_EQ(f.list->ColumnCaption(0), "Exam");
  EXPECT_EQ(f.list->ColumnCaption(1), "Questions");
  EXPECT_EQ(f.untouched->Text(), "kept");
  EXPECT_EQ(f.panel->Caption(), "kept");
}

TEST_F(LocalizeRealFormTest, RussianTextsArriveAsUtf8AndMissingKeysStay) {
  EveryKindForm f;
  Store(0)->LocalizeForm(f.form);
  Store(1)->LocalizeForm(f.form);
  EXPECT_EQ(f.form.Caption(), "\xD0\x9A\xD0\xBE\xD0\xBD\xD0\xB2\xD0\xB5\xD1\x80\xD1\x82\xD0\xB5\xD1\x80");
  EXPECT_EQ(f.action->Hint(), "\xD0\x9E\xD0\xB1\xD0\xB7\xD0\xBE\xD1\x80");
  EXPECT_EQ(f.button->Caption(), "\xD0\x94\xD0\xB0");
  EXPECT_EQ(f.combo->Items()[1], "\xD0\xA2\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82");
  // One part for two columns: the second column keeps its English caption.
  EXPECT_EQ(f.list->ColumnCaption(0), "\xD0\xAD\xD0\xBA\xD0\xB7\xD0\xB0\xD0\xBC\xD0\xB5\xD0\xBD");
  EXPECT_EQ(f.list->ColumnCaption(1), "Questions");
  // Keys the Russian table lacks are looked up as themselves and are not keys: unchanged.
  EXPECT_EQ(f.check->Caption(), "All");
}

}  // namespace
