#include "exam/ZUKFileBuilder.h"

#include "exam/ZUKStream.h"

namespace {

void SetStream(TMemoryStream& stream, const std::string& bytes) {
  stream.Clear();
  stream.WriteBuffer(bytes);
  stream.SetPosition(0);
}

std::unique_ptr<TCaseStudyPageData> MakePage(const ZUKPageDesc& desc) {
  auto page = std::make_unique<TCaseStudyPageData>();
  page->Title = desc.title;
  if (desc.children.empty()) SetStream(page->Content, desc.content);
  for (const auto& child : desc.children) page->Children.Add(MakePage(child));
  return page;
}

void AddQuestions(TZUKQuestionContainer& container, const std::vector<ZUKQuestionDesc>& questions) {
  for (const auto& q : questions) container.AddChild(MakeQuestion(q));
}

std::unique_ptr<TZUKQuestionSet> MakeSet(const ZUKSetDesc& desc) {
  std::unique_ptr<TZUKQuestionSet> set = QuestionSetClassByType(desc.testlet ? 1 : 0).Create();
  set->HeaderValue = desc.headerValue;
  if (auto* testlet = dynamic_cast<TZUKTestlet*>(set.get())) {
    testlet->Title = desc.title;
    testlet->TestletValue = desc.testletValue;
    SetStream(testlet->TestletData1, desc.data1);
    SetStream(testlet->TestletData2, desc.data2);
    for (const auto& page : desc.pages) testlet->Pages.Add(MakePage(page));
  }
  return set;
}

void WriteShortString(const std::string& s, std::string& out) {
  out += static_cast<char>(s.size());
  out += s;
}

std::string PropertyList(const std::string& name) {
  std::string out(1, '\x01');
  WriteShortString("StyleName", out);
  out += '\x06';
  WriteShortString(name, out);
  out += '\x00';
  return out;
}

std::string Int32Bytes(int32_t v) {
  TMemoryStream s;
  WriteInt32(v, s);
  return s.DataString();
}

ZUKQuestionDesc Question(uint8_t type, int32_t section, int seed) {
  ZUKQuestionDesc q;
  q.type = type;
  q.sectionId = section;
  q.setting = 5 + seed;
  const std::string tag = std::to_string(type) + "-" + std::to_string(seed);
  q.parts = {"rvf-question-" + tag, "rvf-choice-A-" + tag, "rvf-choice-B-" + tag, "rvf-expl-" + tag};
  q.answer = "B";
  q.number = 2;
  q.title = "Title " + tag;
  q.data1 = "data1-" + tag;
  q.data2 = std::string(300 + seed, static_cast<char>('a' + seed % 26));
  return q;
}

}  // namespace

std::string PartsBytes(const std::vector<std::string>& parts) {
  TMemoryStream out;
  for (const auto& part : parts) {
    TMemoryStream body(part);
    WriteStream(body, out);
  }
  return out.DataString();
}

std::string ExhibitBytes(const std::vector<ZUKExhibitDesc>& exhibits) {
  TMemoryStream out;
  for (const auto& e : exhibits) {
    WriteString(e.title, out);
    WriteByte(e.kind, out);
    TMemoryStream image(e.image);
    WriteStream(image, out);
  }
  return out.DataString();
}

std::unique_ptr<TQuestion> MakeQuestion(const ZUKQuestionDesc& desc) {
  std::unique_ptr<TQuestion> question = QuestionClassByType(desc.type).Create();
  question->SetQuestionType(desc.type);
  question->SectionId = desc.sectionId;
  question->Setting = desc.setting;
  question->ExhibitCount = static_cast<uint8_t>(desc.exhibits.size());
  SetStream(question->QuestionParts, PartsBytes(desc.parts));
  SetStream(question->Answer, desc.answer);
  if (!desc.exhibits.empty()) SetStream(question->Exhibits, ExhibitBytes(desc.exhibits));
  if (auto* mc = dynamic_cast<TMultipleChoiceQuestion*>(question.get())) {
    mc->ChoiceCount = desc.number;
    mc->HasCaseStudy = desc.flag;
    mc->Flag2 = !desc.flag;
    mc->CaseStudyTitle = desc.title;
  } else if (auto* blank = dynamic_cast<TFillInTheBlankQuestion*>(question.get())) {
    blank->BlankValue = desc.number;
    blank->Flag1 = desc.flag;
  } else if (auto* dnc = dynamic_cast<TDropAndConnectQuestion*>(question.get())) {
    dnc->BoxWidth = desc.number;
    dnc->BoxHeight = desc.number + 1;
    dnc->ConnectorsTitle = desc.title;
    SetStream(dnc->DiagramData1, desc.data1);
    SetStream(dnc->DiagramData2, desc.data2);
  } else if (auto* image = dynamic_cast<TImageQuestion*>(question.get())) {
    image->Option1 = static_cast<uint8_t>(desc.number);
    image->Option2 = desc.flag ? 1 : 0;
    SetStream(image->ImageData1, desc.data1);
    SetStream(image->ImageData2, desc.data2);
  } else if (auto* tree = dynamic_cast<TTreeQuestion*>(question.get())) {
    tree->TreeOption = static_cast<uint8_t>(desc.number);
    tree->AnswerChoicesTitle = desc.title;
    tree->Flag1 = desc.flag;
    SetStream(tree->TreeData, desc.data1);
  }
  return question;
}

void AddExams(TZUKExamCollection& collection, const std::vector<ZUKExamDesc>& exams) {
  for (const auto& examSpec : exams) {
    std::unique_ptr<TZUKExam> exam = ExamClassByType(examSpec.caseStudy ? 1 : 0).Create();
    TZUKExam* added = exam.get();
    collection.AddChild(std::move(exam));
    if (!examSpec.caseStudy) {
      AddQuestions(*added, examSpec.questions);
      continue;
    }
    for (const auto& setSpec : examSpec.sets) {
      std::unique_ptr<TZUKQuestionSet> set = MakeSet(setSpec);
      TZUKQuestionSet* addedSet = set.get();
      added->AddChild(std::move(set));
      AddQuestions(*addedSet, setSpec.questions);
    }
  }
}

std::string StyleBytes(const std::vector<std::string>& textStyles,
                       const std::vector<std::string>& paraStyles) {
  std::string out = Int32Bytes(static_cast<int32_t>(textStyles.size()));
  for (const auto& name : textStyles) out += PropertyList(name);
  out += Int32Bytes(static_cast<int32_t>(paraStyles.size()));
  for (const auto& name : paraStyles) out += PropertyList(name);
  return out;
}

void WriteProperties(const TZUKFileProperties& p, TStream& stream) {
  WriteByte(p.FileType, stream);
  WriteScrambledString(p.Text1, stream);
  WriteScrambledString(p.Text2, stream);
  WriteInt32(p.Number1, stream);
  WriteInt32(p.Number2, stream);
  WriteScrambledString(p.Text3, stream);
  for (double v : {p.Value1, p.Value2, p.Value3, p.Value4}) WriteDouble(v, stream);
  WriteBool(p.DescriptionFlag, stream);
  WriteBool(p.HasExtraText, stream);
  if (p.HasExtraText) {
    TMemoryStream inner;
    WriteScrambledString(p.ExtraText, inner);
    WriteScrambledStream(inner, stream);
  }
  TMemoryStream extra(p.ExtraData.DataString());
  WriteStream(extra, stream);
}

std::string WriteZUKFile(uint8_t major, uint8_t minor, const TZUKFileProperties& properties,
                         TMemoryStream& styles, TMemoryStream& description,
                         const TZUKSectionCollection& sections, TZUKExamCollection& collection,
                         ZUKFileLayout* layout) {
  ZUKFileLayout where;
  TMemoryStream out;
  WriteByte(0x85, out);
  WriteByte(0xA8, out);
  WriteByte(major, out);
  WriteByte(minor, out);
  where.properties = out.Position();
  WriteProperties(properties, out);
  where.styles = out.Position();
  WriteScrambledStream(styles, out);
  where.description = out.Position();
  WriteScrambledStream(description, out);
  where.sections = out.Position();
  sections.Save(out);
  where.exams = out.Position();
  collection.Save(out);
  where.trailer = out.Position();
  WriteInt32(static_cast<int32_t>(out.Position()), out);
  if (layout) *layout = where;
  return out.DataString();
}

std::string BuildZUKFile(const ZUKFileDesc& desc, ZUKFileLayout* layout) {
  TZUKFileProperties p;
  const ZUKPropertiesDesc& ps = desc.properties;
  p.FileType = ps.fileType;
  p.Text1 = ps.text1;
  p.Text2 = ps.text2;
  p.Number1 = ps.number1;
  p.Number2 = ps.number2;
  p.Text3 = ps.text3;
  p.Value1 = ps.values[0];
  p.Value2 = ps.values[1];
  p.Value3 = ps.values[2];
  p.Value4 = ps.values[3];
  p.DescriptionFlag = ps.descriptionFlag;
  p.HasExtraText = ps.hasExtraText;
  p.ExtraText = ps.extraText;
  SetStream(p.ExtraData, ps.extraData);
  TMemoryStream styles(desc.styles);
  TMemoryStream description(desc.description);
  TZUKSectionCollection sections;
  for (const auto& [id, name] : desc.sections) sections.Add(id, name);
  TZUKExamCollection collection;
  collection.InitRootNode("");
  AddExams(collection, desc.exams);
  return WriteZUKFile(desc.major, desc.minor, p, styles, description, sections, collection, layout);
}

ZUKFileDesc EveryKindSpec() {
  ZUKFileDesc desc;
  desc.properties.hasExtraText = true;
  desc.properties.extraText = "extra text";
  desc.properties.extraData = std::string("\x00\x01\x02extra", 8);
  desc.styles = StyleBytes({"Exam Text", "Exam Bold"}, {"Exam Para"});
  desc.sections = {{3, "Networking"}, {1, "Security"}, {2, "Storage"}};

  ZUKExamDesc standard;
  int seed = 0;
  for (uint8_t type : {0, 1, 2, 3, 4, 5, 7, 8, 9}) {
    ZUKQuestionDesc q = Question(type, 1 + seed % 3, seed);
    if (seed % 2 == 0) q.exhibits = {{"Exhibit 1", 0, "GIF89a-bytes"}, {"Exhibit 2", 1, ""}};
    q.flag = seed % 3 == 0;
    standard.questions.push_back(q);
    ++seed;
  }
  desc.exams.push_back(standard);

  ZUKExamDesc caseStudy;
  caseStudy.caseStudy = true;
  ZUKSetDesc set;
  set.questions = {Question(0, 3, 20), Question(8, -1, 21)};
  ZUKSetDesc testlet;
  testlet.testlet = true;
  testlet.headerValue = 25;
  testlet.title = "Contoso case";
  testlet.testletValue = 3;
  testlet.data1 = "testlet-data-1";
  testlet.data2 = "testlet-data-2";
  testlet.pages = {
      {"Overview", "rvf-overview", {}},
      {"Requirements", "", {{"Business", "rvf-business", {}}, {"Technical", "rvf-technical", {}}}}};
  testlet.questions = {Question(1, 2, 22), Question(7, 2, 23)};
  caseStudy.sets = {set, testlet};
  desc.exams.push_back(caseStudy);
  desc.exams.push_back(ZUKExamDesc{});  // an exam without questions
  return desc;
}

ZUKFileDesc TreeKeptSpec() {
  ZUKFileDesc desc = EveryKindSpec();
  auto keepMultipleChoice = [](std::vector<ZUKQuestionDesc>& questions) {
    std::erase_if(questions, [](const ZUKQuestionDesc& q) { return !IsMultipleChoiceType(q.type); });
  };
  for (auto& exam : desc.exams) {
    keepMultipleChoice(exam.questions);
    for (auto& set : exam.sets) keepMultipleChoice(set.questions);
  }
  return desc;
}

int32_t Int32At(const std::string& bytes, int64_t offset) {
  TMemoryStream s(bytes);
  s.SetPosition(offset);
  return ReadInt32(s);
}

void PatchInt32(std::string& bytes, int64_t offset, int32_t value) {
  TMemoryStream s(bytes);
  s.SetPosition(offset);
  WriteInt32(value, s);
  bytes = s.DataString();
}
